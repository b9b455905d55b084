#include "app/core/Settings.h"

#include <algorithm>

#include "app/core/IniFile.h"

using namespace Qt::StringLiterals;

namespace {

const QString kWindow = u"Window"_s;
const QString kLWindow = u"LWindow"_s;
const QString kCondition = u"Condition"_s;
const QString kMailDB = u"MailDB"_s;
const QString kDBGrid = u"DBGrid"_s;
const QString kListView = u"sListView"_s;
const QString kConnection = u"Connection"_s;
const QString kADCondition = u"ADCondition"_s;

QString numbered(const QString& prefix, int i)
{
    return prefix + QString::number(i);
}

} // namespace

Settings::Settings()
{
    sColumnWidth.fill(80);
}

std::array<Settings::GridColumn, Settings::kGridColumns> Settings::defaultGridColumns()
{
    const std::array<std::pair<QString, QString>, kGridColumns> names = {{
        {u"MESSAGE_ID"_s, u"メッセージID"_s},
        {u"MESSAGE_DATE"_s, u"受信日時"_s},
        {u"ACCOUNT_KEY"_s, u"アカウント(POP)"_s},
        {u"SENDER_NAME"_s, u"送信名"_s},
        {u"SENDER_ADDRESS"_s, u"送信アドレス"_s},
        {u"RECIEVE_NAME"_s, u"受信名"_s},
        {u"RECIEVE_ADDRESS"_s, u"受信アドレス"_s},
        {u"MESSAGE_SUBJECT"_s, u"題目"_s},
        {u"MESSAGE_FILENAME"_s, u"メッセージファイル名"_s},
        {u"MAILBODY"_s, u"ボディ"_s},
    }};
    std::array<GridColumn, kGridColumns> columns{};
    for (int i = 0; i < kGridColumns; ++i) {
        columns[i].fieldName = names[i].first;
        columns[i].title = names[i].second;
        columns[i].visible = i != 0 && i != 2 && i != 8;
    }
    return columns;
}

QRect Settings::keepOnDesktopHorizontally(const QRect& window, const QRect& desktop)
{
    QRect result = window;
    if (desktop.isEmpty()) {
        return result;
    }
    if (result.left() < desktop.left()) {
        result.moveLeft(desktop.left());
    } else if (result.x() + result.width() > desktop.x() + desktop.width()) {
        result.moveLeft(desktop.x() + desktop.width() - result.width());
    }
    return result;
}

int Settings::listViewColumnsStored() const
{
    return std::clamp(sColumnNum, 0, kMaxListViewColumns);
}

QString Settings::Dlmt_Str() const
{
    switch (rGroup4) {
    case 0:
        return u"_"_s;
    case 1:
        return u"-"_s;
    case 2:
        return u" "_s;
    default:
        return QString();
    }
}

void Settings::load(const IniFile& ini, const LoadOptions& options)
{
    // 1. Window position and size, kept on the desktop horizontally, then the upper panel.
    const QRect stored(ini.readInteger(kWindow, u"Left", 50),
                       ini.readInteger(kWindow, u"Top", 50),
                       ini.readInteger(kWindow, u"Width", 640),
                       ini.readInteger(kWindow, u"Height", 480));
    windowGeometry = keepOnDesktopHorizontally(stored, options.desktop);
    panel1Height = std::max(10, ini.readInteger(kWindow, u"Panel1Height", 300));

    // 2. List window size, the open dialog's memory, the two optional tabs.
    LstWidth = ini.readInteger(kLWindow, u"Width", 640);
    LstHeight = ini.readInteger(kLWindow, u"Height", 240);
    MLFilterIdx = ini.readInteger(kCondition, u"MLFilter_Index", 0);
    MLRead_Path = ini.readString(kCondition, u"MLRead_Path");
    MLStore_Path = ini.readString(kCondition, u"MLStore_Path");
    tab1Visible = ini.readBool(kCondition, u"TAB1_Visible", false);
    tab3Visible = ini.readBool(kCondition, u"TAB3_Visible", false);

    // 3. The database.
    Ldb_Host1 = ini.readString(kMailDB, u"Server", u"localhost"_s);
    Ldb_Path1 = ini.readString(kMailDB, u"DBPath");

    // 4. The parameter table and the Reconnect rule.
    ReconnectFlg = parameters.load(ini);

    // 5. The list grid's columns; an incomplete layout falls back to the default fields and titles.
    bool complete = true;
    for (int i = 0; i < kGridColumns; ++i) {
        GridColumn& column = gridColumns[i];
        column.visible = ini.readBool(kDBGrid, numbered(u"Visible_"_s, i), true);
        column.width = ini.readInteger(kDBGrid, numbered(u"Columns_"_s, i), 200);
        column.fieldName = ini.readString(kDBGrid, numbered(u"FieldName_"_s, i));
        column.title = ini.readString(kDBGrid, numbered(u"TitelCaption_"_s, i));
        complete = complete && !column.fieldName.isEmpty();
    }
    if (!complete) {
        const auto defaults = defaultGridColumns();
        for (int i = 0; i < kGridColumns; ++i) {
            gridColumns[i].fieldName = defaults[i].fieldName;
            gridColumns[i].title = defaults[i].title;
            if (!defaults[i].visible) {
                gridColumns[i].visible = false;
            }
        }
    }

    // 6. The theme, unless the command line chose one for this run. The stored theme is kept
    //    either way, so that a one-run choice does not overwrite it at exit.
    StyleNum = static_cast<quint16>(ini.readInteger(kCondition, u"Theme", 0));

    // 7. Message text font, workbench and search dialog settings.
    fontName = ini.readString(kCondition, u"FontName", u"Meiryo UI"_s);
    fontSize = ini.readInteger(kCondition, u"FontSize", 9);
    fontColor = ini.readInteger(kCondition, u"FontColor", 0);
    treeViewShown = ini.readBool(kWindow, u"TreeViewSW", true);
    treeViewWidth = ini.readInteger(kWindow, u"TreeViewWidth", 160);
    if (treeViewWidth < 10) {
        treeViewWidth = 160;
    }
    vStyleNum = ini.readInteger(kCondition, u"ViewStyleNum", 0);
    mskFlg = ini.readBool(kCondition, u"MSKFlg", false);
    Home_ShowFlg = ini.readBool(kCondition, u"HomeFlg", true);
    Home_HolderPath = ini.readString(kCondition, u"HomePath").trimmed();
    Backup_HolderPath = ini.readString(kCondition, u"BUPath");
    LData_Path = ini.readString(kCondition, u"LDPath");
    chkBx8 = ini.readBool(kCondition, u"ChkBx8", false);
    chkBx9 = ini.readBool(kCondition, u"ChkBx9", false);
    rGroup4 = ini.readInteger(kCondition, u"RGroup4", 0);
    sColumnNum = ini.readInteger(kListView, u"ColumnNum", 16);
    if (sColumnNum == 0) {
        sColumnNum = 16;
    }
    for (int n = 1; n <= listViewColumnsStored(); ++n) {
        sColumnWidth[n - 1] = ini.readInteger(kListView, numbered(u"ColumnW"_s, n), 80);
    }
    DSelRGIdx = ini.readInteger(kCondition, u"DSelctRGroup1", 0);
    DBLstFrmFontSize = ini.readInteger(kCondition, u"DLstFrmFntSize", 8);

    // 8. The bulk sender; the recipient check marks follow the recipient list.
    mailerIndx = ini.readInteger(kConnection, u"MailerIndx", 0);
    ExchangerAccountStr = ini.readString(kConnection, u"ExchangerAccount");
    mailTabIndx = ini.readInteger(kConnection, u"Mail_Tabindx", 0);
    My_MailAddressStr = ini.readString(kConnection, u"MyMailAddress");
    Msg_FromNameStr = ini.readString(kConnection, u"FromName");
    SMTP_HostStr = ini.readString(kConnection, u"SMTP_Host", u"localhost"_s);
    SMTP_PortStr = ini.readString(kConnection, u"SMTP_Port", u"25"_s);
    SMTP_UserStr = ini.readString(kConnection, u"SMTP_User");
    mailEncode = ini.readInteger(kConnection, u"Mail_Encode", 0);
    recipientChecks.clear();
    for (int i = 0; i < options.recipientCount; ++i) {
        recipientChecks.append(ini.readBool(kADCondition, numbered(u"ADRS"_s, i), false));
    }
    My_MailSubjectStr = ini.readString(kConnection, u"MyMailSubject");
}

void Settings::save(IniFile& ini) const
{
    ini.writeInteger(kWindow, u"Left", windowGeometry.x());
    ini.writeInteger(kWindow, u"Top", windowGeometry.y());
    ini.writeInteger(kWindow, u"Width", windowGeometry.width());
    ini.writeInteger(kWindow, u"Height", windowGeometry.height());
    ini.writeInteger(kWindow, u"Panel1Height", panel1Height);
    ini.writeInteger(kLWindow, u"Width", LstWidth);
    ini.writeInteger(kLWindow, u"Height", LstHeight);
    ini.writeInteger(kCondition, u"Theme", StyleNum);
    ini.writeInteger(kCondition, u"MLFilter_Index", MLFilterIdx);
    ini.writeString(kCondition, u"MLRead_Path", MLRead_Path);
    ini.writeString(kCondition, u"MLStore_Path", MLStore_Path);
    parameters.save(ini);
    ini.writeString(kCondition, u"FontName", fontName);
    ini.writeInteger(kCondition, u"FontSize", fontSize);
    ini.writeInteger(kCondition, u"FontColor", fontColor);
    ini.writeBool(kCondition, u"TAB1_Visible", tab1Visible);
    ini.writeBool(kCondition, u"TAB3_Visible", tab3Visible);
    ini.writeString(kMailDB, u"Server", Ldb_Host1);
    ini.writeString(kMailDB, u"DBPath", Ldb_Path1);
    for (int i = 0; i < kGridColumns; ++i) {
        const GridColumn& column = gridColumns[i];
        ini.writeBool(kDBGrid, numbered(u"Visible_"_s, i), column.visible);
        ini.writeInteger(kDBGrid, numbered(u"Columns_"_s, i), column.width);
        ini.writeString(kDBGrid, numbered(u"FieldName_"_s, i), column.fieldName);
        ini.writeString(kDBGrid, numbered(u"TitelCaption_"_s, i), column.title);
    }
    if (Home_ShowFlg) {
        ini.writeString(kCondition, u"HomePATH", Home_HolderPath);
    }
    ini.writeInteger(kListView, u"ColumnNum", sColumnNum);
    for (int n = 1; n <= listViewColumnsStored(); ++n) {
        ini.writeInteger(kListView, numbered(u"ColumnW"_s, n), sColumnWidth[n - 1]);
    }
    ini.writeString(kCondition, u"LDPath", LData_Path);
    ini.writeString(kCondition, u"BUPath", Backup_HolderPath);
    ini.writeBool(kCondition, u"ChkBx8", chkBx8);
    ini.writeBool(kCondition, u"ChkBx9", chkBx9);
    ini.writeInteger(kCondition, u"RGroup4", rGroup4);
    ini.writeBool(kWindow, u"TreeViewSW", treeViewShown);
    ini.writeInteger(kWindow, u"TreeViewWidth", treeViewWidth);
    ini.writeInteger(kCondition, u"ViewStyleNum", vStyleNum);
    ini.writeBool(kCondition, u"MSKFlg", mskFlg);
    ini.writeBool(kCondition, u"HomeFlg", true);
    ini.writeInteger(kCondition, u"DSelctRGroup1", DSelRGIdx);
    ini.writeInteger(kCondition, u"DLstFrmFntSize", DBLstFrmFontSize);
    ini.writeInteger(kConnection, u"Mail_Tabindx", mailTabIndx);
    ini.writeInteger(kConnection, u"MailerIndx", mailerIndx);
    ini.writeString(kConnection, u"SMTP_Host", SMTP_HostStr);
    ini.writeString(kConnection, u"SMTP_Port", SMTP_PortStr);
    ini.writeString(kConnection, u"SMTP_User", SMTP_UserStr);
    ini.writeInteger(kConnection, u"Mail_Encode", mailEncode);
    ini.writeString(kConnection, u"ExchangerAccount", ExchangerAccountStr);
    ini.writeString(kConnection, u"MyMailAddress", My_MailAddressStr);
    ini.writeString(kConnection, u"FromName", Msg_FromNameStr);
    ini.writeString(kConnection, u"MyMailSubject", My_MailSubjectStr);
    for (int i = 0; i < recipientChecks.size(); ++i) {
        ini.writeBool(kADCondition, numbered(u"ADRS"_s, i), recipientChecks.at(i));
    }
}
