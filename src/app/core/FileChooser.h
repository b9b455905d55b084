#pragma once

#include <QString>
#include <QStringList>

// Every file and folder dialog of the program goes through this interface, so
// that tests can choose the files.
class FileChooser
{
public:
    struct Request
    {
        QString caption;
        QString folder;      // where the dialog starts
        QString fileName;    // proposed name (save dialogs)
        QStringList filters; // "説明 (*.eml)" entries
        int filterIndex = 0; // selected filter, in and out
        bool multiple = false;
    };

    virtual ~FileChooser() = default;

    // The chosen files; empty when cancelled. request.filterIndex returns the filter used.
    virtual QStringList openFiles(Request& request) = 0;
    // The chosen file name; empty when cancelled.
    virtual QString saveFile(Request& request) = 0;
    // The chosen folder; empty when cancelled.
    virtual QString chooseFolder(const QString& caption, const QString& folder) = 0;
};
