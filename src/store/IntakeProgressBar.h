#pragma once

#include <QProgressBar>

class MessageIntake;

// The progress of an intake of several messages, for the status bar: shown
// while the intake runs, hidden otherwise.
class IntakeProgressBar final : public QProgressBar
{
    Q_OBJECT

public:
    explicit IntakeProgressBar(MessageIntake& intake, QWidget* parent = nullptr);
};
