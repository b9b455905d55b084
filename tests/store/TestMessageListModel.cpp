#include <QTest>
class TestMessageListModel final : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(TestMessageListModel)
#include "TestMessageListModel.moc"
