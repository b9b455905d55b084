#include "reader/TFileAssociationDetails.h"

#include <QApplication>
#include <QDir>
#include <QMimeDatabase>
#include <QStyle>

using namespace Qt::StringLiterals;

TFileAssociationDetails::TFileAssociationDetails(int dpi)
    : m_iconSize(iconSizeFor(dpi))
{
    // Outside a desktop session Qt knows no icon theme; the freedesktop default theme has the type icons.
    if (QIcon::fallbackThemeName().isEmpty() || QIcon::fallbackThemeName() == u"hicolor"_s) {
        for (const QString& theme : {u"Adwaita"_s, u"breeze"_s, u"gnome"_s}) {
            if (QDir(u"/usr/share/icons/"_s + theme).exists()) {
                QIcon::setFallbackThemeName(theme);
                break;
            }
        }
    }
}

int TFileAssociationDetails::iconSizeFor(int dpi)
{
    if (dpi <= 120) {
        return 24;
    }
    if (dpi >= 192) {
        return 48;
    }
    return 32;
}

void TFileAssociationDetails::AddExtension(const QString& extension)
{
    m_extensions.append(extension.toUpper());
}

void TFileAssociationDetails::GetFileIconsAndDescriptions()
{
    static const QMimeDatabase database;
    m_images.clear();
    m_typeTexts.clear();
    for (const QString& extension : std::as_const(m_extensions)) {
        // As if a file "*" + extension existed: only the name is looked at.
        const QMimeType type = extension.isEmpty() ? database.mimeTypeForName(u"application/octet-stream"_s)
                                                   : database.mimeTypeForFile(u"file"_s + extension.toLower(),
                                                                              QMimeDatabase::MatchExtension);
        m_typeTexts.append(type.comment().left(80));
        QIcon icon = QIcon::fromTheme(type.iconName());
        if (icon.isNull()) {
            icon = QIcon::fromTheme(type.genericIconName());
        }
        if (icon.isNull()) {
            icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        }
        m_images.append(icon);
    }
}

QIcon TFileAssociationDetails::image(int index) const
{
    return index >= 0 && index < m_images.size() ? m_images.at(index) : QIcon();
}

QString TFileAssociationDetails::typeText(int index) const
{
    return index >= 0 && index < m_typeTexts.size() ? m_typeTexts.at(index) : QString();
}
