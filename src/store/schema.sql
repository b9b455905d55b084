-- The message archive: one index row and one data row per stored message,
-- joined by MAIL_VIEW for the message list. The database itself is created with
-- 16 KiB pages and UTF8 as its default character set (see ArchiveCreator), so
-- that characters outside the basic plane store and the wide key fits an index.

CREATE TABLE Message_IdxTbl (
    Message_ID       VARCHAR(256) CHARACTER SET UTF8 NOT NULL,
    Message_Date     TIMESTAMP NOT NULL,
    Account_Key      VARCHAR(256) CHARACTER SET UTF8,
    Sender_Name      VARCHAR(64) CHARACTER SET UTF8,
    Sender_Address   VARCHAR(256) CHARACTER SET UTF8,
    Recieve_Name     VARCHAR(64) CHARACTER SET UTF8,
    Recieve_Address  VARCHAR(256) CHARACTER SET UTF8,
    Message_Subject  VARCHAR(256) CHARACTER SET UTF8,
    Message_dtype    CHAR(1) CHARACTER SET UTF8,
    Message_ftype    CHAR(1) CHARACTER SET UTF8,
    MailBody         BLOB SUB_TYPE TEXT CHARACTER SET UTF8,
    CONSTRAINT PK_Message_IdxTbl PRIMARY KEY (Message_ID, Message_Date)
);

CREATE TABLE Message_DatTBL (
    Message_ID       VARCHAR(256) CHARACTER SET UTF8 NOT NULL,
    Message_Date     TIMESTAMP NOT NULL,
    Message_FileName VARCHAR(256) CHARACTER SET UTF8,
    Message_FileExt  VARCHAR(16) CHARACTER SET UTF8,
    MailDat          BLOB SUB_TYPE BINARY,
    CONSTRAINT PK_Message_DatTBL PRIMARY KEY (Message_ID, Message_Date)
);

-- Newest first is the list's normal order; the identifier makes the order total,
-- so that page-by-page reading never skips or repeats a row.
CREATE DESCENDING INDEX IDX_Message_Date_Desc ON Message_IdxTbl (Message_Date, Message_ID);
-- The same order the other way round, for a list sorted oldest first.
CREATE ASCENDING INDEX IDX_Message_Date_Asc ON Message_IdxTbl (Message_Date, Message_ID);

-- A title click sorts without regard to letter case; these let the engine read
-- the most used of those orders straight from an index instead of sorting.
CREATE ASCENDING INDEX IDX_Subject_Asc ON Message_IdxTbl COMPUTED BY (UPPER(Message_Subject));
CREATE DESCENDING INDEX IDX_Subject_Desc ON Message_IdxTbl COMPUTED BY (UPPER(Message_Subject));
CREATE ASCENDING INDEX IDX_Sender_Name_Asc ON Message_IdxTbl COMPUTED BY (UPPER(Sender_Name));
CREATE DESCENDING INDEX IDX_Sender_Name_Desc ON Message_IdxTbl COMPUTED BY (UPPER(Sender_Name));
CREATE ASCENDING INDEX IDX_Sender_Address_Asc ON Message_IdxTbl COMPUTED BY (UPPER(Sender_Address));
CREATE DESCENDING INDEX IDX_Sender_Address_Desc ON Message_IdxTbl COMPUTED BY (UPPER(Sender_Address));

-- An outer join, so that an index row whose data row is missing still lists.
CREATE VIEW MAIL_VIEW (
    MESSAGE_ID, MESSAGE_DATE, ACCOUNT_KEY, SENDER_NAME, SENDER_ADDRESS,
    RECIEVE_NAME, RECIEVE_ADDRESS, MESSAGE_SUBJECT, MESSAGE_FILENAME, MAILBODY
) AS
SELECT i.Message_ID, i.Message_Date, i.Account_Key, i.Sender_Name, i.Sender_Address,
       i.Recieve_Name, i.Recieve_Address, i.Message_Subject, d.Message_FileName, i.MailBody
FROM Message_IdxTbl i
LEFT OUTER JOIN Message_DatTBL d
    ON d.Message_ID = i.Message_ID AND d.Message_Date = i.Message_Date;
