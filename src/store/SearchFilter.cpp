#include "store/SearchFilter.h"

#include <QDateTime>
#include <QTime>

using namespace Qt::StringLiterals;

namespace {

const QString kDateFormat = u"yyyy/MM/dd"_s;

// A pattern made of "%" alone would also match an empty value; the list never
// lists an empty value under a pattern, so such a pattern asks for at least one
// character.
QString boundPattern(const QString& pattern)
{
    for (const QChar c : pattern) {
        if (c != u'%') {
            return pattern;
        }
    }
    return u"_%"_s;
}

bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20;
}

} // namespace

QString SearchFilter::pattern(const QString& boxText)
{
    QString result = boxText;
    result.replace(u'*', u'%');
    result.replace(u'?', u'_');
    return result;
}

QString SearchFilter::bodyTerm(const QString& line)
{
    QString term = line;
    term.replace(u' ', u'%');
    term.replace(QChar(0x3000), u'%');
    return u'%' + term + u'%';
}

QStringList SearchFilter::memoLines(const QString& text)
{
    if (text.isEmpty()) {
        return {};
    }
    QString normal = text;
    normal.replace(u"\r\n"_s, u"\n"_s);
    normal.replace(u'\r', u'\n');
    if (normal.endsWith(u'\n')) {
        normal.chop(1);
    }
    return normal.split(u'\n');
}

bool SearchFilter::memoHasText(const QStringList& lines)
{
    for (const QString& line : lines) {
        for (const QChar c : line) {
            if (!isBlankOrControl(c)) {
                return true;
            }
        }
    }
    return false;
}

QString SearchFilter::expression(const Inputs& inputs)
{
    QString text = u"MESSAGE_DATE >= '"_s + inputs.from.toString(kDateFormat) + u"' AND MESSAGE_DATE <= '"_s
                   + inputs.to.toString(kDateFormat) + u"'"_s;
    if (!inputs.subject.isEmpty()) {
        text += u" AND MESSAGE_SUBJECT LIKE '"_s + pattern(inputs.subject) + u"'"_s;
    }
    if (!inputs.sender.isEmpty()) {
        text += u" AND SENDER_NAME LIKE '"_s + pattern(inputs.sender) + u"'"_s;
    }
    if (memoHasText(inputs.body)) {
        const QString join = inputs.joinIndex == 0 ? u" or "_s : u" and "_s;
        QString clause;
        for (const QString& line : inputs.body) {
            clause += (clause.isEmpty() ? u"(("_s : join + u'(') + u"MAILBODY LIKE '"_s + bodyTerm(line) + u"')"_s;
        }
        text += u" AND "_s + clause + u')';
    }
    return text;
}

SearchFilter::Where SearchFilter::where(const Inputs& inputs)
{
    Where result;
    // The range compares with the start of each day, so the "to" day itself lies
    // outside it from 00:00:01 on.
    result.fragment = u"MESSAGE_DATE >= ? AND MESSAGE_DATE <= ?"_s;
    result.values << QDateTime(inputs.from, QTime(0, 0)) << QDateTime(inputs.to, QTime(0, 0));
    if (!inputs.subject.isEmpty()) {
        result.fragment += u" AND MESSAGE_SUBJECT LIKE ?"_s;
        result.values << boundPattern(pattern(inputs.subject));
    }
    if (!inputs.sender.isEmpty()) {
        result.fragment += u" AND SENDER_NAME LIKE ?"_s;
        result.values << boundPattern(pattern(inputs.sender));
    }
    if (memoHasText(inputs.body)) {
        const QString join = inputs.joinIndex == 0 ? u" OR "_s : u" AND "_s;
        QStringList terms;
        for (const QString& line : inputs.body) {
            terms << u"MAILBODY LIKE ?"_s;
            result.values << boundPattern(bodyTerm(line));
        }
        result.fragment += u" AND (("_s + terms.join(u')' + join + u'(') + u"))"_s;
    }
    return result;
}
