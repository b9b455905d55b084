#include "store/ListColumns.h"

using namespace Qt::StringLiterals;

QStringList ListColumns::viewFields()
{
    return {u"MESSAGE_ID"_s,
            u"MESSAGE_DATE"_s,
            u"ACCOUNT_KEY"_s,
            u"SENDER_NAME"_s,
            u"SENDER_ADDRESS"_s,
            u"RECIEVE_NAME"_s,
            u"RECIEVE_ADDRESS"_s,
            u"MESSAGE_SUBJECT"_s,
            u"MESSAGE_FILENAME"_s,
            u"MAILBODY"_s};
}

bool ListColumns::isViewField(const QString& field)
{
    return viewFields().contains(field.trimmed().toUpper());
}

QList<ListColumn> ListColumns::defaults()
{
    return fromSettings(Settings::defaultGridColumns());
}

QList<ListColumn> ListColumns::fromSettings(const std::array<Settings::GridColumn, count>& columns)
{
    QList<ListColumn> result;
    for (const Settings::GridColumn& column : columns) {
        result.append({column.fieldName.trimmed().toUpper(), column.title, column.visible, column.width});
    }
    return result;
}

std::array<Settings::GridColumn, ListColumns::count> ListColumns::toSettings(const QList<ListColumn>& columns)
{
    std::array<Settings::GridColumn, count> result = Settings::defaultGridColumns();
    for (int i = 0; i < columns.size() && i < count; ++i) {
        const ListColumn& column = columns.at(i);
        result[i] = {column.visible, column.width, column.field, column.title};
    }
    return result;
}

QString ListRules::indexFieldNames(const QString& field, int srtcnum)
{
    return field + (srtcnum % 2 == 0 ? u":D"_s : u":A"_s);
}

int ListRules::smallerFontSize(int size)
{
    return size > 10 ? static_cast<int>(size * 0.9) : size - 1;
}

int ListRules::largerFontSize(int size)
{
    return size >= 10 ? static_cast<int>(size * 1.1) : size + 1;
}
