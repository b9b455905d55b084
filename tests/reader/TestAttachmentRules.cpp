// The rules of attachment lists I and II.
#include <QTest>

#include "reader/AttachmentList.h"

using namespace Qt::StringLiterals;

class TestAttachmentRules final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void selectingListI_data();
    void selectingListI();
    void selectingListII_data();
    void selectingListII();
    void refusedForOpening_data();
    void refusedForOpening();
    void tnefItems_data();
    void tnefItems();
    void namesForFiles_data();
    void namesForFiles();
};

void TestAttachmentRules::selectingListI_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("openWith");
    QTest::addColumn<bool>("gpg");
    QTest::addColumn<bool>("doubleClickDecrypts");
    QTest::addRow("armored file in upper case") << u"report.ASC"_s << true << true << true;
    QTest::addRow("encrypted in the name") << u"encrypted.dat"_s << false << true << true;
    QTest::addRow("gpg file") << u"secret.gpg"_s << false << true << true;
    QTest::addRow("pgp file") << u"secret.PGP"_s << false << true << true;
    QTest::addRow("dat file") << u"data.dat"_s << false << false << false;
    QTest::addRow("pdf file") << u"invoice.pdf"_s << true << false << false;
    QTest::addRow("no extension") << u"README"_s << true << false << false;
}

void TestAttachmentRules::selectingListI()
{
    QFETCH(QString, caption);
    QFETCH(bool, openWith);
    QFETCH(bool, gpg);
    QFETCH(bool, doubleClickDecrypts);
    const AttachmentRules::SelectionI state = AttachmentRules::selectionOfListI(caption);
    QCOMPARE(state.openWith, openWith);
    QCOMPARE(state.gpg, gpg);
    QCOMPARE(AttachmentRules::doubleClickDecrypts(caption), doubleClickDecrypts);
}

void TestAttachmentRules::selectingListII_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("openWith");
    QTest::addRow("asc") << u"a.asc"_s << false;
    QTest::addRow("dat") << u"RtfCompressed.DAT"_s << false;
    QTest::addRow("gpg") << u"a.gpg"_s << false;
    QTest::addRow("pgp") << u"a.pgp"_s << false;
    QTest::addRow("text") << u"Body.txt"_s << true;
}

void TestAttachmentRules::selectingListII()
{
    QFETCH(QString, caption);
    QFETCH(bool, openWith);
    QCOMPARE(AttachmentRules::openWithOfListII(caption), openWith);
}

void TestAttachmentRules::refusedForOpening_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<bool>("listII");
    QTest::addColumn<bool>("refused");
    QTest::addRow("PGP/MIME version part") << u"PGP_MIME version identification.dat"_s << false << true;
    QTest::addRow("pgp in list I") << u"x.Pgp"_s << false << true;
    QTest::addRow("gpg in list II") << u"x.GPG"_s << true << true;
    QTest::addRow("asc in list I opens") << u"x.asc"_s << false << false;
    QTest::addRow("asc in list II") << u"x.asc"_s << true << true;
    QTest::addRow("pdf") << u"x.pdf"_s << true << false;
}

void TestAttachmentRules::refusedForOpening()
{
    QFETCH(QString, caption);
    QFETCH(bool, listII);
    QFETCH(bool, refused);
    QCOMPARE(AttachmentRules::openingRefused(caption, listII), refused);
}

void TestAttachmentRules::tnefItems_data()
{
    QTest::addColumn<QString>("contentType");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("tnef");
    const QByteArray signature("\x78\x9f\x3e\x22\x01\x00", 6);
    QTest::addRow("content type") << u"application/ms-tnef"_s << u"winmail.dat"_s << QByteArray("x") << true;
    QTest::addRow("dat file with the signature")
        << u"application/octet-stream"_s << u"WINMAIL.DAT"_s << signature << true;
    QTest::addRow("dat file without it") << u"application/octet-stream"_s << u"data.dat"_s << QByteArray("1234")
                                         << false;
    QTest::addRow("pdf with the signature") << u"application/pdf"_s << u"a.pdf"_s << signature << false;
    QTest::addRow("too short") << QString() << u"a.dat"_s << QByteArray("\x78\x9f") << false;
}

void TestAttachmentRules::tnefItems()
{
    QFETCH(QString, contentType);
    QFETCH(QString, caption);
    QFETCH(QByteArray, content);
    QFETCH(bool, tnef);
    QCOMPARE(AttachmentRules::isTnef(contentType, caption, content), tnef);
}

void TestAttachmentRules::namesForFiles_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("displayName");
    QTest::addColumn<QString>("plainName");
    QTest::addRow("slash in a derived name") << u"a/b.dat"_s << u"a_b.dat"_s << u"b.dat"_s;
    QTest::addRow("climbing out") << u"../../etc/passwd"_s << u".._.._etc_passwd"_s << u"passwd"_s;
    QTest::addRow("backslashes") << u"..\\..\\x.exe"_s << u"..\\..\\x.exe"_s << u"x.exe"_s;
    QTest::addRow("nothing usable") << u".."_s << u".."_s << u"attachment.dat"_s;
}

void TestAttachmentRules::namesForFiles()
{
    QFETCH(QString, caption);
    QFETCH(QString, displayName);
    QFETCH(QString, plainName);
    QCOMPARE(AttachmentRules::AttachmentDisplayName(caption), displayName);
    QCOMPARE(AttachmentRules::plainName(caption), plainName);
}

QTEST_GUILESS_MAIN(TestAttachmentRules)
#include "TestAttachmentRules.moc"
