#include "cli/CliArchive.h"

#include <QCoreApplication>

#include "store/ArchiveLocator.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

namespace CliArchive {

bool takeDbOption(QStringList& args, QString& db, QTextStream& err, const QString& command)
{
    const qsizetype at = args.indexOf(u"--db"_s);
    if (at < 0) {
        return true;
    }
    if (at + 1 >= args.size()) {
        err << "tidewell-cli " << command << ": --db needs a PATH\n";
        return false;
    }
    db = args.at(at + 1);
    args.remove(at, 2);
    return true;
}

std::unique_ptr<TDm_Ldb> open(const QString& dbOption, QTextStream& err, const QString& command)
{
    ArchiveLocator::Target target{{}, dbOption};
    if (dbOption.isEmpty()) {
        target = ArchiveLocator::configured(QCoreApplication::applicationDirPath());
    }
    auto dm = std::make_unique<TDm_Ldb>(TDm_Ldb::Options{});
    dm->setTarget(target.host, target.path);
    if (!dm->create()) {
        err << "tidewell-cli " << command << ": cannot open " << target.path << ": " << dm->lastError() << '\n';
        return nullptr;
    }
    return dm;
}

} // namespace CliArchive
