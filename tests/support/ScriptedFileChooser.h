#pragma once

#include <QList>
#include <QQueue>
#include <QStringList>

#include "app/core/FileChooser.h"

// A file chooser for tests: hands out queued answers and records each request.
class ScriptedFileChooser final : public FileChooser
{
public:
    void setNextFiles(const QStringList& files) { m_files.enqueue(files); }
    void setNextFolder(const QString& folder) { m_folders.enqueue(folder); }
    [[nodiscard]] const QList<Request>& requests() const { return m_requests; }

    QStringList openFiles(Request& request) override
    {
        m_requests.append(request);
        return m_files.isEmpty() ? QStringList() : m_files.dequeue();
    }
    QString saveFile(Request& request) override
    {
        m_requests.append(request);
        return m_files.isEmpty() || m_files.head().isEmpty() ? QString() : m_files.dequeue().first();
    }
    QString chooseFolder(const QString& caption, const QString& /*folder*/) override
    {
        m_requests.append(Request{caption, {}, {}, {}, 0, false});
        return m_folders.isEmpty() ? QString() : m_folders.dequeue();
    }

private:
    QQueue<QStringList> m_files;
    QQueue<QString> m_folders;
    QList<Request> m_requests;
};
