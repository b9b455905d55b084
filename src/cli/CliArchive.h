#pragma once

#include <memory>

#include <QString>
#include <QTextStream>

class TDm_Ldb;

// The archive a command works on: the file given with --db, else the one the
// window uses (settings file of the data folder, section "MailDB", keys
// "Server" and "DBPath"), else Tidewell.fdb in the data folder. Opened through
// the same data module as the window.
namespace CliArchive {

// Takes "--db PATH" out of args (anywhere); false with a message when PATH is missing.
bool takeDbOption(QStringList& args, QString& db, QTextStream& err, const QString& command);
// Opens the archive; null (with a message on err) when it cannot be opened.
std::unique_ptr<TDm_Ldb> open(const QString& dbOption, QTextStream& err, const QString& command);

} // namespace CliArchive
