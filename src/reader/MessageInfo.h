#pragma once

#include <QString>

// The current message: the eight fields of the "書誌情報" tab, the plain body
// text, the body type and the files it came from. Readers fill the fields, the
// intake and the redisplay set the two paths, registration stores it all.
struct MessageInfo
{
    QString Message_ID;
    QString Message_Date; // "yyyy/MM/dd HH:mm:ss", or "yyyy/MM/dd" at midnight
    QString Account_Key;
    QString Sender_Name;
    QString Sender_Address;
    QString Recieve_Name;
    QString Recieve_Address;
    QString Message_Subject;

    QString MailBody; // plain text of the body pane
    int MDatType = 0; // 0 nothing read, 1 plain text, 2 HTML, 3 OpenPGP-encrypted

    QString MessageFile;     // file opened from disk; empty when the message came by drop
    QString awk_MessageFile; // work copy in mail_dat; empty when read in place

    // Empties what a reading fills; the two paths belong to the intake and stay.
    void clearFields()
    {
        Message_ID.clear();
        Message_Date.clear();
        Account_Key.clear();
        Sender_Name.clear();
        Sender_Address.clear();
        Recieve_Name.clear();
        Recieve_Address.clear();
        Message_Subject.clear();
        MailBody.clear();
        MDatType = 0;
    }
};
