#pragma once

#include <memory>

#include <QString>

#include "reader/MessageInfo.h"
#include "reader/MessageView.h"
#include "reader/outlook/OutlookSession.h"

class OutlookMailItem;
class ParameterTable;
class Prompter;

// Reads an Outlook message file (.msg) into the main window's message state,
// through the Outlook layer: the MessageInfo, the body pane, the HTML view,
// attachment list I and the Data tab. GUI-free; the window owns one instance
// and keeps the opened item for the attachment list's save and open actions.
class OutlookMessageReader final
{
public:
    OutlookMessageReader(MessageView& view, ParameterTable& parameters, Prompter& prompter, MessageInfo& info);
    ~OutlookMessageReader();

    // Reads and shows the message of the .msg file at path. Only a copy beside
    // it ("tmp_" + its name) is opened.
    void ReadOutlookMessage(const QString& path);

    // LMItem: the item of the last reading; nullptr when it could not be opened.
    [[nodiscard]] const OutlookMailItem* item() const { return m_item.get(); }
    // MsgReadCounter: readings since the last reset (nested ones included).
    [[nodiscard]] int readCounter() const { return m_readCounter; }
    void resetReadCounter() { m_readCounter = 0; }
    // mwk_MessageFile: the copy that the last reading opened.
    [[nodiscard]] QString workCopy() const { return m_workCopy; }
    // OlkFlg: Outlook has been used since the program started.
    [[nodiscard]] bool olkFlg() const { return m_olkFlg; }
    // False when the last reading ended early (the file could not be opened, or a re-reading was refused).
    [[nodiscard]] bool completed() const { return m_completed; }
    [[nodiscard]] double zoomFactor() const { return m_zoomFactor; }
    [[nodiscard]] bool zoomFixed() const { return m_zoomFixed; }
    OutlookSession& session() { return m_session; }

    // The rules for names and addresses, applied to raw property values.
    // Sender_Name: the text between "<" and ">" (else "＜" and "＞"), else without enclosing double quotes.
    [[nodiscard]] static QString senderNameFrom(const QString& name);
    // Recieve_Name: the text between the marks, then without enclosing double quotes.
    [[nodiscard]] static QString recieveNameFrom(const QString& name);
    // Recieve_Address: an internal Exchange address is replaced by the address of
    // the configured "MailAccount" entry that names the receiver and "Outlook".
    [[nodiscard]] static QString
    recieveAddressFrom(const QString& address, const QString& recieveName, const ParameterTable& parameters);
    // The own-account rule: a configured account found by address names the receiver.
    static void applyOwnAccount(MessageInfo& info, const ParameterTable& parameters);
    // "RemoveLF": blank lines collapsed.
    [[nodiscard]] static QString removeBlankLines(const QString& text);

private:
    void readZoomParameters();
    [[nodiscard]] QString bodyForPane(const QString& body) const;

    MessageView& m_view;
    ParameterTable& m_parameters;
    Prompter& m_prompter;
    MessageInfo& m_info;
    OutlookSession m_session;
    std::unique_ptr<OutlookMailItem> m_item;
    QString m_workCopy;
    int m_readCounter = 0;
    bool m_olkFlg = false;
    bool m_completed = false;
    double m_zoomFactor = 0.7;
    bool m_zoomFixed = true;
};
