#include "reader/tnef/TnefAttributeConsts.h"

#include <array>

namespace {

constexpr std::array kAttributeTags{
    agNull,
    agOwner,
    agSentFor,
    agDelegate,
    agOriginalMessageClass,
    agDateStart,
    agDateEnd,
    agAidOwner,
    agRequestResponse,
    agFrom,
    agSubject,
    agDateSent,
    agDateReceived,
    agMessageStatus,
    agMessageClass,
    agMessageId,
    agParentId,
    agConversationId,
    agBody,
    agPriority,
    agAttachData,
    agAttachTitle,
    agAttachMetaFile,
    agAttachCreateDate,
    agAttachModifyDate,
    agDateModified,
    agAttachTransportFilename,
    agAttachRenderData,
    agMapiProperties,
    agRecipientTable,
    agAttachment,
    agTnefVersion,
    agOemCodepage,
};

} // namespace

TTnefAttributeTag TnefAttributeTagFromId(quint32 id)
{
    for (const TTnefAttributeTag tag : kAttributeTags) {
        if (tag == id) {
            return tag;
        }
    }
    return agNull;
}
