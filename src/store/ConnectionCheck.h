#pragma once

#include <functional>

#include <QCoreApplication>
#include <QString>

class DbFileChooser;
class Prompter;
class TDm_Ldb;

// "接続check" on the file workbench tab and its browse button "・・・".
class ConnectionCheck final
{
    Q_DECLARE_TR_FUNCTIONS(ConnectionCheck)

public:
    ConnectionCheck(TDm_Ldb& dataModule, Prompter& prompter, DbFileChooser& chooser);

    [[nodiscard]] static QString okText(); // "Data Base 接続OK!!"
    [[nodiscard]] static QString ngText(); // "Data Base 接続NG!!"
    [[nodiscard]] static QString fileFilter();

    // The button is disabled while the check runs (setButtonEnabled may be empty).
    // Host and file are adopted as the configured target (saved at exit).
    bool check(const QString& host, const QString& path, const std::function<void(bool)>& setButtonEnabled = {});
    // The chosen file, or currentPath unchanged when the dialog is cancelled.
    [[nodiscard]] QString browse(const QString& currentPath) const;

private:
    TDm_Ldb& m_dm;
    Prompter& m_prompter;
    DbFileChooser& m_chooser;
};
