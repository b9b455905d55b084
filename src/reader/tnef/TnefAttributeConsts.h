#pragma once

#include <QtGlobal>

// Attribute levels of a TNEF record.
enum TTnefAttributeLevel : quint8
{
    alMessage = 1,
    alAttachment = 2,
};

// Attribute tags, valued by the raw id as it is stored (type in the upper, number in the lower 16 bits).
enum TTnefAttributeTag : quint32
{
    agNull = 0x00000000,
    agOwner = 0x00060000,
    agSentFor = 0x00060001,
    agDelegate = 0x00060002,
    agOriginalMessageClass = 0x00070006,
    agDateStart = 0x00030006,
    agDateEnd = 0x00030007,
    agAidOwner = 0x00050008,
    agRequestResponse = 0x00040009,
    agFrom = 0x00008000,
    agSubject = 0x00018004,
    agDateSent = 0x00038005,
    agDateReceived = 0x00038006,
    agMessageStatus = 0x00068007,
    agMessageClass = 0x00078008,
    agMessageId = 0x00018009,
    agParentId = 0x0001800A,
    agConversationId = 0x0001800B,
    agBody = 0x0002800C,
    agPriority = 0x0004800D,
    agAttachData = 0x0006800F,
    agAttachTitle = 0x00018010,
    agAttachMetaFile = 0x00068011,
    agAttachCreateDate = 0x00038012,
    agAttachModifyDate = 0x00038013,
    agDateModified = 0x00038020,
    agAttachTransportFilename = 0x00069001,
    agAttachRenderData = 0x00069002,
    agMapiProperties = 0x00069003,
    agRecipientTable = 0x00069004,
    agAttachment = 0x00069005,
    agTnefVersion = 0x00089006,
    agOemCodepage = 0x00069007,
};

// Attribute types, the upper 16 bits of an attribute id.
enum TTnefAttributeType : quint16
{
    atTriples = 0,
    atString = 1,
    atText = 2,
    atDate = 3,
    atShort = 4,
    atLong = 5,
    atByte = 6,
    atWord = 7,
    atDWord = 8,
    atMax = 9,
};

// The tag of a raw attribute id; an id that is not in the table gives agNull.
[[nodiscard]] TTnefAttributeTag TnefAttributeTagFromId(quint32 id);
