#include "reader/tnef/TnefError.h"

ETnefError::ETnefError(const QString& message)
    : m_message(message)
    , m_what(message.toUtf8())
{
}
