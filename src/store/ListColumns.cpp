#include "store/ListColumns.h"

#include "app/core/IniFile.h"

using namespace Qt::StringLiterals;

namespace {
const QString kSection = u"DBGrid"_s;
}

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
    const QStringList titles = {tr("メッセージID"),
                                tr("受信日時"),
                                tr("アカウント(POP)"),
                                tr("送信名"),
                                tr("送信アドレス"),
                                tr("受信名"),
                                tr("受信アドレス"),
                                tr("題目"),
                                tr("メッセージファイル名"),
                                tr("ボディ")};
    const QStringList fields = viewFields();
    QList<ListColumn> result;
    for (int i = 0; i < count; ++i) {
        const bool hidden = i == 0 || i == 2 || i == 9;
        result.append({fields.at(i), titles.at(i), !hidden, (i == 0 || i == 2 || i == 9) ? 200 : 100});
    }
    return result;
}

QList<ListColumn> ListColumns::load(const IniFile& ini)
{
    QList<ListColumn> result;
    bool complete = true;
    for (int i = 0; i < count; ++i) {
        const QString n = QString::number(i);
        ListColumn column;
        column.visible = ini.readBool(kSection, QString(u"Visible_"_s + n), true);
        column.width = ini.readInteger(kSection, QString(u"Columns_"_s + n), 200);
        column.field = ini.readString(kSection, QString(u"FieldName_"_s + n)).trimmed().toUpper();
        column.title = ini.readString(kSection, QString(u"TitelCaption_"_s + n));
        complete = complete && !column.field.isEmpty();
        result.append(column);
    }
    if (!complete) {
        const QList<ListColumn> initial = defaults();
        for (int i = 0; i < count; ++i) {
            result[i].field = initial.at(i).field;
            result[i].title = initial.at(i).title;
        }
        result[0].visible = false;
        result[2].visible = false;
        result[8].visible = false;
    }
    return result;
}

void ListColumns::save(IniFile& ini, const QList<ListColumn>& columns)
{
    for (int i = 0; i < columns.size() && i < count; ++i) {
        const QString n = QString::number(i);
        const ListColumn& column = columns.at(i);
        ini.writeBool(kSection, QString(u"Visible_"_s + n), column.visible);
        ini.writeInteger(kSection, QString(u"Columns_"_s + n), column.width);
        ini.writeString(kSection, QString(u"FieldName_"_s + n), column.field);
        ini.writeString(kSection, QString(u"TitelCaption_"_s + n), column.title);
    }
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
