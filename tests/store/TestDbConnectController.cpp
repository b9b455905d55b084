#include <QTest>
class TestDbConnectController final : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestDbConnectController)
#include "TestDbConnectController.moc"
