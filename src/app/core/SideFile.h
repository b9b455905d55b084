#pragma once

#include <QString>
#include <QStringList>

// The small text files beside the settings file (names beginning with "$").
// They are UTF-8 with CR LF line ends; a missing or unreadable file reads as
// nothing, and every write is atomic so a crash never leaves half a file.
class SideFile final
{
public:
    // ok, when given, tells whether the file could be opened at all.
    [[nodiscard]] static QStringList readLines(const QString& path, bool* ok = nullptr);
    [[nodiscard]] static QString readText(const QString& path, bool* ok = nullptr);
    static bool writeLines(const QString& path, const QStringList& lines);
    static bool writeText(const QString& path, const QString& text);
};
