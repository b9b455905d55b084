#include "reader/AttachmentListPanel.h"

AttachmentListPanel::AttachmentListPanel(QWidget* parent)
    : QListWidget(parent)
{
    setViewMode(QListView::IconMode);
    setResizeMode(QListView::Adjust);
    setMovement(QListView::Static);
    setWordWrap(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    startDetails(96);
}

void AttachmentListPanel::startDetails(int dpi)
{
    m_details = std::make_unique<TFileAssociationDetails>(dpi);
    m_imageCounter = 0;
    const int size = m_details->iconSize();
    setIconSize(QSize(size, size));
    setGridSize(QSize(std::max(120, size * 4), size + 48));
}

void AttachmentListPanel::addAttachment(const QString& caption, const QString& extension, int index)
{
    m_details->AddExtension(extension);
    m_details->GetFileIconsAndDescriptions();
    const int image = m_imageCounter++;
    auto* item = new QListWidgetItem(m_details->image(image), caption, this);
    item->setData(kIndexRole, index);
    item->setData(kImageRole, image);
    item->setToolTip(m_details->typeText(image));
}

QString AttachmentListPanel::selectedCaption() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? QString() : items.first()->text();
}

int AttachmentListPanel::selectedIndex() const
{
    const QList<QListWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : items.first()->data(kIndexRole).toInt();
}

void AttachmentListPanel::leaveEvent(QEvent* event)
{
    QListWidget::leaveEvent(event);
    Q_EMIT left();
}
