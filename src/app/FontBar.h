#pragma once

#include <QColor>
#include <QToolBar>

class QComboBox;
class QFontComboBox;
class QTextEdit;

// The font bar of the band: typeface, point size and colour of the body
// pane's text. Colours are kept as Windows colour values (0x00BBGGRR) in the
// settings; 0 stands for the theme's own text colour.
class FontBar final : public QToolBar
{
    Q_OBJECT

public:
    explicit FontBar(QTextEdit& text, QWidget* parent = nullptr);

    // Shows the stored font and gives it to the text. A size that is not in
    // the list leaves the size box empty; a colour that is not in the list is
    // added to it.
    void restore(const QString& family, int pointSize, int colorRef);
    // The colour value to store: 0 for the theme's own text colour.
    [[nodiscard]] int colorRef() const;
    // The colour box is offered with the platform's look only.
    void setColorChoiceShown(bool shown);
    // Back to the theme's own text colour, or to black.
    void chooseDefaultColor();
    void chooseBlack();

    [[nodiscard]] static QColor fromColorRef(int value);
    [[nodiscard]] static int toColorRef(const QColor& color);

private:
    void apply();

    QTextEdit& m_text;
    QFontComboBox* m_name = nullptr;
    QComboBox* m_size = nullptr;
    QComboBox* m_color = nullptr;
};
