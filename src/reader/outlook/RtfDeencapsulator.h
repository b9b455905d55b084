#pragma once

#include <QByteArray>
#include <QString>

// Recovers the HTML or plain text that Outlook wraps into RTF (\fromhtml1,
// \fromtext): the text inside {\*\htmltag} groups and the text outside
// \htmlrtf ... \htmlrtf0 stretches make up the original.
class RtfDeencapsulator final
{
public:
    enum class Kind
    {
        None, // plain RTF (or not RTF at all): nothing encapsulated
        Html,
        Text
    };

    struct Result
    {
        Kind kind = Kind::None;
        QString text;
    };

    [[nodiscard]] static Kind encapsulation(const QByteArray& rtf);
    [[nodiscard]] static Result deencapsulate(const QByteArray& rtf);
};
