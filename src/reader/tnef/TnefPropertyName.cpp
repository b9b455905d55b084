#include "reader/tnef/TnefPropertyName.h"

TTnefPropertyName::TTnefPropertyName(TTnefNameIdKind AKind, const QString& AName, const QByteArray& AGuid, quint32 AId)
    : FKind(AKind)
    , FName(AName)
    , FGuid(AGuid)
    , FId(AId)
{
}
