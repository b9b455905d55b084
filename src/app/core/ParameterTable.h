#pragma once

#include <functional>

#include <QList>
#include <QString>
#include <QStringList>

class IniFile;

// The key/value rows of the "パラメータ設定" tab. The rows and their order are
// fixed; only values change. A value that is empty or the marker "Dummy Data"
// (what loading gives for a key missing from the settings file) counts as unset.
class ParameterTable final
{
public:
    struct Row
    {
        QString key;
        QString value;
    };

    ParameterTable(); // the fixed rows with their initial (documentation) values

    [[nodiscard]] static QString dummyData();
    [[nodiscard]] static QStringList keys();

    [[nodiscard]] const QList<Row>& rows() const { return m_rows; }
    [[nodiscard]] QString value(QStringView key) const;
    // True when the value is neither empty nor "Dummy Data".
    [[nodiscard]] bool isSet(QStringView key) const;
    // The value, or fallback when unset; with writeBack the fallback is stored in the row.
    QString valueOr(QStringView key, const QString& fallback, bool writeBack = false);
    // Changes an existing row; unknown keys are ignored (the rows are fixed).
    void setValue(QStringView key, const QString& value);
    void setValueAt(qsizetype row, const QString& value);

    // Reads every row from section "Condition" ("Dummy Data" when missing), then
    // settles Reconnect: unset becomes "1". Returns whether Reconnect is "1".
    bool load(const IniFile& ini);
    void save(IniFile& ini) const;

    // Called with the row index whenever a value changes (the grid shows it at once).
    void setChangeListener(std::function<void(qsizetype row)> listener) { m_listener = std::move(listener); }

private:
    [[nodiscard]] qsizetype indexOf(QStringView key) const;

    QList<Row> m_rows;
    std::function<void(qsizetype)> m_listener;
};
