#include "store/MessageListModel.h"

#include <QSqlError>
#include <QSqlQuery>

using namespace Qt::StringLiterals;

namespace {

// MAIL_VIEW columns read with every page: all but the body.
QStringList pageFields()
{
    QStringList fields = ListColumns::viewFields();
    fields.removeAll(u"MAILBODY"_s);
    return fields;
}

QString displayBody(const QString& body)
{
    QString line = body.left(256);
    line.replace(u"\r\n"_s, u" "_s);
    line.replace(u'\n', u' ');
    line.replace(u'\r', u' ');
    return line;
}

} // namespace

MessageListModel::MessageListModel(QObject* parent)
    : QAbstractTableModel(parent)
    , m_columns(ListColumns::defaults())
{
    setIndexFieldNames(u"MESSAGE_DATE:D"_s);
}

MessageListModel::~MessageListModel() = default;

void MessageListModel::setColumns(const QList<ListColumn>& columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

bool MessageListModel::setIndexFieldNames(const QString& names)
{
    const QString trimmed = names.trimmed();
    const qsizetype colon = trimmed.indexOf(u':');
    const QString field = (colon < 0 ? trimmed : trimmed.left(colon)).trimmed().toUpper();
    const QString suffix = colon < 0 ? QString() : trimmed.mid(colon + 1).trimmed().toUpper();
    if (!ListColumns::isViewField(field) || !(suffix.isEmpty() || suffix == u"A"_s || suffix == u"D"_s)) {
        return false;
    }
    m_sortField = field;
    m_descending = suffix == u"D"_s;
    m_indexFieldNames = field + (m_descending ? u":D"_s : u":A"_s);
    if (m_open) {
        const QSqlDatabase db = m_db;
        open(db);
    }
    return true;
}

void MessageListModel::setFilter(const QString& whereFragment, const QVariantList& values)
{
    m_filter = whereFragment.trimmed();
    m_filterValues = m_filter.isEmpty() ? QVariantList() : values;
}

QString MessageListModel::orderClause() const
{
    // One cursor serves every page, so the order need not be total: ties keep
    // whatever order the engine gives them. Plain UPPER(field) lets the engine
    // use the case-free indexes of the archive.
    const QString dir = m_descending ? u" DESC"_s : u" ASC"_s;
    if (m_sortField == u"MESSAGE_DATE"_s) {
        return u"MESSAGE_DATE"_s + dir + u", MESSAGE_ID"_s + dir;
    }
    if (m_sortField == u"MAILBODY"_s) {
        return u"UPPER(CAST(SUBSTRING(MAILBODY FROM 1 FOR 100) AS VARCHAR(100)))"_s + dir;
    }
    // The field name was checked against the view's columns, so it is safe to name here.
    return u"UPPER("_s + m_sortField + u')' + dir;
}

QString MessageListModel::pageStatement() const
{
    QString statement = u"SELECT "_s + pageFields().join(u", "_s) + u" FROM MAIL_VIEW"_s;
    if (!m_filter.isEmpty()) {
        statement += u" WHERE ("_s + m_filter + u')';
    }
    return statement + u" ORDER BY "_s + orderClause();
}

bool MessageListModel::open(const QSqlDatabase& database)
{
    beginResetModel();
    m_cursor.reset();
    m_rows.clear();
    m_db = database;
    m_open = false;
    m_atEnd = true;
    m_lastError.clear();
    endResetModel();
    if (!m_db.isValid() || !m_db.isOpen()) {
        m_lastError = tr("DBと接続されていません");
        m_db = QSqlDatabase();
        return false;
    }
    m_cursor = std::make_unique<QSqlQuery>(m_db);
    m_cursor->setForwardOnly(true);
    bool ok = m_cursor->prepare(pageStatement());
    if (ok) {
        for (const QVariant& value : m_filterValues) {
            m_cursor->addBindValue(value);
        }
        ok = m_cursor->exec();
    }
    if (!ok) {
        m_lastError = m_cursor->lastError().text();
        close();
        return false;
    }
    m_open = true;
    m_atEnd = false;
    readPage();
    return true;
}

void MessageListModel::close()
{
    beginResetModel();
    m_cursor.reset();
    m_rows.clear();
    m_open = false;
    m_atEnd = true;
    m_db = QSqlDatabase(); // the connection may go away while the list is closed
    endResetModel();
}

bool MessageListModel::readPage()
{
    if (!m_cursor) {
        m_atEnd = true;
        return false;
    }
    QList<Row> page;
    const int fieldCount = static_cast<int>(pageFields().size());
    while (page.size() < m_pageSize && m_cursor->next()) {
        Row row;
        row.values.reserve(fieldCount);
        for (int i = 0; i < fieldCount; ++i) {
            row.values.append(m_cursor->value(i));
        }
        page.append(std::move(row));
    }
    if (page.size() < m_pageSize) {
        // The whole result is read: let the cursor and its transaction go.
        m_atEnd = true;
        m_cursor.reset();
    }
    if (!page.isEmpty()) {
        const int start = static_cast<int>(m_rows.size());
        beginInsertRows({}, start, start + static_cast<int>(page.size()) - 1);
        m_rows.append(std::move(page));
        endInsertRows();
    }
    return true;
}

int MessageListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int MessageListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
}

QVariant MessageListModel::readBody(const Row& row) const
{
    if (!row.bodyRead) {
        row.bodyRead = true;
        ++m_bodiesRead;
        QSqlQuery query(m_db);
        query.setForwardOnly(true);
        query.prepare(u"SELECT MailBody FROM Message_IdxTbl WHERE Message_ID = ? AND Message_Date = ?"_s);
        query.addBindValue(row.values.at(0));
        query.addBindValue(row.values.at(1));
        if (query.exec() && query.next()) {
            row.body = query.value(0);
        }
    }
    return row.body;
}

QVariant MessageListModel::fieldValue(int row, const QString& field) const
{
    if (row < 0 || row >= m_rows.size()) {
        return {};
    }
    const QString upper = field.trimmed().toUpper();
    if (upper == u"MAILBODY"_s) {
        return readBody(m_rows.at(row));
    }
    const qsizetype at = pageFields().indexOf(upper);
    return at < 0 ? QVariant() : m_rows.at(row).values.at(at);
}

QVariant MessageListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size() || index.column() >= m_columns.size()) {
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole && role != Qt::ToolTipRole) {
        return {};
    }
    const QString field = m_columns.at(index.column()).field;
    const QVariant value = fieldValue(index.row(), field);
    if (field == u"MAILBODY"_s && role != Qt::EditRole) {
        return displayBody(value.toString());
    }
    if (value.typeId() == QMetaType::QDateTime && role == Qt::DisplayRole) {
        return value.toDateTime().toString(u"yyyy/MM/dd HH:mm:ss"_s);
    }
    return value;
}

QVariant MessageListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size()) {
        return m_columns.at(section).title;
    }
    return QAbstractTableModel::headerData(section, orientation, role);
}

bool MessageListModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_open && !m_atEnd;
}

void MessageListModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent) && !readPage()) {
        m_atEnd = true;
    }
}

void MessageListModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= m_columns.size()) {
        return;
    }
    setIndexFieldNames(m_columns.at(column).field + (order == Qt::DescendingOrder ? u":D"_s : u":A"_s));
}

MessageListModel::Key MessageListModel::keyAt(int row) const
{
    if (row < 0 || row >= m_rows.size()) {
        return {};
    }
    return {m_rows.at(row).values.at(0).toString(), m_rows.at(row).values.at(1).toDateTime()};
}
