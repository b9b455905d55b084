#include <cstddef>
#include <cstdint>

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include "reader/tnef/TnefAttachmentParser.h"
#include "reader/tnef/TnefError.h"

// Unpacks the input as a TNEF stream into a scratch folder that is emptied after every run. A decoder
// message is a normal outcome; a crash or a sanitizer report is a finding.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QTemporaryDir scratch;
    static const QString folder = scratch.path() + QLatin1Char('/');

    QBuffer buffer;
    buffer.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    buffer.open(QIODevice::ReadOnly);
    try {
        TTnefAttachmentParser::Parse(&buffer, folder);
    } catch (const ETnefError&) {
    }
    QDir dir(scratch.path());
    for (const QString& name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        if (!dir.remove(name)) {
            QDir(dir.filePath(name)).removeRecursively();
        }
    }
    return 0;
}
