#pragma once

#include <QByteArray>
#include <QString>

// Decoding of mail text the way Japanese Windows mail programs expect it.
//
// Windows writes "ISO-2022-JP" that carries its own extensions (NEC row 13
// such as ① and ㈱, the NEC-selected IBM rows such as 髙). Decoders that follow
// the standard strictly reject those, so ISO-2022-JP is turned into Shift_JIS
// bytes first and those are read as code page 932, like Windows does.
//
// Nothing here throws or crashes on bad input: undecodable bytes become
// U+FFFD and unknown charsets fall back (see decodeText()).
namespace JapaneseText {

// ISO-2022-JP bytes (code page 50220, including SO/SI and ESC ( I half-width
// katakana) converted to Shift_JIS bytes (code page 932). An empty input gives
// an empty result. Bytes that do not fit the current mode are passed on as
// they are, so text that is really Shift_JIS or ASCII survives.
[[nodiscard]] QByteArray JisToShiftJis(const QByteArray& jis);

// Two-digit month for an English month word ("Aug" -> "08"), tested in a fixed
// order by containment, letter case ignored; "0" when no month matches.
[[nodiscard]] QString MonthNumber(const QString& word);

// Bytes in the given MIME charset as text. ISO-2022-JP variants go through
// JisToShiftJis and CP932; Shift_JIS labels are read as CP932, EUC-JP as its
// Windows superset. An empty or unknown charset (or one whose decoder is not
// available) falls back to guessText().
[[nodiscard]] QString decodeText(const QByteArray& bytes, const QByteArray& charset);

// Text of unknown charset: ISO-2022-JP when it carries JIS escape sequences,
// else UTF-8 when it is valid UTF-8, else CP932 when it is valid CP932, else
// Windows-1252 (Latin-1 with the Windows punctuation), which never fails.
[[nodiscard]] QString guessText(const QByteArray& bytes);

// True when the bytes form valid UTF-8 (plain ASCII included).
[[nodiscard]] bool isValidUtf8(const QByteArray& bytes);

// A header value with RFC 2047 encoded words decoded. Adjacent encoded words
// (only white space between them) of the same charset are joined as bytes
// before the charset is decoded, because mail programs split one multi-byte
// sequence or one ISO-2022-JP run over two words. Text outside encoded words is
// read as UTF-8 when valid, otherwise with guessText(). Folding line breaks are
// removed. Malformed encoded words are kept as they are.
[[nodiscard]] QString decodeHeader(const QByteArray& raw);

} // namespace JapaneseText
