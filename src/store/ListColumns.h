#pragma once

#include <array>

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include "app/core/Settings.h"

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
    static constexpr int count = Settings::kGridColumns;

    [[nodiscard]] static QStringList viewFields(); // the MAIL_VIEW columns in order
    [[nodiscard]] static bool isViewField(const QString& field);
    [[nodiscard]] static QList<ListColumn> defaults();
    // The grid layout as the settings hold it ("DBGrid", with its reset rule), and back.
    [[nodiscard]] static QList<ListColumn> fromSettings(const std::array<Settings::GridColumn, count>& columns);
    [[nodiscard]] static std::array<Settings::GridColumn, count> toSettings(const QList<ListColumn>& columns);
};

// Small rules of the list window that need no widgets.
namespace ListRules {
// Title click number srtcnum (counted from 0) on field: "F:D" when even, "F:A" when odd.
[[nodiscard]] QString indexFieldNames(const QString& field, int srtcnum);
[[nodiscard]] int smallerFontSize(int size);
[[nodiscard]] int largerFontSize(int size);
} // namespace ListRules
