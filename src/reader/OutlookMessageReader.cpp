#include "reader/OutlookMessageReader.h"

#include <cmath>

#include <QFile>
#include <QFileInfo>

#include "app/core/Delay.h"
#include "app/core/ParameterTable.h"
#include "app/core/Prompter.h"
#include "reader/InternetMessageReader.h"
#include "reader/MimeMessage.h"
#include "reader/outlook/OutlookItem.h"

using namespace Qt::StringLiterals;

namespace {

constexpr quint32 kTransportHeaders = 0x007D001F;
constexpr quint32 kInternetMessageId = 0x1035001F;
constexpr quint32 kSenderName = 0x0C1A001F;
constexpr quint32 kSenderAddress = 0x0C1F001F;
constexpr quint32 kReceivedByName = 0x0040001F;
constexpr quint32 kReceivedByAddress = 0x0076001F;
constexpr quint32 kAttachExtension = 0x3703001F;

// The text between the opening and closing marks ("<" ">", else "＜" "＞"); nothing when they are missing or misplaced.
std::optional<QString> betweenBrackets(const QString& s)
{
    qsizetype open = s.indexOf(u'<');
    qsizetype close = s.indexOf(u'>');
    if (open < 0) {
        open = s.indexOf(u'＜');
        close = s.indexOf(u'＞');
    }
    if (open >= 0 && close > open) {
        return s.mid(open + 1, close - open - 1);
    }
    return std::nullopt;
}

QString withoutQuotes(const QString& s)
{
    if (s.size() >= 2 && s.startsWith(u'"') && s.endsWith(u'"')) {
        return s.mid(1, s.size() - 2);
    }
    return s;
}

} // namespace

OutlookMessageReader::OutlookMessageReader(MessageView& view,
                                           ParameterTable& parameters,
                                           Prompter& prompter,
                                           MessageInfo& info)
    : m_view(view)
    , m_parameters(parameters)
    , m_prompter(prompter)
    , m_info(info)
{
}

OutlookMessageReader::~OutlookMessageReader() = default;

QString OutlookMessageReader::senderNameFrom(const QString& name)
{
    if (const auto inner = betweenBrackets(name)) {
        return *inner;
    }
    return withoutQuotes(name);
}

QString OutlookMessageReader::recieveNameFrom(const QString& name)
{
    return withoutQuotes(betweenBrackets(name).value_or(name));
}

QString OutlookMessageReader::recieveAddressFrom(const QString& address,
                                                 const QString& recieveName,
                                                 const ParameterTable& parameters)
{
    const bool exchange = address.contains(u"/O=FIRST"_s, Qt::CaseInsensitive)
                          || address.contains(u"/OU=EXCHANGE"_s, Qt::CaseInsensitive);
    if (!exchange) {
        return address;
    }
    if (recieveName.isEmpty()) {
        return QString();
    }
    QString key = recieveName;
    key.remove(u' ');
    for (int i = 1; i <= 10; ++i) {
        const QString account = parameters.value(QString(u"MailAccount"_s + QString::number(i)));
        if (account.contains(key, Qt::CaseInsensitive) && account.contains(u"Outlook"_s, Qt::CaseInsensitive)) {
            const qsizetype open = account.indexOf(u'<');
            const qsizetype close = account.indexOf(u'>');
            return (open >= 0 && close > open) ? account.mid(open + 1, close - open - 1) : QString();
        }
    }
    return QString();
}

void OutlookMessageReader::applyOwnAccount(MessageInfo& info, const ParameterTable& parameters)
{
    QString key;
    if (info.Recieve_Name.isEmpty()) {
        if (info.Recieve_Address.isEmpty()) {
            return;
        }
        key = u"<"_s + info.Recieve_Address + u">"_s;
    } else if (info.Recieve_Name.contains(u'@')) {
        key = u"<"_s + info.Recieve_Name + u">"_s;
    } else {
        return;
    }
    for (int i = 1; i <= 10; ++i) {
        QString account = parameters.value(QString(u"MailAccount"_s + QString::number(i)));
        if (account.contains(key, Qt::CaseInsensitive)) {
            account.remove(key, Qt::CaseInsensitive);
            info.Recieve_Name = account.trimmed();
            return;
        }
    }
}

QString OutlookMessageReader::removeBlankLines(const QString& text)
{
    QString result = text;
    result.replace(u"\r\n\n"_s, u"\r\n"_s);
    result.replace(u"\r\n\r\n"_s, u"\r\n"_s);
    return result;
}

void OutlookMessageReader::readZoomParameters()
{
    const QString zoom = m_parameters.valueOr(u"ZOOM", u"70"_s, true).trimmed();
    bool ok = false;
    const double percent = zoom.toDouble(&ok);
    if (!ok || !std::isfinite(percent) || percent <= 0) {
        m_parameters.setValue(u"ZOOM", u"70"_s);
        m_zoomFactor = 0.7;
    } else {
        m_zoomFactor = percent / 100.0;
    }
    m_zoomFixed = m_parameters.valueOr(u"ZoomFixed", u"1"_s, true) == u"1"_s;
}

QString OutlookMessageReader::bodyForPane(const QString& body) const
{
    QString text = m_parameters.value(u"RemoveLF") == u"1"_s ? removeBlankLines(body) : body;
    // The pane keeps lines as the other reader gives them: one line feed each.
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

void OutlookMessageReader::ReadOutlookMessage(const QString& path)
{
    m_completed = false;
    const QFileInfo source(path);
    m_workCopy = source.absolutePath() + u"/tmp_"_s + source.fileName();
    QString opened = m_workCopy;
    if (QFileInfo(m_workCopy) != source) {
        QFile::remove(m_workCopy);
        if (!QFile::copy(path, m_workCopy)) {
            // A folder we may not write to: read the file itself, it is only read.
            opened = path;
        }
    }
    ++m_readCounter;

    m_view.clearMessageView();
    m_info.clearFields();
    readZoomParameters();
    m_info.MDatType = 0;
    m_item.reset();

    if (!m_session.Connect()) {
        m_prompter.error(u"Outlookの動作環境が不安定です\r\nPCを再起動後、プログラムを実行してください"_s);
        return;
    }
    if (m_session.GetNameSpace(u"MAPI"_s)) {
        m_item = m_session.OpenSharedItem(opened);
    }
    if (!m_item) {
        m_session.release();
        Delay::wait(100);
        m_prompter.information(u"このメッセージが何度も表示する場合は\r\nOutlook起動後、再度実行してください(1)\r\n"
                               u"あるいは、MsgファイルからのDB更新を検討してください\r\n"
                               u"Outlookはタスクトレイアイコンの状態でOKです"_s);
        return;
    }
    const OutlookMailItem& item = *m_item;

    const QString headers = item.GetProperty(kTransportHeaders).value_or(QString());
    m_view.setDataViews(headers, QString());
    Delay::wait(100);

    m_info.Message_ID = item.GetProperty(kInternetMessageId).value_or(QString());
    m_info.Message_Date = InternetMessageReader::formatMessageDate(item.ReceivedTime());
    m_info.Account_Key.clear();
    m_info.Sender_Name = senderNameFrom(item.GetProperty(kSenderName).value_or(QString()));
    m_info.Sender_Address = item.GetProperty(kSenderAddress).value_or(QString());
    m_info.Recieve_Name = recieveNameFrom(item.GetProperty(kReceivedByName).value_or(QString()));
    m_info.Recieve_Address =
        recieveAddressFrom(item.GetProperty(kReceivedByAddress).value_or(QString()), m_info.Recieve_Name, m_parameters);
    applyOwnAccount(m_info, m_parameters);
    m_info.Message_Subject = item.Subject();
    m_view.showMessageInfo(m_info);

    const QString html = item.htmlbody();
    if (item.attachmentCount() == 0) {
        m_view.selectPage(0);
        m_view.setBodyText(QString());
        m_info.MailBody = bodyForPane(item.body());
        m_view.setBodyText(m_info.MailBody);
        m_info.MDatType = 1;
        if (!html.isEmpty()) {
            m_info.MDatType = 2;
            m_view.showHtmlText(html, m_zoomFactor);
        }
    } else {
        m_view.setBodyText(QString());
        const bool pgpMime = headers.contains(u"Content-Type: multipart/encrypted;"_s, Qt::CaseInsensitive);
        if (!pgpMime) {
            m_info.MDatType = 1;
            m_info.MailBody = bodyForPane(item.body());
            m_view.setBodyText(m_info.MailBody);
        }
        Delay::wait(100);
        m_view.selectPage(1);
        int imageIndex = 0;
        bool armored = false;
        for (int i = 1; i <= item.attachmentCount(); ++i) {
            const OutlookAttachment* attachment = item.Item(i);
            const QString name = attachment->displayName();
            if (name.isEmpty()) {
                continue;
            }
            const QString extension = attachment->GetProperty(kAttachExtension).value_or(QString()).toLower();
            if (extension != u".asc"_s) {
                const qsizetype dot = name.lastIndexOf(u'.');
                m_view.enableOpenActions();
                m_view.showAttachmentTab();
                m_view.addAttachment(name, dot < 0 ? QString() : name.mid(dot), imageIndex, i);
                ++imageIndex;
                continue;
            }
            // An OpenPGP-encrypted message: its body is the armored text until it is decrypted.
            armored = true;
            m_info.MDatType = 3;
            m_view.setBodyText(QString());
            Delay::wait(200);
            m_info.MailBody = bodyForPane(item.body());
            m_view.setBodyText(m_info.MailBody);
            const QStringList lines = MimeMessage::splitLines(m_info.MailBody);
            const bool stillEncrypted = std::any_of(
                lines.cbegin(), lines.cend(), [](const QString& line) { return line.contains(u"OpenPGP message"_s); });
            if (stillEncrypted) {
                Delay::wait(200);
                m_prompter.information(
                    u"Gpgキーのパスワードを入力してください\r\nその後[OK]をクリックし、このダイアログを閉じてください"_s);
                if (m_readCounter > 4) {
                    // Reading again can only give the same encrypted text; stop instead of asking forever.
                    m_prompter.error(u"GPG環境が不安定です"_s);
                    return;
                }
                ReadOutlookMessage(path);
                return;
            }
        }
        // The HTML body is shown beside the attachments as well.
        if (!armored && !pgpMime && !html.isEmpty()) {
            m_info.MDatType = 2;
            m_view.showHtmlText(html, m_zoomFactor);
        }
    }

    if (!m_view.fromStore()) {
        m_view.enableDbUpdate();
    }
    m_olkFlg = true;
    m_view.setStatusText(u"メッセージを表示しました"_s);
    m_view.showMessageInfo(m_info);
    m_completed = true;
}
