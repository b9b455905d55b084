#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

#include "cli/CliArchive.h"
#include "cli/CliCommand.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace {

int runList(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    QString db;
    if (!CliArchive::takeDbOption(args, db, err, u"list"_s)) {
        return 2;
    }
    int limit = 20;
    const qsizetype at = args.indexOf(u"--limit"_s);
    if (at >= 0) {
        bool ok = false;
        limit = at + 1 < args.size() ? args.at(at + 1).toInt(&ok) : 0;
        if (!ok || limit < 0) {
            err << "tidewell-cli list: --limit needs a count\n";
            return 2;
        }
        args.remove(at, 2);
    }
    if (!args.isEmpty()) {
        err << "usage: tidewell-cli list [--db PATH] [--limit N]\n";
        return 2;
    }
    const std::unique_ptr<TDm_Ldb> dm = CliArchive::open(db, err, u"list"_s);
    if (!dm) {
        return 1;
    }
    QSqlQuery query(dm->database());
    query.setForwardOnly(true);
    // Newest first, as the list window shows them; the rows are read one by one and the rest left unread.
    if (!query.exec(u"SELECT MESSAGE_DATE, SENDER_NAME, SENDER_ADDRESS, MESSAGE_SUBJECT, MESSAGE_FILENAME, "
                    "MESSAGE_ID FROM MAIL_VIEW ORDER BY MESSAGE_DATE DESC, MESSAGE_ID DESC"_s)) {
        err << "tidewell-cli list: " << query.lastError().text() << '\n';
        return 1;
    }
    out << "Message_Date\tSender_Name\tSender_Address\tMessage_Subject\tMessage_FileName\tMessage_ID\n";
    for (int row = 0; row < limit && query.next(); ++row) {
        QStringList cells;
        cells.append(query.value(0).toDateTime().toString(u"yyyy/MM/dd HH:mm:ss"_s));
        for (int i = 1; i < 6; ++i) {
            // A tab or line break inside a value would break the columns.
            cells.append(query.value(i).toString().replace(u'\t', u' ').replace(u'\n', u' ').remove(u'\r'));
        }
        out << cells.join(u'\t') << '\n';
    }
    return 0;
}

} // namespace

CliCommand listCommand()
{
    return {u"list"_s,
            u"list [--db PATH] [--limit N]"_s,
            u"print the newest N (default 20) stored messages, one tab-separated line each"_s,
            &runList};
}
