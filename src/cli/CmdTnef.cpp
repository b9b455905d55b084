#include <QDir>
#include <QFile>
#include <QSet>

#include "cli/CliCommand.h"
#include "reader/tnef/TnefAttachmentParser.h"
#include "reader/tnef/TnefError.h"

using namespace Qt::StringLiterals;

namespace {

QSet<QString> entriesOf(const QDir& dir)
{
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    return QSet<QString>(names.begin(), names.end());
}

// tnef FILE DIR: unpacks the attachments and body variants of a TNEF file into DIR and lists the
// files it wrote.
int runTnef(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 2) {
        err << "Usage: tidewell-cli tnef FILE DIR\n";
        return 2;
    }
    QFile source(args.at(0));
    if (!source.open(QIODevice::ReadOnly)) {
        err << "tidewell-cli tnef: cannot open " << args.at(0) << ": " << source.errorString() << '\n';
        return 1;
    }
    QDir destination(args.at(1));
    if (!destination.mkpath(u"."_s)) {
        err << "tidewell-cli tnef: cannot create the folder " << args.at(1) << '\n';
        return 1;
    }
    const QSet<QString> before = entriesOf(destination);
    int status = 0;
    try {
        TTnefAttachmentParser::Parse(&source, destination.absolutePath() + u'/');
    } catch (const ETnefError& error) {
        err << "tidewell-cli tnef: " << error.message() << '\n';
        status = 1;
    }
    QStringList written = (entriesOf(destination) - before).values();
    written.sort();
    for (const QString& name : std::as_const(written)) {
        out << destination.filePath(name) << '\n';
    }
    return status;
}

} // namespace

CliCommand tnefCommand()
{
    return {u"tnef"_s,
            u"tnef FILE DIR"_s,
            u"unpack the attachments and message bodies of a TNEF file (winmail.dat) into DIR"_s,
            &runTnef};
}
