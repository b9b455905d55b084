#include "reader/InternetMessageReader.h"

#include <cmath>

#include <QFile>
#include <QFileInfo>

#include "app/core/ParameterTable.h"
#include "app/core/Prompter.h"
#include "reader/JapaneseText.h"

using namespace Qt::StringLiterals;

namespace {

const QString kPgpMarker = u"-----BEGIN PGP MESSAGE-----"_s;

// s without its first and last character when it starts with open and ends with close.
QString stripEnclosing(const QString& s, QStringView open, QStringView close)
{
    if (!s.isEmpty() && s.startsWith(open) && s.endsWith(close)) {
        return s.size() >= 2 ? s.mid(1, s.size() - 2) : QString();
    }
    return s;
}

// The extension with its dot, as a file-name function gives it ("a.tar.gz" -> ".gz").
QString extensionOf(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QString() : name.mid(dot);
}

QString removeAll(QString text, const QString& key)
{
    text.remove(key, Qt::CaseInsensitive);
    return text;
}

} // namespace

InternetMessageReader::InternetMessageReader(MessageView& view,
                                             ParameterTable& parameters,
                                             Prompter& prompter,
                                             MessageInfo& info)
    : m_view(view)
    , m_parameters(parameters)
    , m_prompter(prompter)
    , m_info(info)
{
}

void InternetMessageReader::ReadInternetMessage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        readMessageData(QByteArray(), false);
        return;
    }
    readMessageData(file.readAll(), true);
}

void InternetMessageReader::readMessageData(const QByteArray& data, bool loaded)
{
    m_view.clearMessageView();
    m_info.clearFields();
    m_encrypted = false;
    m_tnefFlg = false;
    m_jisFlg = false;
    m_completed = false;

    readZoomParameters();

    m_message.loadData(data);
    if (loaded) {
        const QString whole = JapaneseText::isValidUtf8(data) ? QString::fromUtf8(data) : JapaneseText::guessText(data);
        const QStringList lines = MimeMessage::splitLines(whole);
        const QStringList rest = lines.mid(std::min(m_message.headerLineCount(), lines.size()));
        m_view.setDataViews(whole, rest.join(u"\r\n"_s));
    }

    fillFields();
    applyOwnAccount();
    m_info.Message_Subject = m_message.subject();
    m_view.showMessageInfo(m_info);

    const bool goOn = m_message.hasParts() ? runParts() : runSingleBody();
    if (goOn) {
        finish();
    }
    m_view.showMessageInfo(m_info);
}

void InternetMessageReader::readZoomParameters()
{
    const QString zoom = m_parameters.valueOr(u"ZOOM", u"70"_s, true).trimmed();
    bool ok = false;
    const double percent = zoom.toDouble(&ok);
    // A value that is not a usable number would stop every reading; fall back instead.
    if (!ok || !std::isfinite(percent) || percent <= 0) {
        m_parameters.setValue(u"ZOOM", u"70"_s);
        m_zoomFactor = 0.7;
    } else {
        m_zoomFactor = percent / 100.0;
    }
    m_zoomFixed = m_parameters.valueOr(u"ZoomFixed", u"1"_s, true) == u"1"_s;
}

QString InternetMessageReader::formatMessageDate(const QDateTime& dateTime)
{
    if (!dateTime.isValid()) {
        return QString();
    }
    if (dateTime.time() == QTime(0, 0)) {
        return dateTime.toString(u"yyyy/MM/dd"_s);
    }
    return dateTime.toString(u"yyyy/MM/dd HH:mm:ss"_s);
}

QDateTime InternetMessageReader::apparentlyToDate(const QString& value)
{
    const QString last = value.split(u';').constLast().trimmed();
    const QStringList words = last.split(u' ');
    if (words.size() < 5) {
        return QDateTime();
    }
    const QString month = JapaneseText::MonthNumber(words.at(2));
    bool okDay = false;
    bool okMonth = false;
    bool okYear = false;
    const int day = words.at(1).toInt(&okDay);
    const int monthNumber = month.toInt(&okMonth);
    const int year = words.at(3).toInt(&okYear);
    if (!okDay || !okMonth || !okYear) {
        return QDateTime();
    }
    const QDate date(year, monthNumber, day);
    QTime time = QTime::fromString(words.at(4), u"H:m:s"_s);
    if (!time.isValid()) {
        time = QTime::fromString(words.at(4), u"H:m"_s);
    }
    if (!date.isValid() || !time.isValid()) {
        return QDateTime();
    }
    return QDateTime(date, time);
}

QString InternetMessageReader::cleanSenderName(const QString& name)
{
    if (name.startsWith(u'\'') && name.endsWith(u'\'')) {
        return stripEnclosing(name, u"'", u"'");
    }
    if (name.startsWith(u'＜') && name.endsWith(u'＞')) {
        return stripEnclosing(name, u"＜", u"＞");
    }
    return name;
}

QString InternetMessageReader::recieveNameFromTo(const QString& to)
{
    const qsizetype lt = to.indexOf(u'<');
    if (lt < 0) {
        return QString();
    }
    QString name = to.left(lt).trimmed();
    // Encoded words are decoded in full, however many there are and wherever
    // they stand (inside quotes too); text without them is taken as it is.
    if (name.contains(u"=?"_s)) {
        name = JapaneseText::decodeHeader(name.toUtf8()).trimmed();
    }
    name = stripEnclosing(name, u"\"", u"\"");
    name = stripEnclosing(name, u"'", u"\\");
    return name;
}

QString InternetMessageReader::recieveAddressFromTo(const QString& to)
{
    const qsizetype lt = to.indexOf(u'<');
    const qsizetype gt = to.indexOf(u'>');
    if (lt >= 0 && gt > lt) {
        return to.mid(lt + 1, gt - lt - 1);
    }
    return to;
}

void InternetMessageReader::fillFields()
{
    m_info.Message_ID = m_message.headerValue(u"Message-Id");

    const QDateTime date = m_message.date();
    if (date.isValid()) {
        m_info.Message_Date = formatMessageDate(date);
    } else {
        const QString apparentlyTo = m_message.headerValue(u"X-Apparently-To");
        if (!apparentlyTo.isEmpty()) {
            m_info.Message_Date = formatMessageDate(apparentlyToDate(apparentlyTo));
        }
    }

    m_info.Account_Key = m_message.headerValue(u"X-Account-Key");
    m_info.Sender_Name = cleanSenderName(m_message.senderName());
    m_info.Sender_Address = m_message.senderAddress();
    const QString to = m_message.headerValue(u"To");
    m_info.Recieve_Name = recieveNameFromTo(to);
    m_info.Recieve_Address = recieveAddressFromTo(to);
}

void InternetMessageReader::applyOwnAccount()
{
    QString key;
    if (m_info.Recieve_Name.isEmpty() && !m_info.Recieve_Address.isEmpty()) {
        key = u"<"_s + m_info.Recieve_Address + u">"_s;
    } else if (m_info.Recieve_Name.contains(u'@')) {
        key = u"<"_s + m_info.Recieve_Name + u">"_s;
    } else {
        return;
    }
    for (int i = 1; i <= 10; ++i) {
        const QString account = m_parameters.value(QString(u"MailAccount"_s + QString::number(i)));
        if (account.contains(key, Qt::CaseInsensitive)) {
            m_info.Recieve_Name = removeAll(account, key).trimmed();
            return;
        }
    }
}

bool InternetMessageReader::handOverArmoredText(const QStringList& armored, MessageView::ArmorSource source)
{
    QString gpg = m_parameters.value(u"GPGPath");
    if (gpg == ParameterTable::dummyData()) {
        gpg.clear();
    }
    gpg = gpg.trimmed();
    const QFileInfo program(gpg);
    if (gpg.isEmpty() || !program.exists() || !program.isFile()) {
        m_prompter.information(source == MessageView::ArmorSource::TextPart ? u"GPG2.exeのパス設定をしてください"_s
                                                                            : u"GPG.exeのパス設定をしてください"_s);
        return false;
    }
    m_view.decryptArmoredText(armored, m_jisFlg, source);
    return true;
}

bool InternetMessageReader::runParts()
{
    int iconCounter = 0;
    QList<MimePart>& parts = m_message.parts();
    for (int index = 0; index < parts.size(); ++index) {
        MimePart& part = parts[index];
        if (part.kind() == MimePart::Kind::Attachment) {
            m_view.selectPage(1);
            QString iconKey = extensionOf(part.fileName());
            if (!iconKey.isEmpty()) {
                m_view.enableOpenActions();
            } else if (part.fileName().isEmpty()) {
                part.setFileName(u"ver.dat"_s);
                iconKey = u"ver.dat"_s;
            } else {
                iconKey = u".dat"_s;
            }
            m_view.showAttachmentTab();
            m_view.addAttachment(part.fileName(), iconKey, iconCounter, index);
            ++iconCounter;
            if (part.contentType().contains(u"application/ms-tnef"_s, Qt::CaseInsensitive)) {
                m_tnefFlg = true;
                m_view.unpackTnef(index);
            } else {
                m_tnefFlg = false;
            }
            continue;
        }
        const QString type = part.contentType();
        if (type.contains(u"text/html"_s, Qt::CaseInsensitive)) {
            m_info.MDatType = 2;
            m_view.showHtmlText(part.text(), m_zoomFactor);
        }
        if (type.contains(u"text/plain"_s, Qt::CaseInsensitive)) {
            m_info.MDatType = 1;
            const QStringList lines = part.textLines();
            m_jisFlg = false;
            bool armored = false;
            for (qsizetype i = 0; i < lines.size(); ++i) {
                if (lines.at(i).contains(kPgpMarker)) {
                    armored = true;
                    m_encrypted = true;
                    const bool next =
                        i + 1 < lines.size() && lines.at(i + 1).contains(u"iso-2022-jp"_s, Qt::CaseInsensitive);
                    const bool after =
                        i + 2 < lines.size() && lines.at(i + 2).contains(u"iso-2022-jp"_s, Qt::CaseInsensitive);
                    m_jisFlg = next || after;
                    break;
                }
            }
            m_view.selectPage(0);
            m_view.setBodyText(QString());
            m_info.MailBody.clear();
            if (!armored) {
                m_info.MailBody = lines.join(u'\n');
                m_view.setBodyText(m_info.MailBody);
            } else if (!handOverArmoredText(lines, MessageView::ArmorSource::TextPart)) {
                return false;
            }
        }
    }
    return true;
}

bool InternetMessageReader::runSingleBody()
{
    m_info.MDatType = 1;
    if (m_message.headerText().contains(kPgpMarker)) {
        m_encrypted = true;
        QStringList armored;
        for (qsizetype i = 0; i < m_message.headerLineCount(); ++i) {
            const QString line = m_message.headerLine(i);
            if (line.contains(kPgpMarker)) {
                armored.append(line);
            }
        }
        armored.append(QString());
        armored.append(m_message.rawBodyLines());
        m_jisFlg = false;
        return handOverArmoredText(armored, MessageView::ArmorSource::BareFile);
    }
    // A message without Content-Type is plain text (the MIME default).
    QString type = m_message.headerValue(u"Content-Type");
    if (!m_message.hasHeader(u"Content-Type")) {
        type = u"text/plain"_s;
    }
    if (type.contains(u"text/plain"_s, Qt::CaseInsensitive)) {
        m_info.MailBody = m_message.bodyLines().join(u'\n');
        m_view.setBodyText(QString());
        m_view.setBodyText(m_info.MailBody);
    }
    if (type.contains(u"text/html"_s, Qt::CaseInsensitive)) {
        m_info.MDatType = 2;
        m_view.showHtmlText(m_message.bodyText(), m_zoomFactor);
    }
    return true;
}

void InternetMessageReader::finish()
{
    if (m_encrypted) {
        m_info.MDatType = 3;
    }
    if (!m_view.fromStore()) {
        m_view.enableDbUpdate();
    }
    m_view.setStatusText(u"メッセージを表示しました"_s);
    m_completed = true;
}
