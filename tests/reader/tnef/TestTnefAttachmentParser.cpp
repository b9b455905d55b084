#include <dirent.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#include "reader/tnef/TnefAttachmentParser.h"
#include "reader/tnef/TnefError.h"
#include "testpaths.h"

using namespace Qt::StringLiterals;

using Files = QMap<QString, QByteArray>;

namespace {

// Raw attribute ids and property tags as the TNEF format documents them.
constexpr quint32 kAttachRenderData = 0x00069002;
constexpr quint32 kAttachData = 0x0006800F;
constexpr quint32 kAttachTitle = 0x00018010;
constexpr quint32 kAttachment = 0x00069005;
constexpr quint32 kMapiProperties = 0x00069003;
constexpr quint32 kTnefVersion = 0x00089006;
constexpr quint32 kOemCodepage = 0x00069007;
constexpr quint32 kSubject = 0x00018004;
constexpr quint8 kMessage = 1;
constexpr quint8 kAttachmentLevel = 2;

constexpr quint16 kLong = 0x0003;
constexpr quint16 kString8 = 0x001E;
constexpr quint16 kUnicode = 0x001F;
constexpr quint16 kObject = 0x000D;
constexpr quint16 kBinary = 0x0102;
constexpr quint16 kMulti = 0x1000;

constexpr quint16 kBody = 0x1000;
constexpr quint16 kBodyHtml = 0x1013;
constexpr quint16 kRtfCompressed = 0x1009;
constexpr quint16 kAttachDataProp = 0x3701;
constexpr quint16 kAttachFilename = 0x3704;
constexpr quint16 kAttachLongFilename = 0x3707;
constexpr quint16 kAttachMimeTag = 0x370E;

void put16(QByteArray& out, quint32 value)
{
    out += char(value & 0xFF);
    out += char((value >> 8) & 0xFF);
}

void put32(QByteArray& out, quint32 value)
{
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

QByteArray padded(QByteArray data)
{
    while (data.size() % 4 != 0) {
        data += '\0';
    }
    return data;
}

QByteArray utf16(const QString& text)
{
    QStringEncoder encoder(QStringEncoder::Utf16LE);
    return encoder.encode(text);
}

// A MAPI property list as it stands in agMapiProperties and agAttachment.
class PropertyList
{
public:
    // One value of a variable-size type (string, binary, object).
    PropertyList& variable(quint16 type, quint16 id, const QByteArray& data) { return variables(type, id, {data}); }
    PropertyList& variables(quint16 type, quint16 id, const QList<QByteArray>& values)
    {
        tag(type, id);
        put32(m_body, quint32(values.size()));
        for (const QByteArray& data : values) {
            put32(m_body, quint32(data.size()));
            m_body += padded(data);
        }
        return *this;
    }
    PropertyList& longValue(quint16 id, quint32 value)
    {
        tag(kLong, id);
        put32(m_body, value);
        return *this;
    }
    PropertyList& multiLong(quint16 id, const QList<quint32>& values)
    {
        tag(kMulti | kLong, id);
        put32(m_body, quint32(values.size()));
        for (const quint32 value : values) {
            put32(m_body, value);
        }
        return *this;
    }
    // A named property (id from 0x8000) named by a string, holding one long.
    PropertyList& namedLong(quint16 id, const QString& name, quint32 value)
    {
        tag(kLong, id);
        m_body += QByteArray(16, '\x11');
        put32(m_body, 1);
        const QByteArray nameBytes = utf16(name + QChar(0));
        put32(m_body, quint32(nameBytes.size()));
        m_body += padded(nameBytes);
        put32(m_body, value);
        return *this;
    }
    PropertyList& raw(const QByteArray& bytes)
    {
        m_body += bytes;
        ++m_count;
        return *this;
    }
    [[nodiscard]] QByteArray bytes() const
    {
        QByteArray out;
        put32(out, quint32(m_count));
        return out + m_body;
    }

private:
    void tag(quint16 type, quint16 id)
    {
        put16(m_body, type);
        put16(m_body, id);
        ++m_count;
    }

    QByteArray m_body;
    int m_count = 0;
};

// A TNEF stream: signature, legacy key, then attribute records with their checksums.
class TnefStream
{
public:
    TnefStream()
    {
        put32(m_data, 0x223E9F78);
        put16(m_data, 0x0001);
    }
    TnefStream& attribute(quint8 level, quint32 id, const QByteArray& value)
    {
        m_data += char(level);
        put32(m_data, id);
        put32(m_data, quint32(value.size()));
        m_data += value;
        quint16 sum = 0;
        for (const char c : value) {
            sum = quint16(sum + quint8(c));
        }
        put16(m_data, sum);
        return *this;
    }
    TnefStream& version()
    {
        QByteArray value;
        put32(value, 0x00010000);
        return attribute(kMessage, kTnefVersion, value);
    }
    TnefStream& codePage(quint32 codePage)
    {
        QByteArray value;
        put32(value, codePage);
        put32(value, 0);
        return attribute(kMessage, kOemCodepage, value);
    }
    TnefStream& message(const PropertyList& properties)
    {
        return attribute(kMessage, kMapiProperties, properties.bytes());
    }
    // One attachment as Outlook writes it: render data, title, data, then its properties.
    TnefStream& attachment(const QByteArray& title, const QByteArray& data, const PropertyList& properties)
    {
        attribute(kAttachmentLevel, kAttachRenderData, QByteArray(14, '\0'));
        if (!title.isNull()) {
            attribute(kAttachmentLevel, kAttachTitle, title + '\0');
        }
        if (!data.isNull()) {
            attribute(kAttachmentLevel, kAttachData, data);
        }
        return attribute(kAttachmentLevel, kAttachment, properties.bytes());
    }
    TnefStream& append(const QByteArray& bytes)
    {
        m_data += bytes;
        return *this;
    }
    [[nodiscard]] QByteArray bytes() const { return m_data; }

private:
    QByteArray m_data;
};

PropertyList longName(const QString& name)
{
    return PropertyList().variable(kString8, kAttachLongFilename, name.toUtf8() + '\0');
}

// Every file in a folder with its bytes (the folder holds no subfolders).
Files filesIn(const QString& folder)
{
    Files files;
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    for (const QString& name : names) {
        QFile file(folder + u'/' + name);
        files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<not a readable file>"));
    }
    return files;
}

// Parses a stream into a folder; the error message, or an empty text on success.
QString parse(const QByteArray& stream, const QString& folder)
{
    QBuffer buffer;
    buffer.setData(stream);
    buffer.open(QIODevice::ReadOnly);
    try {
        TTnefAttachmentParser::Parse(&buffer, folder + u'/');
    } catch (const ETnefError& error) {
        return error.message();
    }
    return QString();
}

const QStringList& decoderMessages()
{
    static const QStringList messages{
        u"Invalid TNEF format"_s,
        u"Invalid Stream"_s,
        u"Invalid stream"_s,
        u"The attribute was read incorrectly"_s,
        u"Invalid attribute level"_s,
        u"Invalid attribute type"_s,
        u"Invalid checksum"_s,
        u"Invalid Property Count"_s,
        u"Invalid Property Type"_s,
        u"Invalid NameId"_s,
        u"Invalid property value"_s,
        u"The property was read incorrectly"_s,
        u"Invalid tnef format for the message body"_s,
    };
    return messages;
}

QStringList corpusFiles()
{
    const QDir dir(QStringLiteral(TIDEWELL_CORPUS_DIR "/tnef"));
    QStringList paths;
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        paths << dir.filePath(name);
    }
    return paths;
}

// Takes the files the tnef program wrote out of its folder. It writes names as the stream's bytes,
// unchanged; names that are not UTF-8 come from Western Windows code pages. Qt cannot open or remove
// such names, so this reads and removes them by their raw bytes.
QMap<QString, QByteArray> takeRawFilesIn(const QString& folder)
{
    QMap<QString, QByteArray> files;
    const QByteArray folderBytes = QFile::encodeName(folder);
    DIR* dir = opendir(folderBytes.constData());
    if (!dir) {
        return files;
    }
    while (dirent* entry = readdir(dir)) {
        const QByteArray raw(entry->d_name);
        if (raw == "." || raw == "..") {
            continue;
        }
        QStringDecoder utf8(QStringDecoder::Utf8);
        QString name = utf8.decode(raw);
        if (utf8.hasError()) {
            QStringDecoder western("windows-1252");
            name = western.decode(raw);
        }
        const QByteArray path = folderBytes + '/' + raw;
        QFile file;
        FILE* handle = fopen(path.constData(), "rb");
        if (handle && file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            files.insert(name, file.readAll());
        }
        unlink(path.constData());
    }
    closedir(dir);
    return files;
}

// Does our file name stand for the tnef program's? It numbers a second file of a name "NAME.1" where we
// write "NAME1.ext", and it names an attachment that has only a title by the title alone, where we add
// ".dat".
bool sameAttachmentName(const QString& ours, QString theirs)
{
    theirs.remove(QRegularExpression(u"\\.\\d+$"_s));
    for (const QString& candidate : QStringList{theirs, theirs + u".dat"_s}) {
        const qsizetype dot = candidate.lastIndexOf(u'.');
        const QString stem = dot > 0 ? candidate.left(dot) : candidate;
        const QString extension = dot > 0 ? candidate.mid(dot) : QString();
        const QRegularExpression numbered(u"^"_s + QRegularExpression::escape(stem) + u"\\d*"_s
                                          + QRegularExpression::escape(extension) + u"$"_s);
        if (numbered.match(ours).hasMatch()) {
            return true;
        }
    }
    return false;
}

// The same bytes; an embedded object is written by the tnef program with its 16-byte interface GUID in
// front, which is not part of the object.
bool sameAttachmentBytes(const QByteArray& ours, const QByteArray& theirs)
{
    return ours == theirs || (theirs.size() == ours.size() + 16 && theirs.endsWith(ours));
}

} // namespace

class TestTnefAttachmentParser final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void unpacksBuiltStreams_data();
    void unpacksBuiltStreams();
    void corpusFileUnpacksOrFailsWithAMessage_data();
    void corpusFileUnpacksOrFailsWithAMessage();
    void corpusMatchesTheTnefProgram_data();
    void corpusMatchesTheTnefProgram();
};

void TestTnefAttachmentParser::unpacksBuiltStreams_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<Files>("existing");
    QTest::addColumn<Files>("expected");
    QTest::addColumn<QString>("error");

    const QByteArray pdfA("%PDF-a\x01\x02");
    const QByteArray pdfB("%PDF-bb\xff");

    QTest::addRow("two attachments get their long names")
        << TnefStream()
               .version()
               .attachment("A~1.PDF", pdfA, longName(u"a.pdf"_s))
               .attachment("B~1.PDF", pdfB, longName(u"b.pdf"_s))
               .bytes()
        << Files{} << Files{{u"a.pdf"_s, pdfA}, {u"b.pdf"_s, pdfB}} << QString();
    QTest::addRow("short name without long name")
        << TnefStream()
               .attachment("Title", "data", PropertyList().variable(kString8, kAttachFilename, "SHORT.TXT\0"_ba))
               .bytes()
        << Files{} << Files{{u"SHORT.TXT"_s, "data"}} << QString();
    QTest::addRow("title only gives title.dat")
        << TnefStream().attachment("Report", "report data", PropertyList()).bytes() << Files{}
        << Files{{u"Report.dat"_s, "report data"}} << QString();
    QTest::addRow("no name at all keeps Untitled.dat")
        << TnefStream().attachment(QByteArray(), "x", PropertyList()).bytes() << Files{}
        << Files{{u"Untitled.dat"_s, "x"}} << QString();
    QTest::addRow("existing name gets 1 before the extension")
        << TnefStream().attachment("a", pdfA, longName(u"a.pdf"_s)).bytes() << Files{{u"a.pdf"_s, "old"}}
        << Files{{u"a.pdf"_s, "old"}, {u"a1.pdf"_s, pdfA}} << QString();
    QTest::addRow("two attachments of one name")
        << TnefStream().attachment("a", pdfA, longName(u"a.pdf"_s)).attachment("a", pdfB, longName(u"a.pdf"_s)).bytes()
        << Files{} << Files{{u"a.pdf"_s, pdfA}, {u"a1.pdf"_s, pdfB}} << QString();
    QTest::addRow("name without extension is numbered at its end")
        << TnefStream().attachment("README", "new", PropertyList()).bytes() << Files{{u"README.dat"_s, "old"}}
        << Files{{u"README.dat"_s, "old"}, {u"README1.dat"_s, "new"}} << QString();
    QTest::addRow("unicode long name")
        << TnefStream()
               .attachment("X", "x", PropertyList().variable(kUnicode, kAttachLongFilename, utf16(u"報告書.txt"_s)))
               .bytes()
        << Files{} << Files{{u"報告書.txt"_s, "x"}} << QString();
    QTest::addRow("title decoded with the stream's code page")
        << TnefStream().codePage(932).attachment("\x95\xf1\x8d\x90", "x", PropertyList()).bytes() << Files{}
        << Files{{u"報告.dat"_s, "x"}} << QString();
    QTest::addRow("mime tag and data property (binary) are read")
        << TnefStream()
               .attachment("T",
                           QByteArray(),
                           longName(u"data.bin"_s)
                               .variable(kString8, kAttachMimeTag, "application/octet-stream\0"_ba)
                               .variable(kBinary, kAttachDataProp, "12345"))
               .bytes()
        << Files{} << Files{{u"data.bin"_s, "12345"}} << QString();
    QTest::addRow("embedded object written without its interface GUID")
        << TnefStream()
               .attachment("Embedded",
                           QByteArray(),
                           PropertyList().variable(kObject, kAttachDataProp, QByteArray(16, '\x42') + "inner"))
               .bytes()
        << Files{} << Files{{u"Embedded.dat"_s, "inner"}} << QString();
    QTest::addRow("message bodies next to the attachments")
        << TnefStream()
               .message(PropertyList()
                            .variable(kString8, kBody, "plain text\0"_ba)
                            .variable(kBinary, kBodyHtml, "<p>html</p>")
                            .variable(kBinary, kRtfCompressed, "LZFu-compressed"))
               .attachment("a", pdfA, longName(u"a.pdf"_s))
               .bytes()
        << Files{}
        << Files{{u"Body.txt"_s, "plain text\0"_ba},
                 {u"Body.html"_s, "<p>html</p>"},
                 {u"RtfCompressed.dat"_s, "LZFu-compressed"},
                 {u"a.pdf"_s, pdfA}}
        << QString();
    QTest::addRow("multi-valued and named properties are read over")
        << TnefStream()
               .message(PropertyList()
                            .multiLong(0x3A2E, {1, 2, 3})
                            .variables(kMulti | kString8, 0x0E04, {"one\0"_ba, "three\0"_ba})
                            .variables(kMulti | kBinary, 0x0FF9, {"x", "yz", "1234567"})
                            .namedLong(0x8010, u"Keywords"_s, 7)
                            .longValue(0x0E07, 1)
                            .variable(kString8, kBody, "after\0"_ba))
               .bytes()
        << Files{} << Files{{u"Body.txt"_s, "after\0"_ba}} << QString();
    QTest::addRow("line end after the last attribute")
        << TnefStream().attachment("a", pdfA, longName(u"a.pdf"_s)).append("\r\n").bytes() << Files{}
        << Files{{u"a.pdf"_s, pdfA}} << QString();

    // Names from the stream never leave the folder, whatever separators or dots they carry.
    const QList<std::pair<const char*, QString>> hostile{
        {"parent folder", u"../evil.txt"_s},
        {"windows parent folder", u"..\\..\\evil.txt"_s},
        {"absolute path", u"/tmp/evil.txt"_s},
        {"drive and folder", u"C:\\Windows\\evil.txt"_s},
        {"drive without folder", u"C:evil.txt"_s},
    };
    for (const auto& [label, name] : hostile) {
        QTest::addRow("hostile long name: %s", label) << TnefStream().attachment("T", "x", longName(name)).bytes()
                                                      << Files{} << Files{{u"evil.txt"_s, "x"}} << QString();
    }
    QTest::addRow("hostile long name: dots only fall back to the short name")
        << TnefStream()
               .attachment("T", "x", longName(u".."_s).variable(kString8, kAttachFilename, "SAFE.TXT\0"_ba))
               .bytes()
        << Files{} << Files{{u"SAFE.TXT"_s, "x"}} << QString();
    QTest::addRow("hostile long name: folder only falls back to the title")
        << TnefStream().attachment("Title", "x", longName(u"sub/"_s)).bytes() << Files{} << Files{{u"Title.dat"_s, "x"}}
        << QString();
    QTest::addRow("hostile title: path") << TnefStream().attachment("..\\..\\report", "x", PropertyList()).bytes()
                                         << Files{} << Files{{u"report.dat"_s, "x"}} << QString();

    // Failures: the message, and what was written before it.
    QByteArray wrongSignature = TnefStream().attachment("a", pdfA, longName(u"a.pdf"_s)).bytes();
    wrongSignature[0] = '\x79';
    QTest::addRow("wrong signature") << wrongSignature << Files{} << Files{} << u"Invalid TNEF format"_s;
    QByteArray badTitle = TnefStream().attachment("Report", "x", PropertyList()).bytes();
    badTitle[badTitle.indexOf("Report") + 2] = 'P';
    QTest::addRow("one changed byte inside a title") << badTitle << Files{} << Files{} << u"Invalid checksum"_s;
    QByteArray badProperties = TnefStream().attachment("Report", "x", longName(u"a.pdf"_s)).bytes();
    badProperties[badProperties.indexOf("a.pdf")] = 'b';
    QTest::addRow("one changed byte inside the attachment properties")
        << badProperties << Files{} << Files{{u"Untitled.dat"_s, "x"}} << u"Invalid checksum"_s;
    QTest::addRow("attribute level 3") << TnefStream().attribute(3, kAttachTitle, "x").bytes() << Files{} << Files{}
                                       << u"Invalid attribute level"_s;
    QByteArray hugeTitle = TnefStream().bytes();
    hugeTitle += char(kAttachmentLevel);
    put32(hugeTitle, kAttachTitle);
    put32(hugeTitle, 0x7FFFFFF0);
    hugeTitle += "Report\0\0\0\0"_ba;
    QTest::addRow("title longer than the stream") << hugeTitle << Files{} << Files{} << u"Invalid Stream"_s;
    QByteArray hugeSubject = TnefStream().bytes();
    hugeSubject += char(kMessage);
    put32(hugeSubject, kSubject);
    put32(hugeSubject, 0xFFFFFFF0);
    hugeSubject += "Hello\0\0\0\0"_ba;
    QTest::addRow("skipped attribute longer than the stream")
        << hugeSubject << Files{} << Files{} << u"Invalid stream"_s;
    QByteArray hugeValue;
    put16(hugeValue, kBinary);
    put16(hugeValue, kAttachDataProp);
    put32(hugeValue, 1);
    put32(hugeValue, 0x7FFFFFF0);
    hugeValue += "data";
    QTest::addRow("property value longer than the stream")
        << TnefStream().attachment("T", QByteArray(), PropertyList().raw(hugeValue)).bytes() << Files{}
        << Files{{u"Untitled.dat"_s, QByteArray()}} << u"Invalid Stream"_s;
    QByteArray hugeCount;
    put16(hugeCount, kMulti | kLong);
    put16(hugeCount, 0x3A2E);
    put32(hugeCount, 0x7FFFFFFF);
    QTest::addRow("multi-valued count beyond the stream")
        << TnefStream().message(PropertyList().raw(hugeCount)).bytes() << Files{} << Files{} << u"Invalid Stream"_s;
    QByteArray negativeCount;
    put32(negativeCount, 0xFFFFFFFF);
    QTest::addRow("negative property count") << TnefStream().attribute(kMessage, kMapiProperties, negativeCount).bytes()
                                             << Files{} << Files{} << u"Invalid Property Count"_s;
    QByteArray flagOnly;
    put16(flagOnly, kMulti);
    put16(flagOnly, 0x3A2E);
    QTest::addRow("multi-value flag without a type") << TnefStream().message(PropertyList().raw(flagOnly)).bytes()
                                                     << Files{} << Files{} << u"Invalid Property Type"_s;
    QByteArray badKind;
    put16(badKind, kLong);
    put16(badKind, 0x8001);
    badKind += QByteArray(16, '\x11');
    put32(badKind, 2);
    put32(badKind, 0);
    QTest::addRow("named property of unknown kind")
        << TnefStream().message(PropertyList().raw(badKind)).bytes() << Files{} << Files{} << u"Invalid NameId"_s;
    QTest::addRow("long file name as a number")
        << TnefStream().attachment("T", "x", PropertyList().longValue(kAttachLongFilename, 5)).bytes() << Files{}
        << Files{{u"Untitled.dat"_s, "x"}} << u"Invalid property value"_s;
    QTest::addRow("message body as a number") << TnefStream().message(PropertyList().longValue(kBody, 5)).bytes()
                                              << Files{} << Files{} << u"Invalid tnef format for the message body"_s;
    QByteArray shortVersion;
    put16(shortVersion, 1);
    QTest::addRow("version attribute shorter than its value")
        << TnefStream()
               .attribute(kMessage, kTnefVersion, shortVersion.left(1))
               .append("\0\0\0\0\0\0\0\0\0\0\0"_ba)
               .bytes()
        << Files{} << Files{} << u"The attribute was read incorrectly"_s;
}

void TestTnefAttachmentParser::unpacksBuiltStreams()
{
    QFETCH(QByteArray, stream);
    QFETCH(Files, existing);
    QFETCH(Files, expected);
    QFETCH(QString, error);

    QTemporaryDir parent;
    QVERIFY(parent.isValid());
    const QString folder = parent.filePath(u"out"_s);
    QVERIFY(QDir().mkpath(folder));
    for (auto it = existing.cbegin(); it != existing.cend(); ++it) {
        QFile file(folder + u'/' + it.key());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(it.value());
    }

    QCOMPARE(parse(stream, folder), error);
    QCOMPARE(filesIn(folder), expected);
    // Nothing lands beside the folder.
    QCOMPARE(QDir(parent.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"out"_s});
}

void TestTnefAttachmentParser::corpusFileUnpacksOrFailsWithAMessage_data()
{
    QTest::addColumn<QString>("path");
    const QStringList paths = corpusFiles();
    if (paths.isEmpty()) {
        QSKIP("no TNEF files in the corpus folder " TIDEWELL_CORPUS_DIR "/tnef");
    }
    for (const QString& path : paths) {
        QTest::newRow(qPrintable(QFileInfo(path).fileName())) << path;
    }
}

void TestTnefAttachmentParser::corpusFileUnpacksOrFailsWithAMessage()
{
    QFETCH(QString, path);
    QFile source(path);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString error = parse(source.readAll(), folder.path());
    if (!error.isEmpty()) {
        QVERIFY2(decoderMessages().contains(error), qPrintable(error));
    }
    // Only plain files, no folders made from names in the stream.
    const QStringList entries = QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), entries);
}

void TestTnefAttachmentParser::corpusMatchesTheTnefProgram_data()
{
    corpusFileUnpacksOrFailsWithAMessage_data();
}

void TestTnefAttachmentParser::corpusMatchesTheTnefProgram()
{
    QFETCH(QString, path);
    const QString program = QStandardPaths::findExecutable(u"tnef"_s);
    if (program.isEmpty()) {
        QSKIP("the tnef program (Debian package tnef, installed by scripts/deps.sh) is not installed");
    }
    QTemporaryDir theirFolder;
    QTemporaryDir ourFolder;
    QVERIFY(theirFolder.isValid() && ourFolder.isValid());
    QProcess tnef;
    tnef.start(program, {u"--number-backups"_s, u"-C"_s, theirFolder.path(), path});
    QVERIFY(tnef.waitForFinished(60000));
    if (tnef.exitStatus() != QProcess::NormalExit || tnef.exitCode() != 0) {
        QSKIP("the tnef program does not unpack this file either");
    }

    QFile source(path);
    QVERIFY(source.open(QIODevice::ReadOnly));
    QCOMPARE(parse(source.readAll(), ourFolder.path()), QString());

    Files ours = filesIn(ourFolder.path());
    const QMap<QString, QByteArray> theirs = takeRawFilesIn(theirFolder.path());
    for (auto their = theirs.cbegin(); their != theirs.cend(); ++their) {
        bool found = false;
        for (auto our = ours.begin(); our != ours.end(); ++our) {
            if (sameAttachmentName(our.key(), their.key()) && sameAttachmentBytes(our.value(), their.value())) {
                ours.erase(our);
                found = true;
                break;
            }
        }
        QVERIFY2(found,
                 qPrintable(u"the tnef program wrote "_s + their.key() + u" ("_s + QString::number(their.value().size())
                            + u" bytes); we wrote "_s + filesIn(ourFolder.path()).keys().join(u", "_s)));
    }
}

QTEST_GUILESS_MAIN(TestTnefAttachmentParser)
#include "TestTnefAttachmentParser.moc"
