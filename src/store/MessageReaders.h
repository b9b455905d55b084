#pragma once

#include <functional>

#include <QString>

// The two message readers and the rule that picks one: a file whose name ends
// in ".msg" (any letter case) goes to the Outlook reader (ReadOutlookMessage),
// every other file to the internet message reader (ReadInternetMessage).
// Until an Outlook reader is set, a .msg file shows nothing.
struct MessageReaders
{
    using Reader = std::function<void(const QString& path)>;

    enum class Kind
    {
        Internet, // ".eml"
        Outlook,  // ".msg"
        Other     // neither: not a message file to the intake
    };

    [[nodiscard]] static Kind kindOf(const QString& name)
    {
        if (name.endsWith(QStringLiteral(".eml"), Qt::CaseInsensitive)) {
            return Kind::Internet;
        }
        if (name.endsWith(QStringLiteral(".msg"), Qt::CaseInsensitive)) {
            return Kind::Outlook;
        }
        return Kind::Other;
    }

    // Reads path with the reader its extension asks for.
    void read(const QString& path) const
    {
        const Reader& reader = kindOf(path) == Kind::Outlook ? outlook : internet;
        if (reader) {
            reader(path);
        }
    }

    Reader internet;
    Reader outlook;
};
