#pragma once

#include <QPointer>

#include "app/core/FileChooser.h"

class QWidget;

// The real file chooser: Qt's file dialogs over the given window.
class DialogFileChooser final : public FileChooser
{
public:
    explicit DialogFileChooser(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { m_parent = parent; }

    QStringList openFiles(Request& request) override;
    QString saveFile(Request& request) override;
    QString chooseFolder(const QString& caption, const QString& folder) override;

private:
    QPointer<QWidget> m_parent;
};
