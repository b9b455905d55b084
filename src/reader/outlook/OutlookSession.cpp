#include "reader/outlook/OutlookSession.h"

#include "reader/outlook/OutlookItem.h"

using namespace Qt::StringLiterals;

bool OutlookSession::Connect()
{
    m_connected = true;
    return true;
}

bool OutlookSession::GetNameSpace(const QString& type)
{
    m_namespace = m_connected && type.compare(u"MAPI"_s, Qt::CaseInsensitive) == 0;
    return m_namespace;
}

std::unique_ptr<OutlookMailItem> OutlookSession::OpenSharedItem(const QString& path) const
{
    if (!m_namespace) {
        return nullptr;
    }
    return OutlookMailItem::open(path);
}

void OutlookSession::release()
{
    m_connected = false;
    m_namespace = false;
}
