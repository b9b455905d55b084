#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// An INI file with the semantics of the Windows profile functions: section and
// key names match regardless of letter case, the first occurrence of a section
// or key wins, values are trimmed and may be quoted. Writing a key changes the
// file in place, so lines the program never writes (other sections, comments,
// keys of a later version) stay exactly as they were.
class IniFile final
{
public:
    IniFile() = default;
    explicit IniFile(const QString& path);

    [[nodiscard]] static IniFile fromText(const QString& text);
    // Decodes bytes as Windows might have written them: UTF-8 with or without a
    // byte-order mark, UTF-16 with a byte-order mark, or CP932.
    [[nodiscard]] static QString decode(const QByteArray& bytes);

    // Reads the file again; a missing or unreadable file reads as empty.
    bool load();
    // Writes the whole file atomically (temporary file in the same folder, then rename).
    [[nodiscard]] bool save() const;
    [[nodiscard]] QString path() const { return m_path; }
    [[nodiscard]] QString toText() const;

    [[nodiscard]] bool hasKey(QStringView section, QStringView key) const;
    [[nodiscard]] bool hasSection(QStringView section) const;
    [[nodiscard]] QString readString(QStringView section, QStringView key, const QString& defaultValue = {}) const;
    [[nodiscard]] int readInteger(QStringView section, QStringView key, int defaultValue) const;
    [[nodiscard]] bool readBool(QStringView section, QStringView key, bool defaultValue) const;
    [[nodiscard]] QStringList sectionNames() const;
    [[nodiscard]] QStringList keyNames(QStringView section) const;

    void writeString(QStringView section, QStringView key, const QString& value);
    void writeInteger(QStringView section, QStringView key, int value);
    void writeBool(QStringView section, QStringView key, bool value);

private:
    struct Line
    {
        QString text;    // the line as it stands in the file
        QString section; // for a section header: its name
        QString key;     // for a key line: its name as spelled in the file
        bool isSection = false;
        bool isKey = false;
    };

    void parse(const QString& text);
    [[nodiscard]] qsizetype findSection(QStringView section) const;
    [[nodiscard]] qsizetype findKey(QStringView section, QStringView key) const;
    [[nodiscard]] static QString valueOf(const QString& line);

    QString m_path;
    QList<Line> m_lines;
};
