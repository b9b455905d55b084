#include "app/FontBar.h"

#include <QComboBox>
#include <QFontComboBox>
#include <QTextEdit>

using namespace Qt::StringLiterals;

FontBar::FontBar(QTextEdit& text, QWidget* parent)
    : QToolBar(tr("フォントメニューバー"), parent)
    , m_text(text)
{
    setObjectName(u"FontBar"_s);
    m_name = new QFontComboBox(this);
    m_name->setObjectName(u"FontNameCombo"_s);
    m_name->setFixedWidth(200);
    m_size = new QComboBox(this);
    m_size->setObjectName(u"FontSizeCombo"_s);
    m_size->setEditable(true);
    m_size->setFixedWidth(60);
    for (int size : {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}) {
        m_size->addItem(QString::number(size));
    }
    m_color = new QComboBox(this);
    m_color->setObjectName(u"ColorBox"_s);
    m_color->setFixedWidth(120);
    const QList<std::pair<QString, QColor>> colors = {{tr("既定"), QColor()},
                                                      {tr("黒"), Qt::black},
                                                      {tr("栗色"), QColor(0x80, 0, 0)},
                                                      {tr("緑"), QColor(0, 0x80, 0)},
                                                      {tr("オリーブ"), QColor(0x80, 0x80, 0)},
                                                      {tr("紺"), QColor(0, 0, 0x80)},
                                                      {tr("紫"), QColor(0x80, 0, 0x80)},
                                                      {tr("青緑"), QColor(0, 0x80, 0x80)},
                                                      {tr("灰色"), Qt::gray},
                                                      {tr("赤"), Qt::red},
                                                      {tr("青"), Qt::blue},
                                                      {tr("白"), Qt::white}};
    for (const auto& [name, color] : colors) {
        QPixmap swatch(12, 12);
        swatch.fill(color.isValid() ? color : palette().color(QPalette::Text));
        m_color->addItem(QIcon(swatch), name, color);
    }
    addWidget(m_name);
    addWidget(m_size);
    addWidget(m_color);
    connect(m_name, &QFontComboBox::currentFontChanged, this, &FontBar::apply);
    connect(m_size, &QComboBox::currentTextChanged, this, &FontBar::apply);
    connect(m_color, &QComboBox::currentIndexChanged, this, &FontBar::apply);
}

void FontBar::restore(const QString& family, int pointSize, int colorRef)
{
    QFont font(family);
    font.setPointSize(pointSize > 0 ? pointSize : 9);
    m_text.setFont(font);
    const int sizeIndex = m_size->findText(QString::number(pointSize));
    m_size->setCurrentIndex(sizeIndex);
    if (sizeIndex < 0) {
        m_size->setEditText(QString());
    }
    const int nameIndex = m_name->findText(family);
    if (nameIndex >= 0) {
        m_name->setCurrentIndex(nameIndex);
    }
    int colorIndex = 0;
    if (colorRef != 0) {
        const QColor color = fromColorRef(colorRef);
        colorIndex = m_color->findData(color);
        if (colorIndex < 0) {
            m_color->addItem(color.name(), color);
            colorIndex = m_color->count() - 1;
        }
    }
    m_color->setCurrentIndex(colorIndex);
}

int FontBar::colorRef() const
{
    const QColor color = m_color->currentData().value<QColor>();
    return (m_color->currentIndex() <= 0 || !color.isValid()) ? 0 : toColorRef(color);
}

void FontBar::setColorChoiceShown(bool shown)
{
    m_color->setVisible(shown);
}

void FontBar::chooseDefaultColor()
{
    m_color->setCurrentIndex(0);
}

void FontBar::chooseBlack()
{
    m_color->setCurrentIndex(m_color->findText(tr("黒")));
}

QColor FontBar::fromColorRef(int value)
{
    if (value < 0) {
        return QColor();
    }
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

int FontBar::toColorRef(const QColor& color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

void FontBar::apply()
{
    QTextCharFormat format;
    format.setFontFamilies({m_name->currentFont().family()});
    bool ok = false;
    const double size = m_size->currentText().toDouble(&ok);
    if (ok && size > 0) {
        format.setFontPointSize(size);
    }
    const QColor color = m_color->currentData().value<QColor>();
    format.setForeground(color.isValid() ? QBrush(color) : palette().brush(QPalette::Text));
    m_text.mergeCurrentCharFormat(format);
    QFont font = m_text.font();
    font.setFamilies({m_name->currentFont().family()});
    if (ok && size > 0) {
        font.setPointSizeF(size);
    }
    m_text.setFont(font);
}
