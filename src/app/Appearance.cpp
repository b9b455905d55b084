#include "app/Appearance.h"

#include <QApplication>
#include <QPalette>
#include <QStyle>
#include <QStyleFactory>

using namespace Qt::StringLiterals;

int Appearance::s_current = -1;

namespace {

QString g_platformStyle;

QPalette lightPalette(const QColor& window, const QColor& base, const QColor& highlight)
{
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, QColor(0x1f, 0x1f, 0x1f));
    p.setColor(QPalette::Base, base);
    p.setColor(QPalette::AlternateBase, window.lighter(104));
    p.setColor(QPalette::Text, QColor(0x1f, 0x1f, 0x1f));
    p.setColor(QPalette::Button, window);
    p.setColor(QPalette::ButtonText, QColor(0x1f, 0x1f, 0x1f));
    p.setColor(QPalette::Highlight, highlight);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(0xff, 0xff, 0xe1));
    p.setColor(QPalette::ToolTipText, Qt::black);
    p.setColor(QPalette::PlaceholderText, QColor(0x80, 0x80, 0x80));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0xa0, 0xa0, 0xa0));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0xa0, 0xa0, 0xa0));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0xa0, 0xa0, 0xa0));
    return p;
}

QPalette darkPalette()
{
    QPalette p;
    const QColor window(0x20, 0x20, 0x20);
    const QColor text(0xf0, 0xf0, 0xf0);
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x2b, 0x2b, 0x2b));
    p.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x2d, 0x2d, 0x2d));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::Highlight, QColor(0x4c, 0xc2, 0xff));
    p.setColor(QPalette::HighlightedText, Qt::black);
    p.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3a, 0x3a));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Link, QColor(0x4c, 0xc2, 0xff));
    p.setColor(QPalette::PlaceholderText, QColor(0x90, 0x90, 0x90));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x70, 0x70, 0x70));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x70, 0x70, 0x70));
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x70, 0x70, 0x70));
    return p;
}

} // namespace

QString Appearance::styleName(int theme)
{
    switch (theme) {
    case 0:
        return u"Windows"_s;
    case 1:
        return u"Windows11 Modern Light"_s;
    case 2:
        return u"Windows11 Modern Dark"_s;
    case 3:
        return u"Windows11 Polar Light"_s;
    case 4:
        return u"Windows10"_s;
    default:
        return QString();
    }
}

bool Appearance::apply(int theme)
{
    if (theme < 0 || theme >= kThemes) {
        return false;
    }
    if (g_platformStyle.isEmpty() && QApplication::style()) {
        g_platformStyle = QApplication::style()->name();
    }
    if (theme == 0) {
        QApplication::setStyle(QStyleFactory::create(g_platformStyle.isEmpty() ? u"Fusion"_s : g_platformStyle));
        QApplication::setPalette(QApplication::style()->standardPalette());
    } else {
        QApplication::setStyle(QStyleFactory::create(u"Fusion"_s));
        switch (theme) {
        case 1:
            QApplication::setPalette(lightPalette(QColor(0xf3, 0xf3, 0xf3), Qt::white, QColor(0x00, 0x5f, 0xb8)));
            break;
        case 2:
            QApplication::setPalette(darkPalette());
            break;
        case 3:
            QApplication::setPalette(
                lightPalette(QColor(0xe8, 0xf0, 0xf7), QColor(0xfa, 0xfc, 0xff), QColor(0x2b, 0x79, 0xc2)));
            break;
        default:
            QApplication::setPalette(lightPalette(QColor(0xf0, 0xf0, 0xf0), Qt::white, QColor(0x00, 0x78, 0xd7)));
            break;
        }
    }
    s_current = theme;
    return true;
}

int Appearance::current()
{
    return s_current;
}
