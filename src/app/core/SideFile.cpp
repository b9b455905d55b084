#include "app/core/SideFile.h"

#include <QFile>
#include <QSaveFile>

#include "app/core/IniFile.h"

using namespace Qt::StringLiterals;

QString SideFile::readText(const QString& path, bool* ok)
{
    QFile file(path);
    const bool opened = file.open(QIODevice::ReadOnly);
    if (ok) {
        *ok = opened;
    }
    return opened ? IniFile::decode(file.readAll()) : QString();
}

QStringList SideFile::readLines(const QString& path, bool* ok)
{
    QString text = readText(path, ok);
    if (text.isEmpty()) {
        return {};
    }
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    if (text.endsWith(u'\n')) {
        text.chop(1);
    }
    return text.split(u'\n');
}

bool SideFile::writeText(const QString& path, const QString& text)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool SideFile::writeLines(const QString& path, const QStringList& lines)
{
    QString text;
    for (const QString& line : lines) {
        text += line + u"\r\n"_s;
    }
    return writeText(path, text);
}
