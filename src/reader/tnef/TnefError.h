#pragma once

#include <exception>

#include <QByteArray>
#include <QString>

// The one exception the decoder raises; its message names what was wrong with the stream.
class ETnefError final : public std::exception
{
public:
    explicit ETnefError(const QString& message);
    [[nodiscard]] const QString& message() const { return m_message; }
    [[nodiscard]] const char* what() const noexcept override { return m_what.constData(); }

private:
    QString m_message;
    QByteArray m_what;
};
