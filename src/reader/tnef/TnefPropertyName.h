#pragma once

#include <QByteArray>
#include <QString>

// How a named property is named: by number or by string.
enum TTnefNameIdKind
{
    ikId = 0,
    ikName = 1,
};

// The name of a named property: its property set GUID and a number or a string.
class TTnefPropertyName final
{
public:
    TTnefPropertyName(TTnefNameIdKind AKind, const QString& AName, const QByteArray& AGuid, quint32 AId);

    [[nodiscard]] TTnefNameIdKind Kind() const { return FKind; }
    [[nodiscard]] const QString& Name() const { return FName; }
    [[nodiscard]] const QByteArray& Guid() const { return FGuid; }
    [[nodiscard]] quint32 Id() const { return FId; }

private:
    TTnefNameIdKind FKind;
    QString FName;
    QByteArray FGuid;
    quint32 FId;
};
