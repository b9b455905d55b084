#include "cli/CmdCreateDb.h"

#include "store/ArchiveCreator.h"

using namespace Qt::StringLiterals;

namespace {

int runCreateDb(const QStringList& args, QTextStream& out, QTextStream& err)
{
    if (args.size() != 1) {
        err << "usage: tidewell-cli create-db PATH\n";
        return 2;
    }
    QString error;
    if (!ArchiveCreator::create(args.first(), &error)) {
        err << "tidewell-cli create-db: " << error << '\n';
        return 1;
    }
    out << "created " << args.first() << '\n';
    return 0;
}

} // namespace

CliCommand createDbCommand()
{
    return {u"create-db"_s,
            u"create-db PATH"_s,
            u"create a new, empty message archive (an existing file is never touched)"_s,
            &runCreateDb};
}
