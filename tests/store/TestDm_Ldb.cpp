#include <QTest>
class TestDm_Ldb final : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestDm_Ldb)
#include "TestDm_Ldb.moc"
