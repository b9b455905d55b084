#pragma once

#include <optional>

#include <QByteArray>

// The compressed RTF of Outlook items (PR_RTF_COMPRESSED): a 16-byte header
// (compressed size, raw size, "LZFu" or "MELA", CRC) followed by the data.
class CompressedRtf final
{
public:
    // The RTF bytes; nothing when the header or the data are damaged.
    [[nodiscard]] static std::optional<QByteArray> decompress(const QByteArray& stream);
    // The CRC that the header of a compressed stream carries, over the bytes after the header.
    [[nodiscard]] static quint32 crc(const QByteArray& bytes, qsizetype from = 0);
    // The dictionary's preset text, which both sides start from.
    [[nodiscard]] static QByteArray initialDictionary();

    static constexpr quint32 kCompressed = 0x75465A4C;   // "LZFu"
    static constexpr quint32 kUncompressed = 0x414C454D; // "MELA"
};
