#pragma once

#include <QPixmap>
#include <QWidget>

// The borderless picture shown while the main window and the database come up.
class SplashWindow final : public QWidget
{
    Q_OBJECT

public:
    static constexpr int kSize = 297;

    // picturePath: "Tidewell.jpg" in the program folder; a missing picture leaves a plain panel.
    explicit SplashWindow(const QString& picturePath, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};
