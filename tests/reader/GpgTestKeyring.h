#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A GnuPG home of its own for one test program: a key without pass phrase made
// at run time, GNUPGHOME pointing at it for every process the test starts, and
// the agent stopped at the end. The folder lies directly under /tmp because the
// agent's socket path has a length limit.
class GpgTestKeyring final
{
public:
    static constexpr char kUserId[] = "Tidewell Test <test@tidewell.invalid>";

    GpgTestKeyring()
        : m_home(QStringLiteral("/tmp/twg-XXXXXX"))
    {
        m_program = QStandardPaths::findExecutable(QStringLiteral("gpg"));
        if (m_program.isEmpty() || !m_home.isValid()) {
            return;
        }
        qputenv("GNUPGHOME", m_home.path().toLocal8Bit());
        m_ready = run({QStringLiteral("--batch"),
                       QStringLiteral("--pinentry-mode"),
                       QStringLiteral("loopback"),
                       QStringLiteral("--passphrase"),
                       QString(),
                       QStringLiteral("--quick-gen-key"),
                       QString::fromLatin1(kUserId),
                       QStringLiteral("future-default"),
                       QStringLiteral("default"),
                       QStringLiteral("never")},
                      {},
                      nullptr);
    }

    ~GpgTestKeyring()
    {
        if (m_home.isValid()) {
            QProcess kill;
            kill.start(QStringLiteral("gpgconf"), {QStringLiteral("--kill"), QStringLiteral("all")});
            kill.waitForFinished(10000);
        }
    }

    GpgTestKeyring(const GpgTestKeyring&) = delete;
    GpgTestKeyring& operator=(const GpgTestKeyring&) = delete;

    [[nodiscard]] bool ready() const { return m_ready; }
    [[nodiscard]] QString program() const { return m_program; }
    [[nodiscard]] QString home() const { return m_home.path(); }

    // The data encrypted to the test key, ASCII-armored; empty on failure.
    [[nodiscard]] QByteArray encrypt(const QByteArray& data) const
    {
        QByteArray armored;
        const bool ok = run({QStringLiteral("--batch"),
                             QStringLiteral("--armor"),
                             QStringLiteral("--trust-model"),
                             QStringLiteral("always"),
                             QStringLiteral("--recipient"),
                             QStringLiteral("test@tidewell.invalid"),
                             QStringLiteral("--encrypt")},
                            data,
                            &armored);
        return ok ? armored : QByteArray();
    }

private:
    bool run(const QStringList& arguments, const QByteArray& input, QByteArray* output) const
    {
        QProcess gpg;
        gpg.start(m_program, arguments);
        if (!gpg.waitForStarted(10000)) {
            return false;
        }
        gpg.write(input);
        gpg.closeWriteChannel();
        if (!gpg.waitForFinished(60000)) {
            gpg.kill();
            return false;
        }
        if (output) {
            *output = gpg.readAllStandardOutput();
        }
        return gpg.exitStatus() == QProcess::NormalExit && gpg.exitCode() == 0;
    }

    QTemporaryDir m_home;
    QString m_program;
    bool m_ready = false;
};
