#pragma once

#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

// The file types of one filled attachment list: an extension per listed item
// (in list order, stored in upper case), its type name and its icon, from the
// desktop's MIME database and icon theme.
class TFileAssociationDetails final
{
public:
    // dpi: the screen's logical dots per inch, which chooses the icon size.
    explicit TFileAssociationDetails(int dpi);

    // 24 up to 120 dpi, 48 from 192 dpi, 32 in between.
    [[nodiscard]] static int iconSizeFor(int dpi);
    [[nodiscard]] int iconSize() const { return m_iconSize; }

    // Adds one extension (".pdf"; empty for a name without one).
    void AddExtension(const QString& extension);
    // Fills the type names and icons for every stored extension.
    void GetFileIconsAndDescriptions();

    [[nodiscard]] const QStringList& extensions() const { return m_extensions; }
    [[nodiscard]] const QStringList& typeTexts() const { return m_typeTexts; }
    [[nodiscard]] const QList<QIcon>& images() const { return m_images; }
    [[nodiscard]] QIcon image(int index) const;
    [[nodiscard]] QString typeText(int index) const;

private:
    int m_iconSize;
    QStringList m_extensions;
    QStringList m_typeTexts;
    QList<QIcon> m_images;
};
