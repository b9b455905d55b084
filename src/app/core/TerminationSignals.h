#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP (log-out, a shutdown, Ctrl+C in a terminal)
// into a Qt signal, so the program can close its window the normal way and
// save its settings instead of dying on the spot.
class TerminationSignals final : public QObject
{
    Q_OBJECT

public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void terminationRequested();

private:
    static void handle(int signal);

    QSocketNotifier* m_notifier = nullptr;
};
