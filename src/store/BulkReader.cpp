#include "store/BulkReader.h"

#include <algorithm>
#include <exception>

BulkReader::BulkReader(QStringList files, ReaderFactory factory, int threads, int ahead)
    : m_files(std::move(files))
    , m_ahead(std::max(ahead, 1))
{
    const int count = std::clamp(threads, 1, std::max(static_cast<int>(m_files.size()), 1));
    m_workers.reserve(count);
    for (int i = 0; i < count; ++i) {
        m_workers.emplace_back([this, factory] { work(factory); });
    }
}

BulkReader::~BulkReader()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_roomChanged.notify_all();
    for (std::thread& worker : m_workers) {
        worker.join();
    }
}

BulkReader::Item BulkReader::next()
{
    const int index = m_taken;
    std::unique_lock lock(m_mutex);
    m_readyChanged.wait(lock, [&] { return m_ready.count(index) != 0; });
    Item item = std::move(m_ready.at(index));
    m_ready.erase(index);
    ++m_taken;
    lock.unlock();
    m_roomChanged.notify_all();
    return item;
}

void BulkReader::work(const ReaderFactory& factory)
{
    const Reader read = factory();
    const int total = static_cast<int>(m_files.size());
    for (;;) {
        int index = 0;
        {
            std::unique_lock lock(m_mutex);
            // Claim only within the window past the last item taken, so a slow
            // writer never has the whole list read into memory.
            m_roomChanged.wait(lock, [&] { return m_stopping || m_claimed >= total || m_claimed < m_taken + m_ahead; });
            if (m_stopping || m_claimed >= total) {
                return;
            }
            index = m_claimed++;
        }
        Item item;
        item.index = index;
        item.path = m_files.at(index);
        try {
            read(item);
        } catch (const std::exception& error) {
            // Nothing of a failed reading is kept: the message goes on without fields, and is refused.
            item.message.clearFields();
            item.notes.append(QString::fromLocal8Bit(error.what()));
        }
        {
            const std::lock_guard lock(m_mutex);
            m_ready.emplace(index, std::move(item));
        }
        m_readyChanged.notify_all();
    }
}
