#pragma once

#include <QDateTime>
#include <QString>

#include "reader/MessageInfo.h"
#include "reader/MessageView.h"
#include "reader/MimeMessage.h"

class ParameterTable;
class Prompter;

// Reads one internet message file into the main window's message state: the
// MessageInfo, the body pane, the HTML view, attachment list I and the Data
// tab, through the MessageView. GUI-free; the window owns one instance and
// keeps the parsed message for the attachment list's save and open actions.
class InternetMessageReader final
{
public:
    InternetMessageReader(MessageView& view, ParameterTable& parameters, Prompter& prompter, MessageInfo& info);

    // Reads and shows the message file. Errors of reading are not reported:
    // the fields are filled from whatever could be read.
    void ReadInternetMessage(const QString& path);
    // The same for a message already in memory (loaded: whether the file could be read at all).
    void readMessageData(const QByteArray& data, bool loaded = true);

    [[nodiscard]] const MimeMessage& message() const { return m_message; }
    [[nodiscard]] MimeMessage& message() { return m_message; }

    // The zoom factor of the HTML view ("ZOOM" / 100) and ZoomFixedFlg, as
    // computed at the start of the last reading.
    [[nodiscard]] double zoomFactor() const { return m_zoomFactor; }
    [[nodiscard]] bool zoomFixed() const { return m_zoomFixed; }
    // TnefFlg: the last listed attachment was a TNEF stream.
    [[nodiscard]] bool tnefFlg() const { return m_tnefFlg; }
    // JISFlg: the armored block announced ISO-2022-JP.
    [[nodiscard]] bool jisFlg() const { return m_jisFlg; }
    // False when the last reading ended early (GnuPG missing).
    [[nodiscard]] bool completed() const { return m_completed; }

    // The text form of a message date: "yyyy/MM/dd HH:mm:ss", only the date
    // when the time is exactly midnight.
    [[nodiscard]] static QString formatMessageDate(const QDateTime& dateTime);
    // The date in the last ";"-separated piece of an "X-Apparently-To" value
    // ("... ; Sat, 30 Aug 2008 21:14:37 -0700"), the time zone ignored;
    // invalid when the piece is too short or is not a date.
    [[nodiscard]] static QDateTime apparentlyToDate(const QString& value);
    // Recieve_Name from a raw "To" value, before the own-account rule.
    [[nodiscard]] static QString recieveNameFromTo(const QString& to);
    // Recieve_Address from a raw "To" value.
    [[nodiscard]] static QString recieveAddressFromTo(const QString& to);
    // Sender_Name: the display name without enclosing apostrophes or full-width angle brackets.
    [[nodiscard]] static QString cleanSenderName(const QString& name);

private:
    void readZoomParameters();
    void fillFields();
    void applyOwnAccount();
    // Both return false when the reading must end at once.
    bool runParts();
    bool runSingleBody();
    bool handOverArmoredText(const QStringList& armored, MessageView::ArmorSource source);
    void finish();

    MessageView& m_view;
    ParameterTable& m_parameters;
    Prompter& m_prompter;
    MessageInfo& m_info;
    MimeMessage m_message;
    double m_zoomFactor = 0.7;
    bool m_zoomFixed = true;
    bool m_encrypted = false;
    bool m_tnefFlg = false;
    bool m_jisFlg = false;
    bool m_completed = false;
};
