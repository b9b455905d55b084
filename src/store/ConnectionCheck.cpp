#include "store/ConnectionCheck.h"

#include "app/core/Prompter.h"
#include "store/DbFileChooser.h"
#include "store/TDm_Ldb.h"

using namespace Qt::StringLiterals;

ConnectionCheck::ConnectionCheck(TDm_Ldb& dataModule, Prompter& prompter, DbFileChooser& chooser)
    : m_dm(dataModule)
    , m_prompter(prompter)
    , m_chooser(chooser)
{
}

QString ConnectionCheck::okText()
{
    return tr("Data Base 接続OK!!");
}

QString ConnectionCheck::ngText()
{
    return tr("Data Base 接続NG!!");
}

QString ConnectionCheck::fileFilter()
{
    return tr("Firebird DBファイル (*.fdb);;Interbase DBファイル (*.gdb)");
}

bool ConnectionCheck::check(const QString& host, const QString& path, const std::function<void(bool)>& setButtonEnabled)
{
    if (setButtonEnabled) {
        setButtonEnabled(false);
    }
    const bool ok = m_dm.connectionCheck(host, path);
    if (ok) {
        m_prompter.information(okText());
    } else {
        m_prompter.information(ngText());
    }
    if (setButtonEnabled) {
        setButtonEnabled(true);
    }
    return ok;
}

QString ConnectionCheck::browse(const QString& currentPath) const
{
    const QString chosen = m_chooser.chooseDbFile(currentPath, u"fdb"_s, fileFilter());
    return chosen.isEmpty() ? currentPath : chosen;
}
