#include "app/core/ParameterTable.h"

#include "app/core/IniFile.h"

using namespace Qt::StringLiterals;

namespace {

const QString kSection = u"Condition"_s;

QList<ParameterTable::Row> initialRows()
{
    QList<ParameterTable::Row> rows = {
        {u"ExpFileName"_s, u"[Subject]_[DateTime]"_s},
        {u"DLMTDStr1"_s, u"--=-="_s},
        {u"DLMTDStr2"_s, u"=-="_s},
        {u"GPGPath"_s, u"/usr/bin/gpg"_s},
        {u"ThdrPath"_s, u"/usr/bin/thunderbird"_s},
        {u"AutoView"_s, u"0"_s},
        {u"WaitTime"_s, u"2"_s},
        {u"ZOOM"_s, u"100"_s},
        {u"ZoomFixed"_s, u"1"_s},
        {u"Reconnect"_s, u"1"_s},
        {u"RemoveLF"_s, u"1"_s},
        {u"FromDate"_s, u"2023/01/01"_s},
        {u"ToDate"_s, u"2023/01/01"_s},
        {u"Subject"_s, u"*"_s},
        {u"SenderName"_s, u"*"_s},
        {u"MailAccount1"_s, u"山田 太郎(YT)<taro.yamada@example.co.jp>"_s},
        {u"MailAccount2"_s, u"山田 太郎(YH)<yamada@example.ne.jp>"_s},
        {u"MailAccount3"_s, u"佐藤 花子(SH)<hanako.sato@example.co.jp>"_s},
        {u"MailAccount4"_s, u"Taro Yamada(TY)<taro@example.com>"_s},
        {u"MailAccount5"_s, u"総務部(SOUMU)<soumu@example.co.jp>"_s},
    };
    for (int i = 6; i <= 10; ++i) {
        rows.append({u"MailAccount"_s + QString::number(i), QString()});
    }
    return rows;
}

} // namespace

ParameterTable::ParameterTable()
    : m_rows(initialRows())
{
}

QString ParameterTable::dummyData()
{
    return u"Dummy Data"_s;
}

QStringList ParameterTable::keys()
{
    QStringList result;
    for (const Row& row : initialRows()) {
        result.append(row.key);
    }
    return result;
}

qsizetype ParameterTable::indexOf(QStringView key) const
{
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (m_rows.at(i).key.compare(key, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString ParameterTable::value(QStringView key) const
{
    const qsizetype i = indexOf(key);
    return i < 0 ? QString() : m_rows.at(i).value;
}

bool ParameterTable::isSet(QStringView key) const
{
    const QString v = value(key);
    return !v.isEmpty() && v != dummyData();
}

QString ParameterTable::valueOr(QStringView key, const QString& fallback, bool writeBack)
{
    if (isSet(key)) {
        return value(key);
    }
    if (writeBack) {
        setValue(key, fallback);
    }
    return fallback;
}

void ParameterTable::setValue(QStringView key, const QString& value)
{
    setValueAt(indexOf(key), value);
}

void ParameterTable::setValueAt(qsizetype row, const QString& value)
{
    if (row < 0 || row >= m_rows.size() || m_rows.at(row).value == value) {
        return;
    }
    m_rows[row].value = value;
    if (m_listener) {
        m_listener(row);
    }
}

bool ParameterTable::load(const IniFile& ini)
{
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        setValueAt(i, ini.readString(kSection, m_rows.at(i).key, dummyData()));
    }
    const QString reconnect = valueOr(u"Reconnect", u"1"_s, true);
    return reconnect == u"1"_s;
}

void ParameterTable::save(IniFile& ini) const
{
    for (const Row& row : m_rows) {
        ini.writeString(kSection, row.key, row.value);
    }
}
