#pragma once

#include <QString>

// The lock file "Semafore" beside an embedded database. Holding it means having
// it open with an exclusive lock (flock), so a second program, or a second
// holder in the same program, cannot take it; the lock goes with the process if
// it dies. The file itself stays empty.
class SemaforeLock final
{
public:
    SemaforeLock() = default;
    ~SemaforeLock(); // releases without deleting the file
    SemaforeLock(const SemaforeLock&) = delete;
    SemaforeLock& operator=(const SemaforeLock&) = delete;

    [[nodiscard]] static QString fileName(); // "Semafore"

    // Opens or creates "Semafore" in folder and locks it. False when another
    // holder has it or it cannot be opened; then nothing is held.
    bool acquire(const QString& folder);
    // Closes the handle; with removeFile the file is deleted first (at exit).
    void release(bool removeFile);
    [[nodiscard]] bool isHeld() const { return m_fd >= 0; }
    [[nodiscard]] QString path() const { return m_path; }

private:
    int m_fd = -1;
    QString m_path;
};
