#include "reader/outlook/CompressedRtf.h"

#include <array>

namespace {

constexpr int kDictionarySize = 4096;
constexpr qsizetype kHeaderSize = 16;
// The output may not grow past this, whatever the header claims (a crafted stream could ask for more).
constexpr qsizetype kMaxOutput = 256 * 1024 * 1024;

quint32 readLe32(const QByteArray& bytes, qsizetype at)
{
    return static_cast<quint32>(static_cast<quint8>(bytes.at(at)))
           | static_cast<quint32>(static_cast<quint8>(bytes.at(at + 1))) << 8
           | static_cast<quint32>(static_cast<quint8>(bytes.at(at + 2))) << 16
           | static_cast<quint32>(static_cast<quint8>(bytes.at(at + 3))) << 24;
}

const std::array<quint32, 256>& crcTable()
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? (0xEDB88320U ^ (c >> 1)) : (c >> 1);
            }
            t[i] = c;
        }
        return t;
    }();
    return table;
}

} // namespace

QByteArray CompressedRtf::initialDictionary()
{
    return QByteArrayLiteral(
        "{\\rtf1\\ansi\\mac\\deff0\\deftab720{\\fonttbl;}{\\f0\\fnil \\froman \\fswiss \\fmodern "
        "\\fscript \\fdecor MS Sans SerifSymbolArialTimes New RomanCourier{\\colortbl\\red0\\green0"
        "\\blue0\r\n\\par \\pard\\plain\\f0\\fs20\\b\\i\\u\\tab\\tx");
}

quint32 CompressedRtf::crc(const QByteArray& bytes, qsizetype from)
{
    const auto& table = crcTable();
    quint32 value = 0;
    for (qsizetype i = from; i < bytes.size(); ++i) {
        value = table[(value ^ static_cast<quint8>(bytes.at(i))) & 0xFF] ^ (value >> 8);
    }
    return value;
}

std::optional<QByteArray> CompressedRtf::decompress(const QByteArray& stream)
{
    if (stream.size() < kHeaderSize) {
        return std::nullopt;
    }
    const quint32 compSize = readLe32(stream, 0);
    const quint32 rawSize = readLe32(stream, 4);
    const quint32 compType = readLe32(stream, 8);
    // compSize counts the header's last 12 bytes and the data; a stream may carry padding after them.
    const qsizetype end = std::min<qsizetype>(stream.size(), qsizetype(compSize) + 4);
    if (compType == kUncompressed) {
        return stream.mid(kHeaderSize, std::min<qsizetype>(qsizetype(rawSize), stream.size() - kHeaderSize));
    }
    if (compType != kCompressed || end < kHeaderSize) {
        return std::nullopt;
    }

    std::array<char, kDictionarySize> dictionary{};
    const QByteArray preset = initialDictionary();
    std::copy(preset.cbegin(), preset.cend(), dictionary.begin());
    int writeOffset = static_cast<int>(preset.size());

    QByteArray out;
    out.reserve(std::min<qsizetype>(qsizetype(rawSize), kMaxOutput));
    qsizetype pos = kHeaderSize;
    while (pos < end) {
        const quint8 control = static_cast<quint8>(stream.at(pos++));
        for (int bit = 0; bit < 8; ++bit) {
            if (pos >= end) {
                return out;
            }
            if ((control & (1 << bit)) == 0) {
                const char literal = stream.at(pos++);
                out.append(literal);
                dictionary[writeOffset] = literal;
                writeOffset = (writeOffset + 1) % kDictionarySize;
                continue;
            }
            if (pos + 1 >= end) {
                return std::nullopt;
            }
            const int word = (static_cast<quint8>(stream.at(pos)) << 8) | static_cast<quint8>(stream.at(pos + 1));
            pos += 2;
            int readOffset = word >> 4;
            const int length = (word & 0x0F) + 2;
            if (readOffset == writeOffset) {
                return out; // the end marker
            }
            if (out.size() + length > kMaxOutput) {
                return std::nullopt;
            }
            for (int i = 0; i < length; ++i) {
                const char byte = dictionary[readOffset];
                out.append(byte);
                dictionary[writeOffset] = byte;
                readOffset = (readOffset + 1) % kDictionarySize;
                writeOffset = (writeOffset + 1) % kDictionarySize;
            }
        }
    }
    return out;
}
