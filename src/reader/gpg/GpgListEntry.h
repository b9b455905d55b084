#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One item of attachment list II for an attachment of a decrypted message.
struct GpgListEntry
{
    // Icon key of a part whose name marks it as an OpenPGP signature: no
    // extension, so the list shows the generic file icon.
    static constexpr char16_t kGenericIconKey[] = u"dat";

    QString caption;     // the part's file name, the key by which the list looks the part up
    QString iconKey;     // the extension with its dot (".pdf"), empty for a name without one, or kGenericIconKey
    int imageIndex = -1; // 0, 1, 2, ... in list order
    int partIndex = -1;  // index into GpgDecryptor::secondMessage().parts()
    QString contentType; // "type/subtype" in lower case

    friend bool operator==(const GpgListEntry&, const GpgListEntry&) = default;
};

Q_DECLARE_METATYPE(GpgListEntry)
