#pragma once

#include <QString>
#include <QStringList>

struct MessageInfo;

// The part of the main window that shows a message, as the message readers see
// it. The window implements it on its widgets; tests and the command line use
// recording implementations. Every call runs on the user-interface thread.
class MessageView
{
public:
    // Where an armored OpenPGP text handed to decryptArmoredText() came from.
    enum class ArmorSource
    {
        TextPart, // a text/plain part of a multipart message
        BareFile  // a file that is nothing but an armored message
    };

    virtual ~MessageView() = default;

    // ClearMessageView: empty the eight "書誌情報" boxes, both Data views, the
    // body pane and both attachment lists; hide the tabs "添付ファイルⅠ",
    // "添付ファイルⅡ" and "HTML"; disable the zoom actions and close the web
    // view; forget the previously opened message file; disable MessageSave;
    // clear TnefFlg. The reader empties its MessageInfo itself.
    virtual void clearMessageView() = 0;

    // Shows the eight bibliographic fields in the "書誌情報" boxes.
    virtual void showMessageInfo(const MessageInfo& info) = 0;

    // Replaces the plain text of the body pane (empty text clears it).
    virtual void setBodyText(const QString& text) = 0;

    // The two raw views of the "Data" tab: the whole file, and the file from
    // the end of the header block on.
    virtual void setDataViews(const QString& left, const QString& right) = 0;

    // Selects the page of the tab control with that index (0: the message
    // tabs' first page, 1: "添付ファイルⅠ").
    virtual void selectPage(int index) = 0;

    // Makes the "添付ファイルⅠ" tab visible if it is not.
    virtual void showAttachmentTab() = 0;

    // Adds an item to attachment list I. caption: the part's file name;
    // iconKey: the extension with its dot (".pdf"), ".dat" for a name without
    // extension, or "ver.dat" for a nameless part (a file-name key), from which
    // the list fetches icon and type text; imageIndex: the item's image index;
    // partIndex: the part's index in the reader's MimeMessage::parts(), through
    // which the list saves or opens the attachment.
    virtual void addAttachment(const QString& caption, const QString& iconKey, int imageIndex, int partIndex) = 0;

    // Enables "OpenWithA1" and "規定のプログラムで開く".
    virtual void enableOpenActions() = 0;

    // Enables "DB更新" (DBUpdate).
    virtual void enableDbUpdate() = 0;

    // ShowHtmlText: shows the HTML string on the "HTML" tab at the given zoom
    // factor (select page 0, show the tab, create the web view if needed,
    // enable the two zoom actions).
    virtual void showHtmlText(const QString& html, double zoomFactor) = 0;

    // Text of status-bar panel 2.
    virtual void setStatusText(const QString& text) = 0;

    // The attachment with that part index is a TNEF stream: unpack it into
    // attachment list II. Does nothing until the TNEF unpacking exists.
    virtual void unpackTnef(int partIndex) = 0;

    // Runs the body decryption with GnuPG on the armored text (the reader has
    // already checked that "GPGPath" names an existing file). jisFlg: the
    // decrypted text is ISO-2022-JP. The window shows the result in the body pane.
    virtual void decryptArmoredText(const QStringList& armoredText, bool jisFlg, ArmorSource source) = 0;

    // Bit 0 of pmode: the shown message comes from the store.
    [[nodiscard]] virtual bool fromStore() const = 0;
};
