#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

// One sub-command of tidewell-cli: its name, a one-line summary for --help and its entry point.
// run() receives the arguments after the command name and returns the process exit status.
struct CliCommand
{
    QString name;
    QString usage;
    QString summary;
    int (*run)(const QStringList& args, QTextStream& out, QTextStream& err) = nullptr;
};
