#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include "store/MessageIntake.h"

class QMimeData;

// The items of a drop, taken from the dropped data at once (the drop source may
// forget its data when the drop event ends): local files named by
// "text/uri-list", or the virtual files of a mail client, whose names come in
// a "FileGroupDescriptorW" (or the older "FileGroupDescriptor") and whose
// contents come in "FileContents".
class MimeDropItems final : public DropItems
{
public:
    explicit MimeDropItems(const QMimeData& data);

    // Whether the data offers anything the intake can read.
    [[nodiscard]] static bool canRead(const QMimeData& data);
    // The item names of a file group descriptor; wide: the W form (UTF-16 names).
    [[nodiscard]] static QStringList descriptorNames(const QByteArray& descriptor, bool wide);

    [[nodiscard]] int count() const override { return static_cast<int>(m_items.size()); }
    [[nodiscard]] QString name(int index) const override;
    std::unique_ptr<QIODevice> contents(int index) override;

private:
    struct Item
    {
        QString name;
        QString localPath; // a file from a file manager
        QByteArray bytes;  // virtual-file contents
        bool hasBytes = false;
    };
    QList<Item> m_items;
};
