#pragma once

#include <memory>

#include <QProcess>
#include <QString>

// A private Firebird server for tests: the system engine copied into a
// temporary root with its own firebird.conf (loopback only, a free port) and
// its own copy of the security database, a user created in it, and the server
// started in the foreground as a child process. Stopped (by its process id) by
// stop() or the destructor. Needs firebird3.0-server (not its service).
class FirebirdServer final
{
public:
    explicit FirebirdServer(const QString& root);
    ~FirebirdServer();

    // Empty when everything is in place, else why the server cannot run here.
    [[nodiscard]] static QString unavailableReason();

    bool start(const QString& user, const QString& password);
    void stop();
    [[nodiscard]] int port() const { return m_port; }
    [[nodiscard]] QString host() const; // "127.0.0.1/PORT"
    [[nodiscard]] QString error() const { return m_error; }

private:
    bool run(const QString& program, const QStringList& args, const QByteArray& input = {});
    [[nodiscard]] QProcessEnvironment environment() const;

    QString m_root;
    int m_port = 0;
    QString m_error;
    std::unique_ptr<QProcess> m_server;
};
