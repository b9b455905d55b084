#pragma once

#include <QString>

// Where Tidewell keeps its settings, side files and working folders.
//
// The data folder is the first that exists of: the per-user profile
// (<user data>/Kestrelon/TW_ArchiveDB), the common profile (<first system data
// folder>/Kestrelon/TW_ArchiveDB), and "config" beside the program, which is
// taken without checking. Start-up creates none of them itself.
class DataFolders final
{
public:
    // programPath: full path of the program file (its name gives the settings file's name).
    explicit DataFolders(const QString& programPath);

    [[nodiscard]] static QString profileSubfolder(); // "Kestrelon/TW_ArchiveDB"
    [[nodiscard]] static QString individualProfile();
    [[nodiscard]] static QString commonProfile();

    [[nodiscard]] QString programFolder() const { return m_programFolder; }
    [[nodiscard]] QString programFileName() const { return m_programFileName; }
    [[nodiscard]] QString dataPath() const { return m_dataPath; } // MyAppDataPath
    [[nodiscard]] QString iniFilePath() const;                    // IniFilePath
    [[nodiscard]] QString sideFile(const QString& name) const;    // "$..." files
    [[nodiscard]] QString mailDat() const;                        // working folder
    [[nodiscard]] QString mailDat2nd() const;
    [[nodiscard]] QString webViewDataPath() const;     // <program file name>.WebView2
    [[nodiscard]] QString webViewUserDataPath() const; // .../EBWebView

private:
    QString m_programFolder;
    QString m_programFileName;
    QString m_dataPath;
};
