#include "reader/JapaneseText.h"

#include <cerrno>

#include <iconv.h>

#include <QList>
#include <QStringDecoder>

using namespace Qt::StringLiterals;

namespace {

constexpr char kEsc = 0x1b;

// Shift_JIS bytes for one JIS X 0208 pair (both bytes 0x21..0x7E). Rows 13 and
// 89..92 land on the NEC and NEC-selected IBM extensions of code page 932.
void appendShiftJisPair(QByteArray& out, unsigned char j1, unsigned char j2)
{
    int s1 = ((j1 - 0x21) >> 1) + 0x81;
    if (s1 > 0x9f) {
        s1 += 0x40;
    }
    int s2 = 0;
    if ((j1 & 1) != 0) {
        s2 = j2 + 0x1f;
        if (s2 >= 0x7f) {
            ++s2;
        }
    } else {
        s2 = j2 + 0x7e;
    }
    out.append(static_cast<char>(s1));
    out.append(static_cast<char>(s2));
}

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Opening a converter loads glibc's conversion module and closing it unloads it
// again, which costs more than most decodes: each thread keeps its converters,
// one per charset name (a name iconv does not know is remembered as such).
class ConverterCache
{
public:
    ConverterCache() = default;
    ConverterCache(const ConverterCache&) = delete;
    ConverterCache& operator=(const ConverterCache&) = delete;
    ~ConverterCache()
    {
        for (const Entry& entry : std::as_const(m_entries)) {
            if (entry.cd != kNoConverter) {
                iconv_close(entry.cd);
            }
        }
    }

    // A converter to UTF-8 in its initial state, or kNoConverter. borrowed is
    // false when the caller owns it (the cache is full) and must close it.
    iconv_t get(const char* charset, bool& borrowed)
    {
        borrowed = true;
        for (const Entry& entry : std::as_const(m_entries)) {
            if (entry.name == charset) {
                if (entry.cd != kNoConverter) {
                    iconv(entry.cd, nullptr, nullptr, nullptr, nullptr);
                }
                return entry.cd;
            }
        }
        iconv_t cd = iconv_open("UTF-8", charset);
        // Charset names come from messages: keep the cache small whatever they say.
        if (m_entries.size() >= kMaxEntries) {
            borrowed = false;
            return cd;
        }
        m_entries.append(Entry{QByteArray(charset), cd});
        return cd;
    }

private:
    static constexpr qsizetype kMaxEntries = 32;
    struct Entry
    {
        QByteArray name;
        iconv_t cd;
    };
    QList<Entry> m_entries;
};

// Decodes with glibc iconv. Undecodable bytes become U+FFFD and clear *clean.
// Returns a null string when iconv does not know the charset.
QString iconvDecode(const QByteArray& bytes, const char* charset, bool* clean = nullptr)
{
    if (clean != nullptr) {
        *clean = true;
    }
    thread_local ConverterCache cache;
    bool borrowed = true;
    iconv_t cd = cache.get(charset, borrowed);
    if (cd == kNoConverter) {
        return QString();
    }
    QByteArray out;
    QByteArray buffer(4096, Qt::Uninitialized);
    QByteArray input = bytes; // iconv wants a non-const input pointer
    char* in = input.data();
    size_t inLeft = static_cast<size_t>(input.size());
    const QByteArray replacement = QByteArrayLiteral("\xef\xbf\xbd");
    while (true) {
        char* outPtr = buffer.data();
        size_t outLeft = static_cast<size_t>(buffer.size());
        // With no input left, this call flushes the shift state.
        const size_t rc =
            inLeft > 0 ? iconv(cd, &in, &inLeft, &outPtr, &outLeft) : iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
        out.append(buffer.constData(), buffer.size() - static_cast<qsizetype>(outLeft));
        if (rc != static_cast<size_t>(-1)) {
            if (inLeft == 0) {
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        if (clean != nullptr) {
            *clean = false;
        }
        out.append(replacement);
        if (errno == EILSEQ && inLeft > 0) {
            ++in;
            --inLeft;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            continue;
        }
        break; // EINVAL: incomplete sequence at the end, or anything else
    }
    if (!borrowed) {
        iconv_close(cd);
    }
    return QString::fromUtf8(out);
}

bool looksLikeJis(const QByteArray& bytes)
{
    return bytes.contains("\x1b$B") || bytes.contains("\x1b$@") || bytes.contains("\x1b(I") || bytes.contains("\x1b$(Q")
           || bytes.contains("\x1b$(O");
}

QString decodeJis(const QByteArray& bytes)
{
    bool clean = true;
    return iconvDecode(JapaneseText::JisToShiftJis(bytes), "CP932", &clean);
}

// Only names made of these characters are handed to iconv, so a charset from a
// message cannot smuggle in iconv options ("//IGNORE") or other surprises.
bool isPlainCharsetName(const QByteArray& name)
{
    if (name.isEmpty() || name.size() > 40) {
        return false;
    }
    for (const char c : name) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
                        || c == '_' || c == '.' || c == ':';
        if (!ok) {
            return false;
        }
    }
    return true;
}

QByteArray decodeQ(const QByteArray& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text.at(i);
        if (c == '_') {
            out.append(' ');
        } else if (c == '=' && i + 2 < text.size()) {
            bool ok = false;
            const int value = text.mid(i + 1, 2).toInt(&ok, 16);
            if (ok) {
                out.append(static_cast<char>(value));
                i += 2;
            } else {
                out.append(c);
            }
        } else {
            out.append(c);
        }
    }
    return out;
}

QString decodePlain(const QByteArray& bytes)
{
    if (JapaneseText::isValidUtf8(bytes) && !looksLikeJis(bytes)) {
        return QString::fromUtf8(bytes);
    }
    return JapaneseText::guessText(bytes);
}

struct Segment
{
    bool encoded = false;
    QByteArray charset; // lower case, language suffix removed
    QByteArray bytes;   // decoded bytes of an encoded word, raw bytes of plain text
};

// Parses one encoded word starting at "=?" at position pos. On success fills
// the segment and returns the position after "?=", else returns -1.
qsizetype parseEncodedWord(const QByteArray& raw, qsizetype pos, Segment& segment)
{
    const qsizetype charsetEnd = raw.indexOf('?', pos + 2);
    if (charsetEnd < 0 || charsetEnd + 3 >= raw.size() || raw.at(charsetEnd + 2) != '?') {
        return -1;
    }
    QByteArray charset = raw.mid(pos + 2, charsetEnd - pos - 2);
    if (charset.isEmpty() || charset.contains(' ') || charset.contains('\t')) {
        return -1;
    }
    const qsizetype star = charset.indexOf('*');
    if (star >= 0) {
        charset.truncate(star);
    }
    const char encoding = raw.at(charsetEnd + 1);
    const qsizetype textStart = charsetEnd + 3;
    const qsizetype end = raw.indexOf("?=", textStart);
    if (end < 0) {
        return -1;
    }
    const QByteArray text = raw.mid(textStart, end - textStart);
    if (encoding == 'B' || encoding == 'b') {
        segment.bytes = QByteArray::fromBase64(text);
    } else if (encoding == 'Q' || encoding == 'q') {
        segment.bytes = decodeQ(text);
    } else {
        return -1;
    }
    segment.encoded = true;
    segment.charset = charset.toLower();
    return end + 2;
}

bool isBlank(const QByteArray& bytes)
{
    for (const char c : bytes) {
        if (c != ' ' && c != '\t') {
            return false;
        }
    }
    return true;
}

} // namespace

namespace JapaneseText {

QByteArray JisToShiftJis(const QByteArray& jis)
{
    enum class Mode
    {
        Ascii,
        Kanji,
        Kana,
        Unsupported // JIS X 0212: no place in code page 932
    };
    QByteArray out;
    out.reserve(jis.size());
    Mode mode = Mode::Ascii;
    bool shiftOut = false;
    const qsizetype n = jis.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto c = static_cast<unsigned char>(jis.at(i));
        if (c == kEsc && i + 2 < n) {
            const char a = jis.at(i + 1);
            const char b = jis.at(i + 2);
            if (a == '(' && (b == 'B' || b == 'J' || b == 'H')) {
                mode = Mode::Ascii;
                i += 2;
                continue;
            }
            if (a == '(' && b == 'I') {
                mode = Mode::Kana;
                i += 2;
                continue;
            }
            if (a == '$' && (b == '@' || b == 'B')) {
                mode = Mode::Kanji;
                i += 2;
                continue;
            }
            if (a == '&' && b == '@') { // announces JIS X 0208-1990; the ESC $ B follows
                i += 2;
                continue;
            }
            if (a == '$' && b == '(' && i + 3 < n) {
                const char d = jis.at(i + 3);
                if (d == 'Q' || d == 'O' || d == 'B' || d == '@') {
                    mode = Mode::Kanji;
                    i += 3;
                    continue;
                }
                if (d == 'D') {
                    mode = Mode::Unsupported;
                    i += 3;
                    continue;
                }
            }
        }
        if (c == 0x0e) {
            shiftOut = true;
            continue;
        }
        if (c == 0x0f) {
            shiftOut = false;
            continue;
        }
        if (c == '\r' || c == '\n') {
            out.append(static_cast<char>(c));
            continue;
        }
        if (shiftOut || mode == Mode::Kana) {
            out.append(static_cast<char>(c >= 0x21 && c <= 0x5f ? c + 0x80 : c));
            continue;
        }
        if (mode == Mode::Kanji || mode == Mode::Unsupported) {
            const bool pair = c >= 0x21 && c <= 0x7e && i + 1 < n && static_cast<unsigned char>(jis.at(i + 1)) >= 0x21
                              && static_cast<unsigned char>(jis.at(i + 1)) <= 0x7e;
            if (pair) {
                if (mode == Mode::Kanji) {
                    appendShiftJisPair(out, c, static_cast<unsigned char>(jis.at(i + 1)));
                } else {
                    out.append("\x81\x45"); // "・" stands for a character code page 932 lacks
                }
                ++i;
                continue;
            }
        }
        out.append(static_cast<char>(c));
    }
    return out;
}

QString MonthNumber(const QString& word)
{
    static const QList<std::pair<QString, QString>> table = {
        {u"January"_s, u"01"_s}, {u"Jan"_s, u"01"_s},      {u"February"_s, u"02"_s}, {u"Feb"_s, u"02"_s},
        {u"March"_s, u"03"_s},   {u"Mar"_s, u"03"_s},      {u"April"_s, u"04"_s},    {u"Apr"_s, u"04"_s},
        {u"May"_s, u"05"_s},     {u"June"_s, u"06"_s},     {u"Jun"_s, u"06"_s},      {u"July"_s, u"07"_s},
        {u"Jul"_s, u"07"_s},     {u"August"_s, u"08"_s},   {u"Aug"_s, u"08"_s},      {u"September"_s, u"09"_s},
        {u"Sep"_s, u"09"_s},     {u"October"_s, u"10"_s},  {u"Oct"_s, u"10"_s},      {u"November"_s, u"11"_s},
        {u"Nov"_s, u"11"_s},     {u"December"_s, u"12"_s}, {u"Dec"_s, u"12"_s},
    };
    for (const auto& [name, number] : table) {
        if (word.contains(name, Qt::CaseInsensitive)) {
            return number;
        }
    }
    return u"0"_s;
}

bool isValidUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    Q_UNUSED(text);
    return !decoder.hasError();
}

QString guessText(const QByteArray& bytes)
{
    if (looksLikeJis(bytes)) {
        return decodeJis(bytes);
    }
    if (isValidUtf8(bytes)) {
        return QString::fromUtf8(bytes);
    }
    bool clean = false;
    QString text = iconvDecode(bytes, "CP932", &clean);
    if (clean) {
        return text;
    }
    text = iconvDecode(bytes, "CP1252", &clean);
    if (clean) {
        return text;
    }
    return QString::fromLatin1(bytes);
}

QString decodeText(const QByteArray& bytes, const QByteArray& charset)
{
    QByteArray cs = charset.trimmed().toLower();
    if (cs.size() >= 2 && cs.startsWith('"') && cs.endsWith('"')) {
        cs = cs.mid(1, cs.size() - 2).trimmed();
    }
    if (bytes.isEmpty()) {
        return QString();
    }
    if (cs.isEmpty()) {
        return guessText(bytes);
    }
    if (cs == "utf-8" || cs == "utf8" || cs == "us-ascii" || cs == "ascii" || cs == "unicode-1-1-utf-8") {
        return isValidUtf8(bytes) && !looksLikeJis(bytes) ? QString::fromUtf8(bytes) : guessText(bytes);
    }
    if (cs.startsWith("iso-2022-jp") || cs == "csiso2022jp" || cs == "cp50220" || cs == "cp50221" || cs == "cp50222"
        || cs == "jis") {
        return decodeJis(bytes);
    }
    if (cs == "shift_jis" || cs == "shift-jis" || cs == "sjis" || cs == "x-sjis" || cs == "ms_kanji"
        || cs == "csshiftjis" || cs == "cp932" || cs == "windows-31j" || cs == "x-ms-cp932" || cs == "ms932"
        || cs == "shift_jisx0213" || cs == "shift_jis-2004") {
        return iconvDecode(bytes, "CP932");
    }
    if (cs == "euc-jp" || cs == "x-euc-jp" || cs == "eucjp" || cs == "cseucpkdfmtjapanese" || cs == "euc-jp-ms"
        || cs == "eucjp-ms") {
        return iconvDecode(bytes, "EUC-JP-MS");
    }
    // Mail labelled Latin-1 is nearly always written in Windows-1252.
    if (cs == "iso-8859-1" || cs == "latin1" || cs == "iso8859-1" || cs == "us" || cs == "windows-1252") {
        bool clean = false;
        const QString text = iconvDecode(bytes, "CP1252", &clean);
        return clean ? text : QString::fromLatin1(bytes);
    }
    if (cs == "ks_c_5601-1987" || cs == "euc-kr" || cs == "ks_c_5601") {
        return iconvDecode(bytes, "CP949");
    }
    if (cs == "gb2312" || cs == "x-gbk" || cs == "gbk") {
        return iconvDecode(bytes, "GBK");
    }
    if (isPlainCharsetName(cs)) {
        const QString text = iconvDecode(bytes, cs.toUpper().constData());
        if (!text.isNull()) {
            return text;
        }
    }
    return guessText(bytes);
}

QString decodeHeader(const QByteArray& rawValue)
{
    QByteArray raw = rawValue;
    raw.replace('\r', QByteArray());
    raw.replace('\n', QByteArray());

    QList<Segment> segments;
    qsizetype plainStart = 0;
    qsizetype pos = 0;
    while (pos < raw.size()) {
        const qsizetype start = raw.indexOf("=?", pos);
        if (start < 0) {
            break;
        }
        Segment word;
        const qsizetype end = parseEncodedWord(raw, start, word);
        if (end < 0) {
            pos = start + 2;
            continue;
        }
        if (start > plainStart) {
            segments.append({false, QByteArray(), raw.mid(plainStart, start - plainStart)});
        }
        segments.append(word);
        plainStart = end;
        pos = end;
    }
    if (plainStart < raw.size()) {
        segments.append({false, QByteArray(), raw.mid(plainStart)});
    }

    // White space between two encoded words is not part of the text.
    QList<Segment> joined;
    for (qsizetype i = 0; i < segments.size(); ++i) {
        const Segment& s = segments.at(i);
        if (!s.encoded && isBlank(s.bytes) && i > 0 && i + 1 < segments.size() && segments.at(i - 1).encoded
            && segments.at(i + 1).encoded) {
            continue;
        }
        if (s.encoded && !joined.isEmpty() && joined.last().encoded && joined.last().charset == s.charset) {
            joined.last().bytes.append(s.bytes);
            continue;
        }
        joined.append(s);
    }

    QString result;
    for (const Segment& s : joined) {
        result += s.encoded ? decodeText(s.bytes, s.charset) : decodePlain(s.bytes);
    }
    return result;
}

} // namespace JapaneseText
