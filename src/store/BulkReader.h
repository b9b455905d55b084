#pragma once

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "reader/MessageInfo.h"

// Reads message files on worker threads, a few files ahead of the one the
// caller writes to the archive, and hands them over strictly in the order of
// the list. Parsing the next messages then overlaps the database writing of
// the current one, which is single-threaded.
//
// Every worker thread has a reader of its own, made by the factory on that
// thread: readers keep state between files and are not shared.
class BulkReader final
{
public:
    struct Item
    {
        int index = -1;      // position in the list
        QString path;        // as listed
        MessageInfo message; // what the reader took from the file
        QByteArray data;     // the bytes of the file that is stored (see MessageRegistrar::messageFileOf)
        QStringList notes;   // texts the reader would have shown in a message box
    };
    // Reads item.path into item.message, item.data and item.notes.
    using Reader = std::function<void(Item& item)>;
    using ReaderFactory = std::function<Reader()>;

    // threads: worker threads (at least one); ahead: how many files may wait
    // read but not yet taken (at least one), which bounds the memory used.
    BulkReader(QStringList files, ReaderFactory factory, int threads, int ahead);
    // Stops the workers after the file each is reading, without reading the rest.
    ~BulkReader();
    BulkReader(const BulkReader&) = delete;
    BulkReader& operator=(const BulkReader&) = delete;

    [[nodiscard]] bool hasNext() const { return m_taken < static_cast<int>(m_files.size()); }
    // The next file of the list, read; waits until a worker has read it. Only while hasNext().
    Item next();

private:
    void work(const ReaderFactory& factory);

    const QStringList m_files;
    const int m_ahead;
    std::mutex m_mutex;
    std::condition_variable m_readyChanged; // an item was read
    std::condition_variable m_roomChanged;  // an item was taken, or the workers are to stop
    std::map<int, Item> m_ready;            // read, not yet taken
    int m_claimed = 0;                      // the next index a worker may claim
    int m_taken = 0;                        // the next index next() hands over
    bool m_stopping = false;
    std::vector<std::thread> m_workers;
};
