#pragma once

#include <memory>

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QVariant>

#include "store/ListColumns.h"

class QSqlQuery;

// The message list over MAIL_VIEW, read page by page in the list's order.
//
// Opening runs one ordered query and reads only its first page; the view asks
// for more with canFetchMore/fetchMore as the user scrolls, and each page comes
// from the same open cursor (the engine navigates the date index, or sorts once
// for other columns), so scrolling never repeats the sort. The body (MAILBODY, a blob) is
// never part of a page: it is read for a row when a view asks for that cell.
// The order comes from index field names like "MESSAGE_DATE:D"; text orders
// ignore letter case.

class MessageListModel final : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Key
    {
        QString id;
        QDateTime date;
    };

    explicit MessageListModel(QObject* parent = nullptr);
    ~MessageListModel() override;

    // The ten columns (field and title); fields that are not MAIL_VIEW columns show nothing.
    void setColumns(const QList<ListColumn>& columns);
    [[nodiscard]] const QList<ListColumn>& columns() const { return m_columns; }
    void setPageSize(int rows) { m_pageSize = rows > 0 ? rows : 1; }
    [[nodiscard]] int pageSize() const { return m_pageSize; }

    // "FIELD:D" (descending) or "FIELD:A"/"FIELD" (ascending); text sorts ignore case.
    // Reopens the list when it is open. Unknown fields are refused (returns false).
    bool setIndexFieldNames(const QString& names);
    [[nodiscard]] QString indexFieldNames() const { return m_indexFieldNames; }

    // A condition over MAIL_VIEW columns with "?" placeholders and their values,
    // for the search; empty removes it. Takes effect at the next open.
    void setFilter(const QString& whereFragment, const QVariantList& values);
    [[nodiscard]] QString filter() const { return m_filter; }

    // Opening reads the first page; false (and the list stays closed) when the
    // connection is not open or the query fails.
    bool open(const QSqlDatabase& database);
    void close();
    [[nodiscard]] bool isOpen() const { return m_open; }
    [[nodiscard]] QString lastError() const { return m_lastError; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    [[nodiscard]] bool canFetchMore(const QModelIndex& parent = {}) const override;
    void fetchMore(const QModelIndex& parent = {}) override;
    // Sorts by the field of a column ("F:D" for descending); used by title clicks.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    [[nodiscard]] Key keyAt(int row) const;
    // A MAIL_VIEW field of a fetched row; MAILBODY is read on demand.
    [[nodiscard]] QVariant fieldValue(int row, const QString& field) const;
    [[nodiscard]] int bodiesRead() const { return m_bodiesRead; }

private:
    struct Row
    {
        QVariantList values;   // the view columns without MAILBODY, in view order
        mutable QVariant body; // read on first use
        mutable bool bodyRead = false;
    };

    [[nodiscard]] QString orderClause() const;
    [[nodiscard]] QString pageStatement() const;
    bool readPage();
    [[nodiscard]] QVariant readBody(const Row& row) const;

    QList<ListColumn> m_columns;
    QString m_indexFieldNames;
    QString m_sortField;
    bool m_descending = true;
    QString m_filter;
    QVariantList m_filterValues;
    QSqlDatabase m_db;
    std::unique_ptr<QSqlQuery> m_cursor;
    QList<Row> m_rows;
    int m_pageSize = 200;
    bool m_open = false;
    bool m_atEnd = true;
    QString m_lastError;
    mutable int m_bodiesRead = 0;
};
