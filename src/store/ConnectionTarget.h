#pragma once

#include <QCoreApplication>
#include <QString>

// Where the connection goes: a host (empty for the embedded engine) and a
// database file, and the window title that names them.
class ConnectionTarget final
{
    Q_DECLARE_TR_FUNCTIONS(ConnectionTarget)

public:
    ConnectionTarget() = default;
    ConnectionTarget(const QString& host, const QString& path);

    // Embedded: the host is empty or contains "localhost" in any letter case.
    [[nodiscard]] static bool isEmbeddedHost(const QString& host);
    [[nodiscard]] bool isEmbedded() const { return isEmbeddedHost(m_host); }
    [[nodiscard]] QString host() const { return m_host; }
    [[nodiscard]] QString path() const { return m_path; }
    // What the engine is given: the file, or "host:file" / "host/port:file".
    [[nodiscard]] QString databaseName() const;
    // "Tidewell 管理 -- file.fdb" or "Tidewell 管理 -- host:file.fdb".
    [[nodiscard]] QString title() const;
    [[nodiscard]] static QString plainTitle();                 // "Tidewell 管理"
    [[nodiscard]] static QString settingsDialogFailureTitle(); // "Mail DB"

private:
    QString m_host;
    QString m_path;
};
