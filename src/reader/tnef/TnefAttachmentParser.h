#pragma once

#include <QString>

class QIODevice;

// What is known of the attachment being unpacked: the file its data went to and the names it should
// finally carry.
class TAttachmentInfo
{
public:
    explicit TAttachmentInfo(const QString& ABaseFolder);
    virtual ~TAttachmentInfo();
    TAttachmentInfo(const TAttachmentInfo&) = delete;
    TAttachmentInfo& operator=(const TAttachmentInfo&) = delete;

    // Empties the save-to name, the long and short file names and the title.
    virtual void Clear();

    // A name in the base folder that no file has yet: AFileName, else AFileName with 1, 2, 3... inserted
    // before its extension. The result becomes SaveToFileName.
    QString GenerateSaveToFileName(const QString& AFileName);
    // Gives the saved file its real name (long name, else short name, else title + ".dat"), then Clear.
    void RenameSavedAttachment();

    // A name from the stream reduced to a plain file name: no folders, no drive, no "." or "..";
    // empty when nothing usable is left.
    [[nodiscard]] static QString PlainFileName(const QString& AName);

    [[nodiscard]] const QString& BaseFolder() const { return FBaseFolder; }
    [[nodiscard]] const QString& SaveToFileName() const { return FSaveToFileName; }
    void SetSaveToFileName(const QString& AValue) { FSaveToFileName = AValue; }
    [[nodiscard]] const QString& LongFileName() const { return FLongFileName; }
    void SetLongFileName(const QString& AValue) { FLongFileName = AValue; }
    [[nodiscard]] const QString& FileName() const { return FFileName; }
    void SetFileName(const QString& AValue) { FFileName = AValue; }
    [[nodiscard]] const QString& Title() const { return FTitle; }
    void SetTitle(const QString& AValue) { FTitle = AValue; }

private:
    [[nodiscard]] QString uniqueName(const QString& AFileName) const;

    QString FFileName;
    QString FSaveToFileName;
    QString FTitle;
    QString FLongFileName;
    QString FBaseFolder;
};

// Unpacks a TNEF stream (winmail.dat): every attachment it holds and the message body variants
// ("Body.txt", "Body.html", "RtfCompressed.dat") become files in a folder.
class TTnefAttachmentParser final
{
public:
    // Decodes ASource from its current position into ADestinationFolder. Throws ETnefError; files written
    // before a failure stay in the folder.
    static void Parse(QIODevice* ASource, const QString& ADestinationFolder);
};
