#pragma once

#include <QPointer>

#include "app/core/Prompter.h"

class QWidget;

// The real prompter: Japanese message boxes over the given window.
class MessageBoxPrompter final : public Prompter
{
public:
    explicit MessageBoxPrompter(QWidget* parent = nullptr);
    void setParent(QWidget* parent) { m_parent = parent; }

    void information(const QString& text) override;
    void warning(const QString& text) override;
    void error(const QString& text) override;
    Answer question(const QString& text, Answer defaultAnswer = Answer::Yes) override;
    Answer questionWithCancel(const QString& text, Answer defaultAnswer = Answer::Yes) override;

private:
    QPointer<QWidget> m_parent;
};
