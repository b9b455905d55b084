#include "reader/outlook/RtfDeencapsulator.h"

#include <QList>

#include "reader/JapaneseText.h"
#include "reader/outlook/CodePages.h"

using namespace Qt::StringLiterals;

namespace {

struct ControlWord
{
    QByteArray word;
    bool hasParameter = false;
    int parameter = 0;
};

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads a control word starting after the backslash at pos; pos ends after its delimiter.
ControlWord readControlWord(const QByteArray& rtf, qsizetype& pos)
{
    ControlWord result;
    const qsizetype start = pos;
    while (pos < rtf.size() && isLetter(rtf.at(pos)) && pos - start < 32) {
        ++pos;
    }
    result.word = rtf.mid(start, pos - start);
    bool negative = false;
    if (pos < rtf.size() && rtf.at(pos) == '-') {
        negative = true;
        ++pos;
    }
    qint64 value = 0;
    int digits = 0;
    while (pos < rtf.size() && isDigit(rtf.at(pos))) {
        if (digits < 10) {
            value = value * 10 + (rtf.at(pos) - '0');
        }
        ++digits;
        ++pos;
    }
    if (digits > 0) {
        result.hasParameter = true;
        value = std::min<qint64>(value, 0x7FFFFFFF);
        result.parameter = static_cast<int>(negative ? -value : value);
    }
    if (pos < rtf.size() && rtf.at(pos) == ' ') {
        ++pos;
    }
    return result;
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

QByteArray charsetOf(int codePage)
{
    const QByteArray name = CodePages::charsetName(codePage);
    return name.isEmpty() ? QByteArrayLiteral("windows-1252") : name;
}

class Walker
{
public:
    explicit Walker(const QByteArray& rtf)
        : m_rtf(rtf)
    {
    }

    RtfDeencapsulator::Result run(RtfDeencapsulator::Kind kind)
    {
        m_kind = kind;
        State state;
        QList<State> stack;
        qsizetype pos = 0;
        while (pos < m_rtf.size()) {
            const char c = m_rtf.at(pos);
            if (c == '{') {
                ++pos;
                stack.append(state);
                state.groupStart = true;
                state.starred = false;
                if (stack.size() > 4096) {
                    break;
                }
                continue;
            }
            if (c == '}') {
                ++pos;
                if (stack.isEmpty()) {
                    break;
                }
                state = stack.takeLast();
                continue;
            }
            if (c == '\r' || c == '\n') {
                ++pos;
                continue;
            }
            if (c != '\\') {
                ++pos;
                state.groupStart = false;
                emitByte(state, c);
                continue;
            }
            ++pos;
            if (pos >= m_rtf.size()) {
                break;
            }
            const char next = m_rtf.at(pos);
            if (next == '\\' || next == '{' || next == '}') {
                ++pos;
                state.groupStart = false;
                emitByte(state, next);
                continue;
            }
            if (next == '\'') {
                ++pos;
                int value = -1;
                if (pos + 1 < m_rtf.size()) {
                    const int high = hexValue(m_rtf.at(pos));
                    const int low = hexValue(m_rtf.at(pos + 1));
                    if (high >= 0 && low >= 0) {
                        value = high * 16 + low;
                    }
                    pos += 2;
                }
                state.groupStart = false;
                if (value >= 0) {
                    if (state.skipFallback > 0) {
                        --state.skipFallback;
                    } else {
                        emitByte(state, static_cast<char>(value));
                    }
                }
                continue;
            }
            if (next == '*') {
                ++pos;
                state.starred = true;
                continue;
            }
            if (next == '~') {
                ++pos;
                emitText(state, QString(QChar(0xA0)));
                continue;
            }
            if (!isLetter(next)) {
                ++pos; // other control symbols (\-, \_, \:, ...) carry nothing we need
                continue;
            }
            const bool atGroupStart = state.groupStart;
            state.groupStart = false;
            const ControlWord cw = readControlWord(m_rtf, pos);
            controlWord(state, cw, atGroupStart, pos);
        }
        flush();
        return {m_kind, m_out};
    }

private:
    struct State
    {
        bool groupStart = false;
        bool starred = false;
        bool skip = false;      // an ignored destination
        bool inHtmlTag = false; // inside {\*\htmltag...}
        bool htmlrtf = false;   // inside \htmlrtf ... \htmlrtf0
        int unicodeSkip = 1;    // \ucN
        int skipFallback = 0;
    };

    [[nodiscard]] bool writes(const State& state) const
    {
        if (state.skip) {
            return false;
        }
        if (state.inHtmlTag) {
            return true;
        }
        return !state.htmlrtf;
    }

    void emitByte(State& state, char byte)
    {
        if (state.skipFallback > 0) {
            --state.skipFallback;
            return;
        }
        if (writes(state)) {
            m_bytes.append(byte);
        }
    }

    void emitText(const State& state, const QString& text)
    {
        if (writes(state)) {
            flush();
            m_out.append(text);
        }
    }

    void flush()
    {
        if (!m_bytes.isEmpty()) {
            m_out.append(JapaneseText::decodeText(m_bytes, charsetOf(m_codePage)));
            m_bytes.clear();
        }
    }

    void controlWord(State& state, const ControlWord& cw, bool atGroupStart, qsizetype& pos)
    {
        const QByteArray& w = cw.word;
        if (w == "htmltag" || w == "mhtmltag") {
            if (atGroupStart || state.starred) {
                // The original's markup; \mhtmltag holds the original of a rewritten link,
                // the \htmltag beside it the rewritten one, which is what we keep.
                state.inHtmlTag = w == "htmltag";
                state.skip = w == "mhtmltag";
            }
            return;
        }
        if (w == "htmlrtf") {
            state.htmlrtf = !cw.hasParameter || cw.parameter != 0;
            return;
        }
        if (w == "ansicpg" && cw.hasParameter && cw.parameter > 0) {
            flush();
            m_codePage = cw.parameter;
            return;
        }
        if (w == "uc" && cw.hasParameter) {
            state.unicodeSkip = std::clamp(cw.parameter, 0, 8);
            return;
        }
        if (w == "u" && cw.hasParameter) {
            int code = cw.parameter;
            if (code < 0) {
                code += 65536;
            }
            emitText(state, QString(QChar(static_cast<char16_t>(code))));
            state.skipFallback = state.unicodeSkip;
            skipFallbackText(state, pos);
            return;
        }
        if (atGroupStart && (state.starred || isDestination(w))) {
            state.skip = true;
            return;
        }
        if (w == "par" || w == "line") {
            emitText(state, u"\r\n"_s);
        } else if (w == "tab") {
            emitText(state, u"\t"_s);
        } else if (w == "lquote") {
            emitText(state, u"\u2018"_s);
        } else if (w == "rquote") {
            emitText(state, u"\u2019"_s);
        } else if (w == "ldblquote") {
            emitText(state, u"\u201C"_s);
        } else if (w == "rdblquote") {
            emitText(state, u"\u201D"_s);
        } else if (w == "bullet") {
            emitText(state, u"\u2022"_s);
        } else if (w == "endash") {
            emitText(state, u"\u2013"_s);
        } else if (w == "emdash") {
            emitText(state, u"\u2014"_s);
        }
    }

    // The characters after \uN that stand in for it in readers without Unicode.
    void skipFallbackText(State& state, qsizetype& pos)
    {
        while (state.skipFallback > 0 && pos < m_rtf.size()) {
            const char c = m_rtf.at(pos);
            if (c == '{' || c == '}') {
                break;
            }
            if (c == '\\') {
                if (pos + 1 < m_rtf.size() && m_rtf.at(pos + 1) == '\'') {
                    pos += 4;
                } else {
                    break;
                }
            } else {
                ++pos;
            }
            --state.skipFallback;
        }
        state.skipFallback = 0;
    }

    static bool isDestination(const QByteArray& w)
    {
        static const QList<QByteArray> destinations = {
            "fonttbl",      "colortbl",  "stylesheet", "info",     "pict",      "object",
            "header",       "footer",    "footnote",   "filetbl",  "listtable", "listoverridetable",
            "revtbl",       "rsidtbl",   "generator",  "xmlnstbl", "themedata", "colorschememapping",
            "latentstyles", "datastore", "pntext",     "pntxta",   "pntxtb",    "fldinst"};
        return destinations.contains(w);
    }

    const QByteArray& m_rtf;
    RtfDeencapsulator::Kind m_kind = RtfDeencapsulator::Kind::None;
    QString m_out;
    QByteArray m_bytes;
    int m_codePage = 1252;
};

} // namespace

RtfDeencapsulator::Kind RtfDeencapsulator::encapsulation(const QByteArray& rtf)
{
    if (!rtf.startsWith("{\\rtf")) {
        return Kind::None;
    }
    // The marker stands among the header's first control words, before any text or group.
    qsizetype pos = 1;
    for (int words = 0; words < 10 && pos < rtf.size(); ++words) {
        if (rtf.at(pos) != '\\') {
            break;
        }
        ++pos;
        const ControlWord cw = readControlWord(rtf, pos);
        if (cw.word == "fromhtml" && cw.parameter == 1) {
            return Kind::Html;
        }
        if (cw.word == "fromtext") {
            return Kind::Text;
        }
        while (pos < rtf.size() && (rtf.at(pos) == '\r' || rtf.at(pos) == '\n')) {
            ++pos;
        }
    }
    return Kind::None;
}

RtfDeencapsulator::Result RtfDeencapsulator::deencapsulate(const QByteArray& rtf)
{
    const Kind kind = encapsulation(rtf);
    if (kind == Kind::None) {
        return {};
    }
    // Skip the outer brace: the document group itself is not a destination.
    Walker walker(rtf);
    return walker.run(kind);
}
