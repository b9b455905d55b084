#include "app/core/StartupArguments.h"

#include <QCoreApplication>

using namespace Qt::StringLiterals;

StartupArguments StartupArguments::parse(const QStringList& arguments)
{
    StartupArguments result;
    if (arguments.isEmpty()) {
        return result;
    }
    const QString first = arguments.first();
    if (first.contains(u"help"_s, Qt::CaseInsensitive)) {
        result.help = true;
        return result;
    }
    bool ok = false;
    const int number = first.trimmed().toInt(&ok);
    if (ok) {
        result.theme = (number < 0 || number > 3) ? 0 : number;
    }
    return result;
}

QString StartupArguments::usage()
{
    return QCoreApplication::translate("StartupArguments", "コマンドライン引数\r\n0:Win/1:ライト/2:ダーク/3:Win10");
}
