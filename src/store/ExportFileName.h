#pragma once

#include <QDateTime>
#include <QString>

// The name proposed when a stored message is exported, and the save dialog's
// filter for it. The template (parameter ExpFileName) may hold the placeholders
// "[Subject]", "[Date]" and "[DateTime]".
class ExportFileName final
{
public:
    [[nodiscard]] static QString defaultTemplate(); // "[Subject]_[DateTime]"

    // In this order, each step on the result of the one before:
    // "[Subject]" in any letter case becomes the subject; then "[Date]" in any
    // letter case becomes the date as yyyyMMdd; then, when "[DateTime]" occurs
    // in any letter case, the occurrences written exactly "[DateTime]" become
    // yyyyMMddHHmm. Nothing else changes (the subject is not cleaned).
    [[nodiscard]] static QString build(const QString& nameTemplate, const QString& subject, const QDateTime& date);
    // The built name with the extension of the stored file name (from its last
    // dot, dot included); the stored file name itself when the built name is empty.
    [[nodiscard]] static QString proposedName(const QString& builtName, const QString& storedFileName);
    // The name as a save dialog may take it: a "/" would name another folder,
    // so it becomes "_" (as does a NUL); everything else stays.
    [[nodiscard]] static QString forDialog(const QString& proposedName);
    // "emlファイル (*.eml)", "msgファイル (*.msg)" or "textファイル (*.txt)" by the
    // stored extension, letter case ignored.
    [[nodiscard]] static QString dialogFilter(const QString& storedExtension);
    // The stored extension without its dots ("eml").
    [[nodiscard]] static QString defaultExtension(const QString& storedExtension);
};
