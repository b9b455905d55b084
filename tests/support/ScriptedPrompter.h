#pragma once

#include <QList>
#include <QQueue>
#include <QStringList>

#include "app/core/Prompter.h"

// A prompter for tests: records every text it is asked to show and hands out
// queued answers. A question that nobody scripted is recorded as unexpected and
// answered with its default.
class ScriptedPrompter final : public Prompter
{
public:
    struct Shown
    {
        QString kind; // "information", "warning", "error", "question"
        QString text;
    };

    void information(const QString& text) override;
    void warning(const QString& text) override;
    void error(const QString& text) override;
    Answer question(const QString& text, Answer defaultAnswer = Answer::Yes) override;
    Answer questionWithCancel(const QString& text, Answer defaultAnswer = Answer::Yes) override;

    void expect(Answer answer) { m_answers.enqueue(answer); }
    void reset();

    [[nodiscard]] const QList<Shown>& shown() const { return m_shown; }
    [[nodiscard]] QStringList texts() const;
    [[nodiscard]] QStringList texts(const QString& kind) const;
    [[nodiscard]] const QStringList& unexpected() const { return m_unexpected; }
    [[nodiscard]] qsizetype unusedAnswers() const { return m_answers.size(); }

private:
    Answer answer(const QString& text, Answer defaultAnswer);

    QList<Shown> m_shown;
    QQueue<Answer> m_answers;
    QStringList m_unexpected;
};
