#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

class IniFile;

// The ten columns of the message list as the settings file describes them
// (section "DBGrid": FieldName_i, TitelCaption_i, Visible_i, Columns_i).
struct ListColumn
{
    QString field; // a MAIL_VIEW column, upper case
    QString title;
    bool visible = true;
    int width = 200;

    friend bool operator==(const ListColumn&, const ListColumn&) = default;
};

class ListColumns final
{
    Q_DECLARE_TR_FUNCTIONS(ListColumns)

public:
    static constexpr int count = 10;

    [[nodiscard]] static QStringList viewFields(); // the MAIL_VIEW columns in order
    [[nodiscard]] static bool isViewField(const QString& field);
    [[nodiscard]] static QList<ListColumn> defaults();
    // Reads the ten positions; if any ends up without a field name, every field
    // name and title takes its default and positions 0, 2 and 8 are hidden
    // (widths and the other visibilities stay as read).
    [[nodiscard]] static QList<ListColumn> load(const IniFile& ini);
    static void save(IniFile& ini, const QList<ListColumn>& columns);
};

// Small rules of the list window that need no widgets.
namespace ListRules {
// Title click number srtcnum (counted from 0) on field: "F:D" when even, "F:A" when odd.
[[nodiscard]] QString indexFieldNames(const QString& field, int srtcnum);
[[nodiscard]] int smallerFontSize(int size);
[[nodiscard]] int largerFontSize(int size);
} // namespace ListRules
