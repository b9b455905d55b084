#include "store/IntakeProgressBar.h"

#include "store/MessageIntake.h"

IntakeProgressBar::IntakeProgressBar(MessageIntake& intake, QWidget* parent)
    : QProgressBar(parent)
{
    setObjectName(QStringLiteral("IntakeProgressBar"));
    setMaximumWidth(200);
    setFormat(QStringLiteral("%v / %m"));
    hide();
    connect(&intake, &MessageIntake::progressChanged, this, [this](int done, int total) {
        setRange(0, total);
        setValue(done);
        show();
        repaint();
    });
    connect(&intake, &MessageIntake::runningChanged, this, [this](bool running) {
        if (!running) {
            hide();
            reset();
        }
    });
}
