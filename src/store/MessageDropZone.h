#pragma once

#include <QObject>
#include <QPointer>

class MessageIntake;
class QWidget;

// The drop zone of the main window: the upper panel with the body pane over
// the hint "ここにメッセージ(ファイル)をドロップしてください". While something
// readable is dragged over it, the body pane gives way to the hint on the
// info-background colour; a drop hands the items to the intake.
class MessageDropZone final : public QObject
{
    Q_OBJECT

public:
    MessageDropZone(MessageIntake& intake, QWidget* panel, QWidget* bodyPane, QObject* parent = nullptr);

    // Off while the bulk sender uses the panel.
    void setEnabled(bool enabled);
    [[nodiscard]] bool isEnabled() const { return m_enabled; }
    // The panel's resting look (button face) with the body pane shown.
    void showResting();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showDragging();

    MessageIntake& m_intake;
    QPointer<QWidget> m_panel;
    QPointer<QWidget> m_bodyPane;
    bool m_enabled = true;
};
