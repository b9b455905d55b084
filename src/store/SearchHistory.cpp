#include "store/SearchHistory.h"

#include "app/core/SideFile.h"

using namespace Qt::StringLiterals;

namespace {

// Leading and trailing blanks and control characters, as the box's own trimming sees them.
QString trimBlanks(const QString& text)
{
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && text.at(start).unicode() <= 0x20) {
        ++start;
    }
    while (end > start && text.at(end - 1).unicode() <= 0x20) {
        --end;
    }
    return text.mid(start, end - start);
}

} // namespace

void SearchHistory::putOnTop(const QString& text)
{
    m_entries.prepend(text);
    const qsizetype later = m_entries.indexOf(text, 1);
    if (later > 0) {
        m_entries.removeAt(later);
    }
    if (m_entries.size() > kMaxEntries) {
        m_entries.removeAt(kMaxEntries);
    }
}

QString SearchHistory::enter(const QString& text)
{
    QString cleaned = text;
    if (cleaned.contains(u' ')) {
        cleaned = trimBlanks(cleaned).remove(u' ');
    }
    if (!cleaned.isEmpty()) {
        putOnTop(cleaned);
        return m_entries.first();
    }
    // Nothing to remove when the list is shorter than the remembered index.
    if (m_chosen >= 0 && m_chosen < m_entries.size()) {
        m_entries.removeAt(m_chosen);
    }
    return cleaned;
}

QString SearchHistory::focusLeft(const QString& text)
{
    if (text.isEmpty()) {
        return text;
    }
    putOnTop(text);
    return m_entries.first();
}

bool SearchHistory::load(const QString& path)
{
    bool ok = false;
    m_entries = SideFile::readLines(path, &ok);
    return ok;
}

bool SearchHistory::save(const QString& path) const
{
    return SideFile::writeLines(path, m_entries);
}
