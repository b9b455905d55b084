#include "app/core/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

IniFile::IniFile(const QString& path)
    : m_path(path)
{
    load();
}

IniFile IniFile::fromText(const QString& text)
{
    IniFile ini;
    ini.parse(text);
    return ini;
}

QString IniFile::decode(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        return QString::fromUtf8(bytes.mid(3));
    }
    if (bytes.startsWith("\xFF\xFE")) {
        QStringDecoder utf16(QStringDecoder::Utf16LE);
        return utf16(bytes.mid(2));
    }
    if (bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16BE);
        return utf16(bytes.mid(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    // Not UTF-8: a file written by the Windows profile functions in the Japanese code page.
    QStringDecoder cp932("windows-31j");
    if (cp932.isValid()) {
        QString decoded = cp932(bytes);
        if (!cp932.hasError()) {
            return decoded;
        }
    }
    return text;
}

bool IniFile::load()
{
    m_lines.clear();
    if (m_path.isEmpty()) {
        return false;
    }
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    parse(decode(file.readAll()));
    return true;
}

void IniFile::parse(const QString& text)
{
    m_lines.clear();
    QString normalized = text;
    normalized.replace(u"\r\n"_s, u"\n"_s);
    normalized.replace(u'\r', u'\n');
    if (normalized.endsWith(u'\n')) {
        normalized.chop(1);
    }
    if (normalized.isEmpty()) {
        return;
    }
    QString current;
    const QStringList lines = normalized.split(u'\n');
    for (const QString& raw : lines) {
        Line line;
        line.text = raw;
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith(u'[')) {
            const qsizetype close = trimmed.indexOf(u']');
            line.isSection = true;
            line.section = (close > 0 ? trimmed.mid(1, close - 1) : trimmed.mid(1)).trimmed();
            current = line.section;
        } else if (!trimmed.startsWith(u';') && trimmed.contains(u'=')) {
            line.isKey = true;
            line.section = current;
            line.key = trimmed.left(trimmed.indexOf(u'=')).trimmed();
        } else {
            line.section = current;
        }
        m_lines.append(line);
    }
}

QString IniFile::toText() const
{
    QString text;
    for (const Line& line : m_lines) {
        text += line.text;
        text += u"\r\n"_s;
    }
    return text;
}

bool IniFile::save() const
{
    if (m_path.isEmpty()) {
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = toText().toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

qsizetype IniFile::findSection(QStringView section) const
{
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (m_lines.at(i).isSection && m_lines.at(i).section.compare(section, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

qsizetype IniFile::findKey(QStringView section, QStringView key) const
{
    const qsizetype start = findSection(section);
    if (start < 0) {
        return -1;
    }
    for (qsizetype i = start + 1; i < m_lines.size() && !m_lines.at(i).isSection; ++i) {
        if (m_lines.at(i).isKey && m_lines.at(i).key.compare(key, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString IniFile::valueOf(const QString& line)
{
    QString value = line.mid(line.indexOf(u'=') + 1).trimmed();
    // The profile functions drop one pair of matching quotes around a value.
    if (value.size() >= 2
        && ((value.startsWith(u'"') && value.endsWith(u'"')) || (value.startsWith(u'\'') && value.endsWith(u'\'')))) {
        value = value.mid(1, value.size() - 2);
    }
    return value;
}

bool IniFile::hasKey(QStringView section, QStringView key) const
{
    return findKey(section, key) >= 0;
}

bool IniFile::hasSection(QStringView section) const
{
    return findSection(section) >= 0;
}

QString IniFile::readString(QStringView section, QStringView key, const QString& defaultValue) const
{
    const qsizetype i = findKey(section, key);
    return i < 0 ? defaultValue : valueOf(m_lines.at(i).text);
}

int IniFile::readInteger(QStringView section, QStringView key, int defaultValue) const
{
    const qsizetype i = findKey(section, key);
    if (i < 0) {
        return defaultValue;
    }
    bool ok = false;
    const int value = valueOf(m_lines.at(i).text).toInt(&ok);
    return ok ? value : defaultValue;
}

bool IniFile::readBool(QStringView section, QStringView key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

QStringList IniFile::sectionNames() const
{
    QStringList names;
    for (const Line& line : m_lines) {
        if (line.isSection && !names.contains(line.section, Qt::CaseInsensitive)) {
            names.append(line.section);
        }
    }
    return names;
}

QStringList IniFile::keyNames(QStringView section) const
{
    QStringList names;
    const qsizetype start = findSection(section);
    if (start < 0) {
        return names;
    }
    for (qsizetype i = start + 1; i < m_lines.size() && !m_lines.at(i).isSection; ++i) {
        if (m_lines.at(i).isKey && !names.contains(m_lines.at(i).key, Qt::CaseInsensitive)) {
            names.append(m_lines.at(i).key);
        }
    }
    return names;
}

void IniFile::writeString(QStringView section, QStringView key, const QString& value)
{
    const qsizetype existing = findKey(section, key);
    if (existing >= 0) {
        // Keep the key's place and spelling, replace only its value.
        Line& line = m_lines[existing];
        line.text = line.key + u'=' + value;
        return;
    }
    Line line;
    line.text = key.toString() + u'=' + value;
    line.key = key.toString();
    line.isKey = true;
    qsizetype start = findSection(section);
    if (start < 0) {
        Line header;
        header.isSection = true;
        header.section = section.toString();
        header.text = u'[' + header.section + u']';
        m_lines.append(header);
        line.section = header.section;
        m_lines.append(line);
        return;
    }
    line.section = m_lines.at(start).section;
    // Append after the section's last key, before any blank lines that separate it from the next one.
    qsizetype insertAt = start + 1;
    for (qsizetype i = start + 1; i < m_lines.size() && !m_lines.at(i).isSection; ++i) {
        if (!m_lines.at(i).text.trimmed().isEmpty()) {
            insertAt = i + 1;
        }
    }
    m_lines.insert(insertAt, line);
}

void IniFile::writeInteger(QStringView section, QStringView key, int value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(QStringView section, QStringView key, bool value)
{
    writeString(section, key, value ? u"1"_s : u"0"_s);
}
