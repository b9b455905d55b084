#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One entry of an OLE2 compound file (the container of Outlook .msg files): a
// storage with children, or a stream with its bytes. The whole tree is read
// into memory, so that everything after loading works on plain data.
struct CompoundEntry
{
    QString name;
    bool isStorage = false;
    QByteArray data;               // streams only
    QList<CompoundEntry> children; // storages only

    // The child of that name (letter case ignored, as the format does); nullptr when there is none.
    [[nodiscard]] const CompoundEntry* child(QStringView childName) const;
};

// Reading and writing compound files with libgsf.
class CompoundFile final
{
public:
    // The root storage of the file's bytes; false when they are not a compound
    // file or are damaged. Files are limited in size and depth so that a
    // crafted file cannot exhaust memory.
    static bool read(const QByteArray& bytes, CompoundEntry& root);
    // Writes the tree as a compound file; false when the file cannot be written.
    static bool write(const CompoundEntry& root, const QString& path);
    // The same into memory.
    static bool write(const CompoundEntry& root, QByteArray& bytes);

    static constexpr qint64 kMaxTotalBytes = 512LL * 1024 * 1024;
    static constexpr int kMaxDepth = 64;
};
