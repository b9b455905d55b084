#include "reader/tnef/TnefPropertyConsts.h"

#include <algorithm>
#include <vector>

namespace {

struct PropertyIdEntry
{
    TTnefPropertyId id;
    const char* name;
};

// Sorted by name.
constexpr PropertyIdEntry kPropertyIds[] = {
    {piAccess, "piAccess"},
    {piAccessLevel, "piAccessLevel"},
    {piAccount, "piAccount"},
    {piAcknowledgementMode, "piAcknowledgementMode"},
    {piAddrtype, "piAddrtype"},
    {piAlternateRecipient, "piAlternateRecipient"},
    {piAlternateRecipientAllowed, "piAlternateRecipientAllowed"},
    {piAssistant, "piAssistant"},
    {piAssistantTelephoneNumber, "piAssistantTelephoneNumber"},
    {piAttachAdditionalInfo, "piAttachAdditionalInfo"},
    {piAttachContentBase, "piAttachContentBase"},
    {piAttachContentId, "piAttachContentId"},
    {piAttachContentLocation, "piAttachContentLocation"},
    {piAttachData, "piAttachData"},
    {piAttachDisposition, "piAttachDisposition"},
    {piAttachEncoding, "piAttachEncoding"},
    {piAttachExtension, "piAttachExtension"},
    {piAttachFilename, "piAttachFilename"},
    {piAttachFlags, "piAttachFlags"},
    {piAttachLongFilename, "piAttachLongFilename"},
    {piAttachLongPathname, "piAttachLongPathname"},
    {piAttachmentFlags, "piAttachmentFlags"},
    {piAttachmentHidden, "piAttachmentHidden"},
    {piAttachmentLinkid, "piAttachmentLinkid"},
    {piAttachmentX400Parameters, "piAttachmentX400Parameters"},
    {piAttachMethod, "piAttachMethod"},
    {piAttachMimeSequence, "piAttachMimeSequence"},
    {piAttachMimeTag, "piAttachMimeTag"},
    {piAttachNum, "piAttachNum"},
    {piAttachPathname, "piAttachPathname"},
    {piAttachPayloadClass, "piAttachPayloadClass"},
    {piAttachPayloadProvGuidStr, "piAttachPayloadProvGuidStr"},
    {piAttachRendering, "piAttachRendering"},
    {piAttachSize, "piAttachSize"},
    {piAttachTag, "piAttachTag"},
    {piAttachTransportName, "piAttachTransportName"},
    {piAuthorizingUsers, "piAuthorizingUsers"},
    {piAutoForwardComment, "piAutoForwardComment"},
    {piAutoForwarded, "piAutoForwarded"},
    {piBody, "piBody"},
    {piBodyCrc, "piBodyCrc"},
    {piBodyHtml, "piBodyHtml"},
    {piBusiness2TelephoneNumber, "piBusiness2TelephoneNumber"},
    {piBusinessFaxNumber, "piBusinessFaxNumber"},
    {piBusinessTelephoneNumber, "piBusinessTelephoneNumber"},
    {piCallbackTelephoneNumber, "piCallbackTelephoneNumber"},
    {piCarTelephoneNumber, "piCarTelephoneNumber"},
    {piChangeKey, "piChangeKey"},
    {piClientSubmitTime, "piClientSubmitTime"},
    {piComment, "piComment"},
    {piCompanyName, "piCompanyName"},
    {piContainerClass, "piContainerClass"},
    {piContentConfidentialityAlgorithmId, "piContentConfidentialityAlgorithmId"},
    {piContentCorrelator, "piContentCorrelator"},
    {piContentCount, "piContentCount"},
    {piContentIdentifier, "piContentIdentifier"},
    {piContentIntegrityCheck, "piContentIntegrityCheck"},
    {piContentLength, "piContentLength"},
    {piContentReturnRequested, "piContentReturnRequested"},
    {piContentUnread, "piContentUnread"},
    {piConversationIndex, "piConversationIndex"},
    {piConversationKey, "piConversationKey"},
    {piConversationTopic, "piConversationTopic"},
    {piConversionEits, "piConversionEits"},
    {piConversionProhibited, "piConversionProhibited"},
    {piConversionWithLossProhibited, "piConversionWithLossProhibited"},
    {piConvertedEits, "piConvertedEits"},
    {piCorrelate, "piCorrelate"},
    {piCorrelateMtsid, "piCorrelateMtsid"},
    {piCountry, "piCountry"},
    {piCreationTime, "piCreationTime"},
    {piCreationVersion, "piCreationVersion"},
    {piCreatorEntryId, "piCreatorEntryId"},
    {piCreatorName, "piCreatorName"},
    {piCurrentVersion, "piCurrentVersion"},
    {piDeferredDeliveryTime, "piDeferredDeliveryTime"},
    {piDelegation, "piDelegation"},
    {piDeleteAfterSubmit, "piDeleteAfterSubmit"},
    {piDeliverTime, "piDeliverTime"},
    {piDeliveryPoint, "piDeliveryPoint"},
    {piDepartmentName, "piDepartmentName"},
    {piDepth, "piDepth"},
    {piDiscardReason, "piDiscardReason"},
    {piDiscloseRecipients, "piDiscloseRecipients"},
    {piDisclosureOfRecipients, "piDisclosureOfRecipients"},
    {piDiscreteValues, "piDiscreteValues"},
    {piDiscVal, "piDiscVal"},
    {piDisplayBcc, "piDisplayBcc"},
    {piDisplayCc, "piDisplayCc"},
    {piDisplayName, "piDisplayName"},
    {piDisplayNamePrintable, "piDisplayNamePrintable"},
    {piDisplayTo, "piDisplayTo"},
    {piDisplayType, "piDisplayType"},
    {piDlExpansionHistory, "piDlExpansionHistory"},
    {piDlExpansionProhibited, "piDlExpansionProhibited"},
    {piEmailAddress, "piEmailAddress"},
    {piEndDate, "piEndDate"},
    {piEntryId, "piEntryId"},
    {piExceptionEndTime, "piExceptionEndTime"},
    {piExceptionStartTime, "piExceptionStartTime"},
    {piExpiryTime, "piExpiryTime"},
    {piExplicitConversion, "piExplicitConversion"},
    {piGeneration, "piGeneration"},
    {piGivenName, "piGivenName"},
    {piGovernmentIdNumber, "piGovernmentIdNumber"},
    {piHasattach, "piHasattach"},
    {piHome2TelephoneNumber, "piHome2TelephoneNumber"},
    {piHomeFaxNumber, "piHomeFaxNumber"},
    {piHomeTelephoneNumber, "piHomeTelephoneNumber"},
    {piHtml, "piHtml"},
    {piIcon, "piIcon"},
    {piImplicitConversionProhibited, "piImplicitConversionProhibited"},
    {piImportance, "piImportance"},
    {piIncompleteCopy, "piIncompleteCopy"},
    {piInitials, "piInitials"},
    {piInReplyToId, "piInReplyToId"},
    {piInstanceKey, "piInstanceKey"},
    {piInternetArticleNumber, "piInternetArticleNumber"},
    {piInternetCodepage, "piInternetCodepage"},
    {piInternetMessageId, "piInternetMessageId"},
    {piInternetReferences, "piInternetReferences"},
    {piIpmId, "piIpmId"},
    {piIpmReturnRequested, "piIpmReturnRequested"},
    {piIsdnNumber, "piIsdnNumber"},
    {piKeyword, "piKeyword"},
    {piLanguage, "piLanguage"},
    {piLanguages, "piLanguages"},
    {piLastModificationTime, "piLastModificationTime"},
    {piLastModifierEntryId, "piLastModifierEntryId"},
    {piLastModifierName, "piLastModifierName"},
    {piLatestDeliveryTime, "piLatestDeliveryTime"},
    {piListHelp, "piListHelp"},
    {piListSubscribe, "piListSubscribe"},
    {piListUnsubscribe, "piListUnsubscribe"},
    {piLocality, "piLocality"},
    {piLocation, "piLocation"},
    {piMailPermission, "piMailPermission"},
    {piMappingSignature, "piMappingSignature"},
    {piMessageAttachments, "piMessageAttachments"},
    {piMessageCcMe, "piMessageCcMe"},
    {piMessageClass, "piMessageClass"},
    {piMessageCodepage, "piMessageCodepage"},
    {piMessageDeliveryId, "piMessageDeliveryId"},
    {piMessageDeliveryTime, "piMessageDeliveryTime"},
    {piMessageDownloadTime, "piMessageDownloadTime"},
    {piMessageFlags, "piMessageFlags"},
    {piMessageLocaleId, "piMessageLocaleId"},
    {piMessageRecipients, "piMessageRecipients"},
    {piMessageRecipMe, "piMessageRecipMe"},
    {piMessageSecurityLabel, "piMessageSecurityLabel"},
    {piMessageSize, "piMessageSize"},
    {piMessageSubmissionId, "piMessageSubmissionId"},
    {piMessageToken, "piMessageToken"},
    {piMessageToMe, "piMessageToMe"},
    {piMhsCommonName, "piMhsCommonName"},
    {piMiniIcon, "piMiniIcon"},
    {piMobileTelephoneNumber, "piMobileTelephoneNumber"},
    {piModifyVersion, "piModifyVersion"},
    {piMsgStatus, "piMsgStatus"},
    {piNativeBody, "piNativeBody"},
    {piNdrDiagCode, "piNdrDiagCode"},
    {piNdrReasonCode, "piNdrReasonCode"},
    {piNonReceiptNotificationRequested, "piNonReceiptNotificationRequested"},
    {piNonReceiptReason, "piNonReceiptReason"},
    {piNormalizedSubject, "piNormalizedSubject"},
    {piObjectType, "piObjectType"},
    {piObsoletedIpms, "piObsoletedIpms"},
    {piOfficeLocation, "piOfficeLocation"},
    {piOrganizationalIdNumber, "piOrganizationalIdNumber"},
    {piOriginalAuthorAddrtype, "piOriginalAuthorAddrtype"},
    {piOriginalAuthorEmailAddress, "piOriginalAuthorEmailAddress"},
    {piOriginalAuthorEntryId, "piOriginalAuthorEntryId"},
    {piOriginalAuthorName, "piOriginalAuthorName"},
    {piOriginalAuthorSearchKey, "piOriginalAuthorSearchKey"},
    {piOriginalDeliveryTime, "piOriginalDeliveryTime"},
    {piOriginalDisplayBcc, "piOriginalDisplayBcc"},
    {piOriginalDisplayCc, "piOriginalDisplayCc"},
    {piOriginalDisplayName, "piOriginalDisplayName"},
    {piOriginalDisplayTo, "piOriginalDisplayTo"},
    {piOriginalEits, "piOriginalEits"},
    {piOriginalEntryId, "piOriginalEntryId"},
    {piOriginallyIntendedRecipAddrtype, "piOriginallyIntendedRecipAddrtype"},
    {piOriginallyIntendedRecipEmailAddress, "piOriginallyIntendedRecipEmailAddress"},
    {piOriginallyIntendedRecipEntryId, "piOriginallyIntendedRecipEntryId"},
    {piOriginallyIntendedRecipientName, "piOriginallyIntendedRecipientName"},
    {piOriginalSearchKey, "piOriginalSearchKey"},
    {piOriginalSenderAddrtype, "piOriginalSenderAddrtype"},
    {piOriginalSenderEmailAddress, "piOriginalSenderEmailAddress"},
    {piOriginalSenderEntryId, "piOriginalSenderEntryId"},
    {piOriginalSenderName, "piOriginalSenderName"},
    {piOriginalSenderSearchKey, "piOriginalSenderSearchKey"},
    {piOriginalSensitivity, "piOriginalSensitivity"},
    {piOriginalSentRepresentingAddrtype, "piOriginalSentRepresentingAddrtype"},
    {piOriginalSentRepresentingEmailAddress, "piOriginalSentRepresentingEmailAddress"},
    {piOriginalSentRepresentingEntryId, "piOriginalSentRepresentingEntryId"},
    {piOriginalSentRepresentingName, "piOriginalSentRepresentingName"},
    {piOriginalSentRepresentingSearchKey, "piOriginalSentRepresentingSearchKey"},
    {piOriginalSubject, "piOriginalSubject"},
    {piOriginalSubmitTime, "piOriginalSubmitTime"},
    {piOriginatingMtaCertificate, "piOriginatingMtaCertificate"},
    {piOriginatorAndDlExpansionHistory, "piOriginatorAndDlExpansionHistory"},
    {piOriginatorCertificate, "piOriginatorCertificate"},
    {piOriginatorDeliveryReportRequested, "piOriginatorDeliveryReportRequested"},
    {piOriginatorNonDeliveryReportRequested, "piOriginatorNonDeliveryReportRequested"},
    {piOriginatorRequestedAlternateRecipient, "piOriginatorRequestedAlternateRecipient"},
    {piOriginatorReturnAddress, "piOriginatorReturnAddress"},
    {piOriginCheck, "piOriginCheck"},
    {piOrigMessageClass, "piOrigMessageClass"},
    {piOtherTelephoneNumber, "piOtherTelephoneNumber"},
    {piOwnerApptId, "piOwnerApptId"},
    {piPagerTelephoneNumber, "piPagerTelephoneNumber"},
    {piParentDisplay, "piParentDisplay"},
    {piParentEntryId, "piParentEntryId"},
    {piParentKey, "piParentKey"},
    {piParentSourceKey, "piParentSourceKey"},
    {piPhysicalDeliveryBureauFaxDelivery, "piPhysicalDeliveryBureauFaxDelivery"},
    {piPhysicalDeliveryMode, "piPhysicalDeliveryMode"},
    {piPhysicalDeliveryReportRequest, "piPhysicalDeliveryReportRequest"},
    {piPhysicalForwardingAddress, "piPhysicalForwardingAddress"},
    {piPhysicalForwardingAddressRequested, "piPhysicalForwardingAddressRequested"},
    {piPhysicalForwardingProhibited, "piPhysicalForwardingProhibited"},
    {piPhysicalRenditionAttributes, "piPhysicalRenditionAttributes"},
    {piPostalAddress, "piPostalAddress"},
    {piPostalCode, "piPostalCode"},
    {piPostOfficeBox, "piPostOfficeBox"},
    {piPredecessorChangeList, "piPredecessorChangeList"},
    {piPreprocess, "piPreprocess"},
    {piPrimaryCapability, "piPrimaryCapability"},
    {piPrimaryFaxNumber, "piPrimaryFaxNumber"},
    {piPrimaryTelephoneNumber, "piPrimaryTelephoneNumber"},
    {piPriority, "piPriority"},
    {piProofOfDelivery, "piProofOfDelivery"},
    {piProofOfDeliveryRequested, "piProofOfDeliveryRequested"},
    {piProofOfSubmission, "piProofOfSubmission"},
    {piProofOfSubmissionRequested, "piProofOfSubmissionRequested"},
    {piProviderDisplay, "piProviderDisplay"},
    {piProviderDllName, "piProviderDllName"},
    {piProviderOrdinal, "piProviderOrdinal"},
    {piProviderSubmitTime, "piProviderSubmitTime"},
    {piProviderUid, "piProviderUid"},
    {piRadioTelephoneNumber, "piRadioTelephoneNumber"},
    {piRcvdRepresentingAddrtype, "piRcvdRepresentingAddrtype"},
    {piRcvdRepresentingEmailAddress, "piRcvdRepresentingEmailAddress"},
    {piRcvdRepresentingEntryId, "piRcvdRepresentingEntryId"},
    {piRcvdRepresentingName, "piRcvdRepresentingName"},
    {piRcvdRepresentingSearchKey, "piRcvdRepresentingSearchKey"},
    {piReadReceiptEntryId, "piReadReceiptEntryId"},
    {piReadReceiptRequested, "piReadReceiptRequested"},
    {piReadReceiptSearchKey, "piReadReceiptSearchKey"},
    {piReceiptTime, "piReceiptTime"},
    {piReceivedByAddrtype, "piReceivedByAddrtype"},
    {piReceivedByEmailAddress, "piReceivedByEmailAddress"},
    {piReceivedByEntryId, "piReceivedByEntryId"},
    {piReceivedByName, "piReceivedByName"},
    {piReceivedBySearchKey, "piReceivedBySearchKey"},
    {piRecipientCertificate, "piRecipientCertificate"},
    {piRecipientDisplayName, "piRecipientDisplayName"},
    {piRecipientEntryId, "piRecipientEntryId"},
    {piRecipientFlags, "piRecipientFlags"},
    {piRecipientNumberForAdvice, "piRecipientNumberForAdvice"},
    {piRecipientReassignmentProhibited, "piRecipientReassignmentProhibited"},
    {piRecipientStatus, "piRecipientStatus"},
    {piRecipientTrackStatus, "piRecipientTrackStatus"},
    {piRecipientType, "piRecipientType"},
    {piRecordKey, "piRecordKey"},
    {piRedirectionHistory, "piRedirectionHistory"},
    {piRegisteredMailType, "piRegisteredMailType"},
    {piRelatedIpms, "piRelatedIpms"},
    {piRenderingPosition, "piRenderingPosition"},
    {piReplyRecipientEntries, "piReplyRecipientEntries"},
    {piReplyRecipientNames, "piReplyRecipientNames"},
    {piReplyRequested, "piReplyRequested"},
    {piReplyTime, "piReplyTime"},
    {piReportEntryId, "piReportEntryId"},
    {piReportingDlName, "piReportingDlName"},
    {piReportingMtaCertificate, "piReportingMtaCertificate"},
    {piReportName, "piReportName"},
    {piReportSearchKey, "piReportSearchKey"},
    {piReportTag, "piReportTag"},
    {piReportText, "piReportText"},
    {piReportTime, "piReportTime"},
    {piRequestedDeliveryMethod, "piRequestedDeliveryMethod"},
    {piResourceFlags, "piResourceFlags"},
    {piResponseRequested, "piResponseRequested"},
    {piResponsibility, "piResponsibility"},
    {piReturnedIpm, "piReturnedIpm"},
    {piRowid, "piRowid"},
    {piRowType, "piRowType"},
    {piRtfCompressed, "piRtfCompressed"},
    {piRtfInSync, "piRtfInSync"},
    {piRtfSyncBodyCount, "piRtfSyncBodyCount"},
    {piRtfSyncBodyCrc, "piRtfSyncBodyCrc"},
    {piRtfSyncBodyTag, "piRtfSyncBodyTag"},
    {piRtfSyncPrefixCount, "piRtfSyncPrefixCount"},
    {piRtfSyncTrailingCount, "piRtfSyncTrailingCount"},
    {piSearchKey, "piSearchKey"},
    {piSecurity, "piSecurity"},
    {piSenderAddrtype, "piSenderAddrtype"},
    {piSenderEmailAddress, "piSenderEmailAddress"},
    {piSenderEntryId, "piSenderEntryId"},
    {piSenderName, "piSenderName"},
    {piSenderSearchKey, "piSenderSearchKey"},
    {piSenderSmtpAddress, "piSenderSmtpAddress"},
    {piSendRichInfo, "piSendRichInfo"},
    {piSensitivity, "piSensitivity"},
    {piSentmailEntryId, "piSentmailEntryId"},
    {piSentRepresentingAddrtype, "piSentRepresentingAddrtype"},
    {piSentRepresentingEmailAddress, "piSentRepresentingEmailAddress"},
    {piSentRepresentingEntryId, "piSentRepresentingEntryId"},
    {piSentRepresentingName, "piSentRepresentingName"},
    {piSentRepresentingSearchKey, "piSentRepresentingSearchKey"},
    {piSentRepresentingSmtpAddress, "piSentRepresentingSmtpAddress"},
    {piSmtpAddress, "piSmtpAddress"},
    {piSourceKey, "piSourceKey"},
    {piSpoolerStatus, "piSpoolerStatus"},
    {piStartDate, "piStartDate"},
    {piStateOrProvince, "piStateOrProvince"},
    {piStoreEntryId, "piStoreEntryId"},
    {piStoreRecordKey, "piStoreRecordKey"},
    {piStoreSupportMask, "piStoreSupportMask"},
    {piStreetAddress, "piStreetAddress"},
    {piSubfolders, "piSubfolders"},
    {piSubject, "piSubject"},
    {piSubjectIpm, "piSubjectIpm"},
    {piSubjectPrefix, "piSubjectPrefix"},
    {piSubmitFlags, "piSubmitFlags"},
    {piSupplementaryInfo, "piSupplementaryInfo"},
    {piSurname, "piSurname"},
    {piTelexNumber, "piTelexNumber"},
    {piTemplateid, "piTemplateid"},
    {piTitle, "piTitle"},
    {piTnefCorrelationKey, "piTnefCorrelationKey"},
    {piTransmitableDisplayName, "piTransmitableDisplayName"},
    {piTransportKey, "piTransportKey"},
    {piTransportMessageHeaders, "piTransportMessageHeaders"},
    {piTransportStatus, "piTransportStatus"},
    {piTypeOfMtsUser, "piTypeOfMtsUser"},
    {piUserCertificate, "piUserCertificate"},
    {piX400ContentType, "piX400ContentType"},
};

// The identifiers sorted by value, each once, for the lookup of raw ids.
const std::vector<quint16>& sortedIds()
{
    static const std::vector<quint16> ids = [] {
        std::vector<quint16> result;
        for (const PropertyIdEntry& entry : kPropertyIds) {
            result.push_back(entry.id);
        }
        std::sort(result.begin(), result.end());
        result.erase(std::unique(result.begin(), result.end()), result.end());
        return result;
    }();
    return ids;
}

} // namespace

TTnefPropertyType TnefPropertyTypeFromRaw(quint16 rawType)
{
    const quint16 base = rawType & ~quint16(ptMultiValued);
    switch (base) {
    case ptUnspecified:
    case ptNull:
    case ptI2:
    case ptLong:
    case ptR4:
    case ptDouble:
    case ptCurrency:
    case ptAppTime:
    case ptError:
    case ptBoolean:
    case ptObject:
    case ptI8:
    case ptString8:
    case ptUnicode:
    case ptSysTime:
    case ptClassId:
    case ptBinary:
        return TTnefPropertyType(base);
    default:
        return ptUnspecified;
    }
}

bool TnefPropertyTypeIsVariable(TTnefPropertyType type)
{
    return type == ptObject || type == ptString8 || type == ptUnicode || type == ptBinary;
}

int TnefPropertyTypeSize(TTnefPropertyType type)
{
    switch (type) {
    case ptI2:
    case ptLong:
    case ptR4:
    case ptError:
    case ptBoolean:
        return 4;
    case ptDouble:
    case ptCurrency:
    case ptAppTime:
    case ptI8:
    case ptSysTime:
        return 8;
    case ptClassId:
        return 16;
    default:
        return 0;
    }
}

TTnefPropertyId TnefPropertyIdFromRaw(quint16 rawId)
{
    const std::vector<quint16>& ids = sortedIds();
    if (std::binary_search(ids.begin(), ids.end(), rawId)) {
        return TTnefPropertyId(rawId);
    }
    return piNull;
}

QString TnefPropertyIdName(TTnefPropertyId id)
{
    for (const PropertyIdEntry& entry : kPropertyIds) {
        if (entry.id == id) {
            return QString::fromLatin1(entry.name);
        }
    }
    return QStringLiteral("piNull");
}
