#pragma once

#include <functional>
#include <memory>

#include <QCoreApplication>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include "store/DbListHost.h"
#include "store/MessageReaders.h"
#include "store/MessageRegistrar.h"

class DbConnectController;
class FileChooser;
class Prompter;
class QIODevice;
struct MessageInfo;
struct Settings;

// The items of one drop, whatever the platform handed over: local files from a
// file manager or the virtual files of a mail client. Each item has a name and,
// when the source offers one, a readable byte stream.
class DropItems
{
public:
    virtual ~DropItems() = default;
    [[nodiscard]] virtual int count() const = 0;
    [[nodiscard]] virtual QString name(int index) const = 0;
    // The item's contents, open for reading; null when the source has none.
    virtual std::unique_ptr<QIODevice> contents(int index) = 0;
};

// Messages entering the program: "メールを開く" (MessageOpen) with its file
// dialog, drops on the upper panel, and "メールを保存する" (MessageSave). It
// picks the reader by extension, puts dropped items and .msg files as work
// copies into mail_dat, calls the reader, and for a selection of several items
// drives the registration of each message, in one batch or after a question
// per message. It also runs "DB更新" (DBUpdate) on what the window shows.
//
// GUI-free: the window is reached through the store's host interfaces and the
// few callbacks of Window.
class MessageIntake final : public QObject
{
    Q_OBJECT

public:
    // What the intake asks of the main window beyond the store's host interfaces.
    struct Window
    {
        std::function<void()> plainTextMode;           // body pane to plain-text mode
        std::function<void()> clearAttachmentsAndBody; // empty both attachment lists and the body pane
        std::function<void()> hideAttachmentTabs;      // hide "添付ファイルⅠ" and "添付ファイルⅡ"
        std::function<void(bool shown)> showBodyPane;  // show (and repaint) or hide the body pane
        std::function<QString()> dataMemoText;         // first memo of the "Data" tab
        std::function<MessageInfo()> shownMessage;     // MessageInfo with the "書誌情報" boxes as shown
    };

    MessageIntake(MessageInfo& info,
                  Settings& settings,
                  const QString& mailDat,
                  const DbListHost& host,
                  DbConnectController& dbConnect,
                  Prompter& prompter,
                  FileChooser& files,
                  const QString& connectionName,
                  QObject* parent = nullptr);
    ~MessageIntake() override;

    void setWindow(Window window) { m_window = std::move(window); }
    // ReadInternetMessage for .eml files, ReadOutlookMessage for .msg files
    // (always handed a work copy).
    void setReaders(MessageReaders readers) { m_readers = std::move(readers); }
    [[nodiscard]] MessageReaders& readers() { return m_readers; }

    // The six entries of the open dialog's filter list, in order.
    [[nodiscard]] static QStringList openFilters();
    // mail_dat + the plain file name of name: no folder part, no "..", never outside mail_dat.
    [[nodiscard]] QString workCopyPath(const QString& name) const;

    // Copies a dropped stream into file: the announced size (the low 32 bits
    // of the stream's size, as a signed count) is read in blocks of at most
    // 128 KiB, each appended when full or when nothing more is expected; a read
    // that delivers nothing ends the copy early. Returns the bytes written.
    static qint64 copyStream(QIODevice& stream, QIODevice& file);
    static constexpr qint64 kCopyBlock = 131072;

    // MessageOpen: preparation, the dialog, then every chosen file.
    void openMessages();
    // The files as if chosen in the dialog (after it returned OK).
    void openFiles(const QStringList& files);
    // A drop on the upper panel: preparation, then every item.
    void drop(DropItems& items);
    // MessageSave.
    void MessageSave();
    // DBUpdate on the message as the window shows it; reopens the list after
    // success when Reconnect is "1".
    MessageRegistrar::Outcome DBUpdate();

    // An intake is under way (further opens and drops are refused meanwhile).
    [[nodiscard]] bool isRunning() const { return m_running; }
    // Ends a running intake after the current item (the window is closing).
    void stop() { m_stopRequested = true; }

    [[nodiscard]] MessageRegistrar& registrar() { return m_registrar; }

Q_SIGNALS:
    // A selection or drop of several items: items handled so far of the total.
    void progressChanged(int done, int total);
    void runningChanged(bool running);
    void registered(MessageRegistrar::Outcome outcome);

private:
    enum class Source
    {
        Open,
        Drop
    };

    struct Run
    {
        Source source = Source::Open;
        int itemCount = 0;
        int remaining = 0;
        bool batch = false;
    };

    void disconnectList();
    void decide(Run& run, const QString& itemName);
    void readOpened(const QString& file, bool& read, Run& run);
    void setRunning(bool running, int items = 0);
    void step(int done, int total);

    MessageInfo& m_info;
    Settings& m_settings;
    QString m_mailDat;
    DbListHost m_host;
    DbConnectController& m_dbConnect;
    Prompter& m_prompter;
    FileChooser& m_files;
    MessageRegistrar m_registrar;
    Window m_window;
    MessageReaders m_readers;
    bool m_running = false;
    bool m_stopRequested = false;
    int m_runItems = 0;              // items of the running intake
    bool m_reconnectPending = false; // a message of the running intake was stored
};
