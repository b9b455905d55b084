#include "app/ParameterGrid.h"

#include <QApplication>
#include <QHeaderView>

#include "app/core/ParameterTable.h"

ParameterGrid::ParameterGrid(ParameterTable& table, QWidget* parent)
    : QTableWidget(parent)
    , m_table(table)
{
    setObjectName(QStringLiteral("ValueListEditor1"));
    setColumnCount(2);
    setHorizontalHeaderLabels({tr("キー"), tr("値")});
    verticalHeader()->hide();
    setColumnWidth(0, 150);
    setColumnWidth(1, 605);
    horizontalHeader()->setStretchLastSection(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    refresh();
    connect(this, &QTableWidget::itemChanged, this, &ParameterGrid::store);
    m_table.setChangeListener([this](qsizetype row) {
        QTableWidgetItem* value = item(static_cast<int>(row), 1);
        if (value && value->text() != m_table.rows().at(row).value) {
            m_refreshing = true;
            value->setText(m_table.rows().at(row).value);
            m_refreshing = false;
        }
    });
}

ParameterGrid::~ParameterGrid()
{
    m_table.setChangeListener(nullptr);
}

void ParameterGrid::refresh()
{
    m_refreshing = true;
    const auto& rows = m_table.rows();
    setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < rows.size(); ++i) {
        auto* key = new QTableWidgetItem(rows.at(i).key);
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        setItem(i, 0, key);
        setItem(i, 1, new QTableWidgetItem(rows.at(i).value));
    }
    m_refreshing = false;
}

void ParameterGrid::store(QTableWidgetItem* item)
{
    if (!m_refreshing && item->column() == 1) {
        m_table.setValueAt(item->row(), item->text());
    }
}

void ParameterGrid::focusOutEvent(QFocusEvent* event)
{
    QTableWidget::focusOutEvent(event);
    // An open cell editor takes the focus from the grid; that is not leaving it.
    if (!isAncestorOf(QApplication::focusWidget())) {
        Q_EMIT left();
    }
}
