#include "app/core/DataFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

DataFolders::DataFolders(const QString& programPath)
{
    const QFileInfo program(programPath);
    m_programFolder = program.absolutePath();
    m_programFileName = program.fileName();
    const QString individual = individualProfile();
    const QString common = commonProfile();
    if (!individual.isEmpty() && QFileInfo(individual).isDir()) {
        m_dataPath = individual;
    } else if (!common.isEmpty() && QFileInfo(common).isDir()) {
        m_dataPath = common;
    } else {
        m_dataPath = m_programFolder + u"/config"_s;
    }
}

QString DataFolders::profileSubfolder()
{
    return u"Kestrelon/TW_ArchiveDB"_s;
}

QString DataFolders::individualProfile()
{
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base.isEmpty() ? QString() : base + u'/' + profileSubfolder();
}

QString DataFolders::commonProfile()
{
    // The first system entry: the list starts with the per-user folder.
    const QStringList all = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    return all.size() < 2 ? QString() : all.at(1) + u'/' + profileSubfolder();
}

QString DataFolders::iniFilePath() const
{
    const QFileInfo program(m_programFileName);
    return m_dataPath + u'/' + program.completeBaseName() + u".ini"_s;
}

QString DataFolders::sideFile(const QString& name) const
{
    return m_dataPath + u'/' + name;
}

QString DataFolders::mailDat() const
{
    return m_dataPath + u"/mail_dat"_s;
}

QString DataFolders::mailDat2nd() const
{
    return mailDat() + u"/2nd"_s;
}

QString DataFolders::webViewDataPath() const
{
    return m_dataPath + u'/' + m_programFileName + u".WebView2"_s;
}

QString DataFolders::webViewUserDataPath() const
{
    return webViewDataPath() + u"/EBWebView"_s;
}
