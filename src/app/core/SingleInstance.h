#pragma once

#include <functional>

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

// Keeps one copy of the program per user. The first copy listens on a local
// socket named after the program file; a later copy connects, names the window
// titles it is looking for, and ends. The first copy raises (or restores) its
// window when one of the titles is its own.
class SingleInstance final : public QObject
{
    Q_OBJECT

public:
    enum class Outcome
    {
        First,         // no other copy runs: this one now holds the name
        OtherFound,    // another copy runs and showed its window
        OtherNoWindow, // another copy runs but has no window with those titles
        Failed         // the name can be neither reached nor taken
    };

    // Answers a request: returns whether a window with one of the titles was shown.
    using Activator = std::function<bool(const QStringList& titles)>;

    explicit SingleInstance(const QString& programFileName, QObject* parent = nullptr);
    ~SingleInstance() override;

    // The socket path for a program file name: per user, in the runtime folder when there is one.
    [[nodiscard]] static QString serverName(const QString& programFileName);

    // Asks a running copy to show the window with one of titles (tried in order).
    [[nodiscard]] static Outcome askRunning(const QString& name, const QStringList& titles, int timeoutMs = 2000);

    // Becomes the first copy, or asks the one that runs; see Outcome.
    Outcome start(const QStringList& titles);
    void setActivator(Activator activator) { m_activator = std::move(activator); }
    [[nodiscard]] bool isListening() const;

private:
    void serve();

    QString m_name;
    QLocalServer* m_server = nullptr;
    Activator m_activator;
};
