#include "app/DialogFileChooser.h"

#include <QDir>
#include <QFileDialog>

DialogFileChooser::DialogFileChooser(QWidget* parent)
    : m_parent(parent)
{
}

QStringList DialogFileChooser::openFiles(Request& request)
{
    QFileDialog dialog(m_parent, request.caption, request.folder);
    dialog.setFileMode(request.multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size()) {
        dialog.selectNameFilter(request.filters.at(request.filterIndex));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    request.filterIndex = static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles();
}

QString DialogFileChooser::saveFile(Request& request)
{
    QFileDialog dialog(m_parent, request.caption, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size()) {
        dialog.selectNameFilter(request.filters.at(request.filterIndex));
    }
    if (!request.fileName.isEmpty()) {
        dialog.selectFile(QDir(request.folder).filePath(request.fileName));
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    request.filterIndex = static_cast<int>(request.filters.indexOf(dialog.selectedNameFilter()));
    return dialog.selectedFiles().first();
}

QString DialogFileChooser::chooseFolder(const QString& caption, const QString& folder)
{
    return QFileDialog::getExistingDirectory(m_parent, caption, folder);
}
