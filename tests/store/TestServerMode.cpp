#include <QTest>
class TestServerMode final : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestServerMode)
#include "TestServerMode.moc"
