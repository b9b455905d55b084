#pragma once

#include <QString>

// Opens a file with the program the desktop associates with its type and
// waits, keeping the event loop running, until that program ends.
class FileOpener
{
public:
    virtual ~FileOpener() = default;
    // False when no program could be started for the file.
    virtual bool openAndWait(const QString& path) = 0;
};

// The desktop's way: the default application that GIO names for the file's
// content type, started so that its process id is known; else "xdg-open".
class OpenAndWait final : public FileOpener
{
public:
    bool openAndWait(const QString& path) override;

    // The process id of the program started for the file, or 0 when none started.
    static qint64 launchDefault(const QString& path);
    // Waits (events keep running) until the process has ended or the application quits.
    static void waitForProcess(qint64 pid);
};
