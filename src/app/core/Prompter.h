#pragma once

#include <QString>

// Every message box of the program goes through this interface, so that tests
// can read what would have been shown and give the answers.
class Prompter
{
public:
    enum class Answer
    {
        Yes,
        No,
        Cancel,
        Ok
    };

    virtual ~Prompter() = default;

    virtual void information(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    // A Yes/No confirmation; defaultAnswer is the button that Enter presses.
    virtual Answer question(const QString& text, Answer defaultAnswer = Answer::Yes) = 0;
    // A Yes/No/Cancel confirmation.
    virtual Answer questionWithCancel(const QString& text, Answer defaultAnswer = Answer::Yes) = 0;
};
