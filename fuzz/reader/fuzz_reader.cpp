// Feeds arbitrary bytes to the internet message reader as a message file, and
// to the header and charset decoders on their own.
#include <cstddef>
#include <cstdint>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "app/core/ParameterTable.h"
#include "app/core/Prompter.h"
#include "reader/InternetMessageReader.h"
#include "reader/JapaneseText.h"
#include "reader/MessageInfo.h"
#include "reader/MessageView.h"

using namespace Qt::StringLiterals;

namespace {

class NullView final : public MessageView
{
public:
    void clearMessageView() override {}
    void showMessageInfo(const MessageInfo&) override {}
    void setBodyText(const QString&) override {}
    void setDataViews(const QString&, const QString&) override {}
    void selectPage(int) override {}
    void showAttachmentTab() override {}
    void addAttachment(const QString&, const QString&, int, int) override {}
    void enableOpenActions() override {}
    void enableDbUpdate() override {}
    void showHtmlText(const QString&, double) override {}
    void setStatusText(const QString&) override {}
    void unpackTnef(int) override {}
    void decryptArmoredText(const QStringList&, bool, ArmorSource) override {}
    bool fromStore() const override { return false; }
};

class NullPrompter final : public Prompter
{
public:
    void information(const QString&) override {}
    void warning(const QString&) override {}
    void error(const QString&) override {}
    Answer question(const QString&, Answer answer) override { return answer; }
    Answer questionWithCancel(const QString&, Answer answer) override { return answer; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    static NullView view;
    static NullPrompter prompter;
    ParameterTable parameters;
    parameters.setValue(u"MailAccount1", u"Me <me@example.jp>"_s);
    MessageInfo info;
    InternetMessageReader reader(view, parameters, prompter, info);
    reader.readMessageData(bytes);

    (void)JapaneseText::decodeHeader(bytes);
    (void)JapaneseText::decodeText(bytes, QByteArrayLiteral("iso-2022-jp"));
    (void)JapaneseText::guessText(bytes);
    return 0;
}
