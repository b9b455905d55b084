#include "support/ScriptedPrompter.h"

using namespace Qt::StringLiterals;

void ScriptedPrompter::information(const QString& text)
{
    m_shown.append({u"information"_s, text});
}

void ScriptedPrompter::warning(const QString& text)
{
    m_shown.append({u"warning"_s, text});
}

void ScriptedPrompter::error(const QString& text)
{
    m_shown.append({u"error"_s, text});
}

Prompter::Answer ScriptedPrompter::question(const QString& text, Answer defaultAnswer)
{
    m_shown.append({u"question"_s, text});
    return answer(text, defaultAnswer);
}

Prompter::Answer ScriptedPrompter::questionWithCancel(const QString& text, Answer defaultAnswer)
{
    m_shown.append({u"question"_s, text});
    return answer(text, defaultAnswer);
}

Prompter::Answer ScriptedPrompter::answer(const QString& text, Answer defaultAnswer)
{
    if (m_answers.isEmpty()) {
        m_unexpected.append(text);
        return defaultAnswer;
    }
    return m_answers.dequeue();
}

void ScriptedPrompter::reset()
{
    m_shown.clear();
    m_answers.clear();
    m_unexpected.clear();
}

QStringList ScriptedPrompter::texts() const
{
    QStringList result;
    for (const Shown& s : m_shown) {
        result.append(s.text);
    }
    return result;
}

QStringList ScriptedPrompter::texts(const QString& kind) const
{
    QStringList result;
    for (const Shown& s : m_shown) {
        if (s.kind == kind) {
            result.append(s.text);
        }
    }
    return result;
}
