#include "app/MessageBoxPrompter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::StandardButton toButton(Prompter::Answer answer)
{
    switch (answer) {
    case Prompter::Answer::Yes:
        return QMessageBox::Yes;
    case Prompter::Answer::No:
        return QMessageBox::No;
    case Prompter::Answer::Cancel:
        return QMessageBox::Cancel;
    case Prompter::Answer::Ok:
        return QMessageBox::Ok;
    }
    return QMessageBox::NoButton;
}

Prompter::Answer toAnswer(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return Prompter::Answer::Yes;
    case QMessageBox::No:
        return Prompter::Answer::No;
    case QMessageBox::Ok:
        return Prompter::Answer::Ok;
    default:
        return Prompter::Answer::Cancel;
    }
}

int show(QWidget* parent,
         QMessageBox::Icon icon,
         const QString& text,
         QMessageBox::StandardButtons buttons,
         QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(icon, QApplication::applicationDisplayName(), text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

MessageBoxPrompter::MessageBoxPrompter(QWidget* parent)
    : m_parent(parent)
{
}

void MessageBoxPrompter::information(const QString& text)
{
    show(m_parent, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxPrompter::warning(const QString& text)
{
    show(m_parent, QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxPrompter::error(const QString& text)
{
    show(m_parent, QMessageBox::Critical, text, QMessageBox::Ok, QMessageBox::Ok);
}

Prompter::Answer MessageBoxPrompter::question(const QString& text, Answer defaultAnswer)
{
    return toAnswer(
        show(m_parent, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No, toButton(defaultAnswer)));
}

Prompter::Answer MessageBoxPrompter::questionWithCancel(const QString& text, Answer defaultAnswer)
{
    return toAnswer(show(m_parent,
                         QMessageBox::Question,
                         text,
                         QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                         toButton(defaultAnswer)));
}
