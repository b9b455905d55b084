#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariantList>

// What the search dialog's inputs mean for the message list.
//
// The inputs describe a filter over MAIL_VIEW: a range of received days, a
// subject and a sender-name pattern ("*" any characters, "?" one character,
// nothing added around them, so a pattern without wildcards must match the
// whole value), and body terms, one per memo line, joined with "or" or "and".
// expression() writes that filter out as readable text (what the user asked
// for); where() gives the same condition as a statement fragment with "?"
// placeholders and its values, which is what the list evaluates. No input text
// ever becomes part of the statement, so a quote is just a character.
class SearchFilter final
{
public:
    struct Inputs
    {
        QDate from;
        QDate to;
        QString subject;   // the subject box's text; empty means "any"
        QString sender;    // the sender box's text; empty means "any"
        QStringList body;  // the memo's lines, empty lines included
        int joinIndex = 0; // radio group "キーワード接続関数": 0 "or 接続", 1 "and 接続"
    };

    struct Where
    {
        QString fragment;    // over MAIL_VIEW columns, with "?" placeholders
        QVariantList values; // in placeholder order
    };

    // "*" becomes "%", then "?" becomes "_"; nothing else changes.
    [[nodiscard]] static QString pattern(const QString& boxText);
    // A body line: every space and ideographic space becomes "%", and "%" goes
    // around it ("納期 回答" gives "%納期%回答%", an empty line "%%").
    [[nodiscard]] static QString bodyTerm(const QString& line);
    // The lines of a memo as the memo holds them: a final line break does not
    // start another line; empty lines in between count.
    [[nodiscard]] static QStringList memoLines(const QString& text);
    // Whether the memo holds text once leading and trailing blanks and control
    // characters are removed (the body part is left out otherwise).
    [[nodiscard]] static bool memoHasText(const QStringList& lines);

    // The filter written out: "MESSAGE_DATE >= 'yyyy/MM/dd' AND ..." with the
    // subject, sender and body parts as far as present.
    [[nodiscard]] static QString expression(const Inputs& inputs);
    // The same condition with bound values. Dates compare with the start of the
    // day; LIKE distinguishes letter case; an empty or missing value never
    // matches a pattern (a lone "%" matches every message that has a value).
    [[nodiscard]] static Where where(const Inputs& inputs);
};
