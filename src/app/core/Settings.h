#pragma once

#include <array>

#include <QList>
#include <QRect>
#include <QString>

#include "app/core/ParameterTable.h"

class IniFile;

// Everything that survives a run in the settings file, held in memory between
// loading (main window creation) and saving (main window close). Field names
// follow the main window's own fields where it has them; the others stand for
// the control whose state they restore.
struct Settings
{
    struct GridColumn
    {
        bool visible = true;
        int width = 200;
        QString fieldName;
        QString title;
    };

    static constexpr int kGridColumns = 10;
    static constexpr int kMaxListViewColumns = 17;

    // [Window]
    QRect windowGeometry{50, 50, 640, 480};
    int panel1Height = 300;
    bool treeViewShown = true; // TreeViewSW
    int treeViewWidth = 160;
    // [LWindow]
    int LstWidth = 640;
    int LstHeight = 240;
    // [Condition]
    int MLFilterIdx = 0;
    QString MLRead_Path;
    QString MLStore_Path;
    bool tab1Visible = false;
    bool tab3Visible = false;
    quint16 StyleNum = 0;
    QString fontName = QStringLiteral("Meiryo UI");
    int fontSize = 9;
    int fontColor = 0; // Windows colour value 0x00BBGGRR; 0 is the colour box's first entry
    int vStyleNum = 0;
    bool mskFlg = false;
    bool Home_ShowFlg = true;
    QString Home_HolderPath;
    QString Backup_HolderPath;
    QString LData_Path;
    bool chkBx8 = false;
    bool chkBx9 = false;
    int rGroup4 = 0;
    int DSelRGIdx = 0;
    int DBLstFrmFontSize = 8;
    ParameterTable parameters;
    bool ReconnectFlg = true;
    // [MailDB]
    QString Ldb_Host1 = QStringLiteral("localhost");
    QString Ldb_Path1;
    // [DBGrid]
    std::array<GridColumn, kGridColumns> gridColumns{};
    // [sListView]
    int sColumnNum = 16;
    std::array<int, kMaxListViewColumns> sColumnWidth{};
    // [Connection]
    int mailerIndx = 0;
    QString ExchangerAccountStr;
    int mailTabIndx = 0;
    QString My_MailAddressStr;
    QString Msg_FromNameStr;
    QString SMTP_HostStr = QStringLiteral("localhost");
    QString SMTP_PortStr = QStringLiteral("25");
    QString SMTP_UserStr;
    int mailEncode = 0;
    QString My_MailSubjectStr;
    // [ADCondition]: one check mark per line of the recipient list
    QList<bool> recipientChecks;

    Settings();

    struct LoadOptions
    {
        QRect desktop;          // available desktop, for the horizontal correction; empty: no correction
        int recipientCount = 0; // lines of the recipient list, loaded between "Connection" and "ADCondition"
    };

    void load(const IniFile& ini, const LoadOptions& options);
    void save(IniFile& ini) const;

    // The separator of backup names chosen by "RGroup4": "_", "-", " " or nothing.
    [[nodiscard]] QString Dlmt_Str() const;
    // Keeps a window on the desktop horizontally; the top edge is left alone.
    [[nodiscard]] static QRect keepOnDesktopHorizontally(const QRect& window, const QRect& desktop);
    // Field names and titles of the list grid used when the stored layout is incomplete.
    [[nodiscard]] static std::array<GridColumn, kGridColumns> defaultGridColumns();
    [[nodiscard]] int listViewColumnsStored() const; // sColumnNum capped to what is remembered
};
