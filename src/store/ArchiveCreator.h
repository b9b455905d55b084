#pragma once

#include <QCoreApplication>
#include <QString>

// Creates a new, empty message archive: a Firebird database file with 16 KiB
// pages and UTF8 as default character set, holding the tables and the view of
// schema.sql. It never touches an existing file: a path that exists (file,
// folder or link) is refused before the engine is asked, and the engine itself
// refuses to create over an existing file.
class ArchiveCreator final
{
    Q_DECLARE_TR_FUNCTIONS(ArchiveCreator)

public:
    // On failure returns false and puts a readable reason into *error. A file
    // that this call created and could not finish is removed again.
    static bool create(const QString& path, QString* error = nullptr);

    // The statements of schema.sql, one per element, comments removed.
    [[nodiscard]] static QStringList schemaStatements();
};
