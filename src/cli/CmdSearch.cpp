#include <QCoreApplication>
#include <QDateTime>
#include <QDir>

#include "cli/CliArchive.h"
#include "cli/CliCommand.h"
#include "store/MessageListModel.h"
#include "store/SearchFilter.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

QString oneLine(const QVariant& value)
{
    QString text = value.typeId() == QMetaType::QDateTime ? value.toDateTime().toString(u"yyyy/MM/dd HH:mm:ss"_s)
                                                          : value.toString();
    for (QChar& c : text) {
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    return text;
}

int runSearch(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const QString usage = u"usage: tidewell-cli search [--db PATH] [--from yyyy/MM/dd] [--to yyyy/MM/dd] "
                          "[--subject P] [--sender P] [--body LINE]... [--and]\n"_s;
    QString dbPath;
    const QDate today = QDate::currentDate();
    SearchFilter::Inputs inputs{today.addMonths(-1), today, {}, {}, {}, 0};
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == u"--and"_s) {
            inputs.joinIndex = 1;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << usage;
            return 2;
        }
        const QString value = args.at(++i);
        if (arg == u"--db"_s) {
            dbPath = value;
        } else if (arg == u"--from"_s || arg == u"--to"_s) {
            const QDate date = QDate::fromString(value, u"yyyy/MM/dd"_s);
            if (!date.isValid()) {
                err << "tidewell-cli search: not a date (yyyy/MM/dd): " << value << '\n';
                return 2;
            }
            (arg == u"--from"_s ? inputs.from : inputs.to) = date;
        } else if (arg == u"--subject"_s) {
            inputs.subject = value;
        } else if (arg == u"--sender"_s) {
            inputs.sender = value;
        } else if (arg == u"--body"_s) {
            inputs.body << value;
        } else {
            err << usage;
            return 2;
        }
    }
    if (inputs.from > inputs.to) {
        err << "tidewell-cli search: the range starts after it ends\n";
        return 2;
    }
    const std::unique_ptr<TDm_Ldb> archive = CliArchive::open(dbPath, err, u"search"_s);
    if (!archive) {
        return 1;
    }
    TDm_Ldb& dm = *archive;
    MessageListModel& list = dm.list();
    const SearchFilter::Where where = SearchFilter::where(inputs);
    list.setFilter(where.fragment, where.values);
    if (!dm.openList()) {
        err << "tidewell-cli search: " << dm.lastError() << '\n';
        return 1;
    }
    const QStringList fields = {u"MESSAGE_DATE"_s,
                                u"MESSAGE_ID"_s,
                                u"SENDER_NAME"_s,
                                u"SENDER_ADDRESS"_s,
                                u"MESSAGE_SUBJECT"_s,
                                u"MESSAGE_FILENAME"_s};
    for (int row = 0;; ++row) {
        if (row >= list.rowCount()) {
            if (!list.canFetchMore()) {
                break;
            }
            list.fetchMore();
            continue;
        }
        QStringList values;
        for (const QString& field : fields) {
            values << oneLine(list.fieldValue(row, field));
        }
        out << values.join(u'\t') << '\n';
    }
    dm.closeList();
    dm.closeConnection();
    return 0;
}

} // namespace

CliCommand searchCommand()
{
    return {u"search"_s,
            u"search [--db PATH] [--from yyyy/MM/dd] [--to yyyy/MM/dd] [--subject P] [--sender P] [--body LINE]... "
            "[--and]"_s,
            u"list the stored messages that match, newest first, one tab-separated line each (date, id, sender name, "
            "sender address, subject, file name)"_s,
            &runSearch};
}
