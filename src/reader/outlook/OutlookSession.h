#pragma once

#include <memory>

#include <QString>

class OutlookMailItem;

// Outlook as the program drives it: there is no Outlook here, so the
// application and its "MAPI" namespace are this program's own .msg reader.
// Connecting and getting the namespace always work; opening a shared item works
// whenever the file is a readable .msg file.
class OutlookSession final
{
public:
    // Connect: a usable application (always).
    bool Connect();
    // GetNameSpace("MAPI"): true for the "MAPI" namespace after Connect.
    bool GetNameSpace(const QString& type);
    // OpenSharedItem: the item of a .msg file; nullptr when the file cannot be
    // read, is not a compound file or holds no message.
    [[nodiscard]] std::unique_ptr<OutlookMailItem> OpenSharedItem(const QString& path) const;
    // Releases the application and namespace references.
    void release();

    [[nodiscard]] bool connected() const { return m_connected; }
    [[nodiscard]] bool hasNamespace() const { return m_namespace; }

    // The running check of the SMTP sender: Outlook is never running here.
    [[nodiscard]] static bool isRunning() { return false; }

private:
    bool m_connected = false;
    bool m_namespace = false;
};
