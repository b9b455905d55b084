// Feeds arbitrary bytes to the .msg layer as a message file (every operation the
// reader and the attachment lists use), and to the compressed RTF decoder and
// the RTF de-encapsulation on their own.
#include <cstddef>
#include <cstdint>

#include <glib.h>

#include <QByteArray>
#include <QString>

#include "reader/outlook/CompressedRtf.h"
#include "reader/outlook/OutlookItem.h"
#include "reader/outlook/RtfDeencapsulator.h"

namespace {

void exercise(const OutlookMailItem& item, int depth)
{
    for (quint32 tag : {0x007D001Fu, 0x1035001Fu, 0x0C1A001Fu, 0x0C1F001Fu, 0x0040001Fu, 0x0076001Fu}) {
        (void)item.GetProperty(tag);
    }
    (void)item.ReceivedTime();
    (void)item.Subject();
    (void)item.body();
    (void)item.htmlbody();
    for (int i = 1; i <= item.attachmentCount() && i <= 16; ++i) {
        const OutlookAttachment* attachment = item.Item(i);
        (void)attachment->displayName();
        (void)attachment->GetProperty(0x3703001F);
        const QByteArray data = attachment->data();
        if (depth < 2 && attachment->isEmbeddedMessage()) {
            if (const auto embedded = attachment->embeddedItem()) {
                exercise(*embedded, depth + 1);
            }
            // What SaveAsFile writes must read back as a message.
            if (const auto saved = OutlookMailItem::fromData(data)) {
                (void)saved->Subject();
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool quiet = [] {
        // libgsf reports damaged files on the log; that is expected here.
        g_log_set_handler("libgsf:msole", GLogLevelFlags(G_LOG_LEVEL_MASK), [](auto...) {}, nullptr);
        return true;
    }();
    (void)quiet;
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    if (const auto item = OutlookMailItem::fromData(bytes)) {
        exercise(*item, 0);
    }
    if (const auto rtf = CompressedRtf::decompress(bytes)) {
        (void)RtfDeencapsulator::deencapsulate(*rtf);
    }
    (void)RtfDeencapsulator::deencapsulate(bytes);
    return 0;
}
