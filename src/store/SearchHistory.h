#pragma once

#include <QString>
#include <QStringList>

// The keyword history of one box of the search dialog (subject or sender):
// newest entry first, at most 20 entries, kept in a side file of the data
// folder. The box shows the text; the history decides what the text becomes.
class SearchHistory final
{
public:
    static constexpr int kMaxEntries = 20;

    [[nodiscard]] const QStringList& entries() const { return m_entries; }
    void setEntries(const QStringList& entries) { m_entries = entries; }
    // Subject_StrNum / Sender_StrNum: the entry last chosen from the drop-down list.
    [[nodiscard]] int chosenIndex() const { return m_chosen; }
    void setChosenIndex(int index) { m_chosen = index; }

    // Enter (and double click) in the box. A text with a space loses its
    // spaces (and its leading and trailing blanks); a remaining text goes to
    // the top of the list and the list's top entry is returned as the new box
    // text. An empty text removes the entry last chosen from the list instead
    // and stays empty.
    QString enter(const QString& text);
    // The focus leaves the box: a text that is not empty goes to the top as it
    // is, spaces kept. Returns the new box text.
    QString focusLeft(const QString& text);

    // One entry per line; a missing or unreadable file gives an empty history.
    bool load(const QString& path);
    // Failures are the caller's to ignore.
    bool save(const QString& path) const;

private:
    void putOnTop(const QString& text);

    QStringList m_entries;
    int m_chosen = 0;
};
