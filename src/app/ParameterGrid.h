#pragma once

#include <QTableWidget>

class ParameterTable;

// The two-column key/value grid of the "パラメータ設定" tab. Keys are fixed;
// edited values go straight into the parameter table.
class ParameterGrid final : public QTableWidget
{
    Q_OBJECT

public:
    explicit ParameterGrid(ParameterTable& table, QWidget* parent = nullptr);
    ~ParameterGrid() override;

    // Shows the table's current values again (after loading or a consumer's write-back).
    void refresh();

Q_SIGNALS:
    // The grid lost the focus: consumers re-read the values they depend on.
    void left();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void store(QTableWidgetItem* item);

    ParameterTable& m_table;
    bool m_refreshing = false;
};
