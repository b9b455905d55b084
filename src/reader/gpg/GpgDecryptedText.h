#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// What becomes of the text GnuPG writes: the decoding of a decrypted body and
// the rebuilding of the first alternative of a decrypted message that the MIME
// parser saw as one plain body.
namespace GpgDecryptedText {

// The decrypted body as text: ISO-2022-JP read the Windows way (JIS turned into
// Shift_JIS, then code page 932, so ① and ㈱ survive) when jisFlg is set, UTF-8
// otherwise. A leading byte order mark is dropped and line ends become "\n".
[[nodiscard]] QString decodeBody(const QByteArray& bytes, bool jisFlg);

// The delimiter announced by the first line containing "multipart/alternative;"
// whose next line contains boundary=": that next line, trimmed, with every
// boundary=" replaced by "--" and every =-=" by =-= (letter case ignored).
// Empty when no such pair of lines exists.
[[nodiscard]] QString boundaryDelimiter(const QStringList& lines);

// "RemoveLF": every "\r\n\n" becomes "\r\n", then every "\r\n\r\n" becomes
// "\r\n" (each pass left to right, without overlaps).
[[nodiscard]] QString removeBlankLines(QString text);

// The lines between the first line containing the delimiter and the next one.
// When the delimiter was found and that text contains "base64", the text after
// the first "base64" (its last character cut) is Base64-decoded as UTF-8, blank
// lines collapsed when removeLf, and returned as the one entry of the result;
// otherwise the result is bodyLines unchanged.
[[nodiscard]] QStringList
rebuildFirstAlternative(const QStringList& bodyLines, const QString& delimiter, bool removeLf);

// The name proposed when saving decrypted text: "/" replaced by "_" and the
// extension changed to ".txt" ("report.asc" -> "report.txt").
[[nodiscard]] QString proposedTextName(const QString& caption);

} // namespace GpgDecryptedText
