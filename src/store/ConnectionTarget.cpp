#include "store/ConnectionTarget.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

ConnectionTarget::ConnectionTarget(const QString& host, const QString& path)
    : m_host(host.trimmed())
    , m_path(path.trimmed())
{
}

bool ConnectionTarget::isEmbeddedHost(const QString& host)
{
    return host.trimmed().isEmpty() || host.contains(u"localhost"_s, Qt::CaseInsensitive);
}

QString ConnectionTarget::databaseName() const
{
    return isEmbedded() ? m_path : m_host + u':' + m_path;
}

QString ConnectionTarget::title() const
{
    // The file name without folder, whichever separator the path uses.
    QString name = m_path;
    const qsizetype cut = std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\'));
    name = name.mid(cut + 1);
    return plainTitle() + u" -- "_s + (isEmbedded() ? name : m_host + u':' + name);
}

QString ConnectionTarget::plainTitle()
{
    return tr("Tidewell 管理");
}

QString ConnectionTarget::settingsDialogFailureTitle()
{
    return u"Mail DB"_s;
}
