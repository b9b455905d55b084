#include <QCoreApplication>
#include <QList>
#include <QTextStream>

#include "cli/CliCommand.h"
#include "cli/CmdCreateDb.h"

using namespace Qt::StringLiterals;

CliCommand inspectCommand(); // CmdInspect.cpp
CliCommand tnefCommand();    // CmdTnef.cpp
CliCommand searchCommand();  // CmdSearch.cpp
CliCommand exportCommand();  // CmdExport.cpp
CliCommand importCommand();  // CmdImport.cpp
CliCommand listCommand();    // CmdList.cpp

namespace {

// Every sub-command, in the order --help lists them.
QList<CliCommand> commands()
{
    return {
        createDbCommand(),
        importCommand(),
        listCommand(),
        searchCommand(),
        exportCommand(),
        inspectCommand(),
        tnefCommand(),
    };
}

void printHelp(QTextStream& out)
{
    out << "Usage: tidewell-cli [--help | --version | COMMAND [ARGUMENTS...]]\n\n"
        << "The command-line tool of Tidewell, the personal e-mail archive.\n";
    const QList<CliCommand> all = commands();
    if (!all.isEmpty()) {
        out << "\nCommands:\n";
        for (const CliCommand& command : all) {
            out << "  " << command.usage << "\n      " << command.summary << '\n';
        }
    }
    out << "\nOptions:\n"
        << "  --help       show this text\n"
        << "  --version    show the program version\n";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"tidewell-cli"_s);
    QCoreApplication::setApplicationVersion(QStringLiteral(TIDEWELL_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == u"--help"_s || args.first() == u"-h"_s) {
        printHelp(out);
        return args.isEmpty() ? 1 : 0;
    }
    if (args.first() == u"--version"_s) {
        out << "tidewell-cli " << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    const QString name = args.takeFirst();
    for (const CliCommand& command : commands()) {
        if (command.name == name) {
            return command.run(args, out, err);
        }
    }
    err << "tidewell-cli: unknown command \"" << name << "\" (see --help)\n";
    return 2;
}
