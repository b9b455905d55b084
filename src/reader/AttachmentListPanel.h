#pragma once

#include <memory>

#include <QListWidget>

#include "reader/TFileAssociationDetails.h"

// One attachment list (I or II): a large-icon list whose images and type
// names come from its TFileAssociationDetails (FFileDetails).
class AttachmentListPanel final : public QListWidget
{
    Q_OBJECT

public:
    explicit AttachmentListPanel(QWidget* parent = nullptr);

    // A new FFileDetails for the next filling (the image counter starts at 0).
    void startDetails(int dpi);
    [[nodiscard]] const TFileAssociationDetails* details() const { return m_details.get(); }
    // Adds the extension, fetches icons and adds an item with the next image index.
    // index: the attachment's index in its source (-1 when it has none).
    void addAttachment(const QString& caption, const QString& extension, int index);
    [[nodiscard]] QString selectedCaption() const;
    [[nodiscard]] int selectedIndex() const;

    static constexpr int kIndexRole = Qt::UserRole;
    static constexpr int kImageRole = Qt::UserRole + 1;

Q_SIGNALS:
    // The mouse left the list.
    void left();

protected:
    void leaveEvent(QEvent* event) override;

private:
    std::unique_ptr<TFileAssociationDetails> m_details;
    int m_imageCounter = 0;
};
