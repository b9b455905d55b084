#pragma once

#include <QString>

// The file dialog behind the "・・・" browse button of the connection check.
// The window passes a QFileDialog-backed implementation; tests a scripted one.
class DbFileChooser
{
public:
    virtual ~DbFileChooser() = default;
    // filter in Qt's form ("Firebird DBファイル (*.fdb);;…"); returns the chosen
    // file, or empty when cancelled.
    virtual QString chooseDbFile(const QString& startPath, const QString& defaultSuffix, const QString& filter) = 0;
};
