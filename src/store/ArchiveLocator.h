#pragma once

#include <QString>

// Which archive a tool outside the window uses when none is named: the one the
// program's settings file configures (MailDB / Server and DBPath), else
// Tidewell.fdb in the data folder.
class ArchiveLocator final
{
public:
    struct Target
    {
        QString host; // empty for the embedded engine
        QString path;
    };

    // programFolder: where the program (and the "config" fallback) lies.
    [[nodiscard]] static Target configured(const QString& programFolder);
};
