#include <QtTest>

#include <QUdpSocket>

#include "app/mainmodel.h"
#include "net/chttp.h"
#include "net/modifymodel.h"
#include "support/fakehttpcamera.h"
#include "support/hubrecorder.h"

namespace {

const QString kDeviceIp = QStringLiteral("10.0.0.7");
// Satisfies every parser, so the event shows which one ran.
const QByteArray kUniversalBody =
    R"({"nRetVal":4,"stValue":{"dwCamVersion":258,"stEth":[{"szIPAddr":"1.2.3.4","byValid":7}]}})";
constexpr int kWaitMs = 10000;

} // namespace

class TestMainModel : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void constructionRegistersRecordTypes();
    void ownsModelAndSocket();
    void onReplyForwardsKnownKinds_data();
    void onReplyForwardsKnownKinds();
    void receiverGoneBeforeReply();
};

void TestMainModel::cleanup()
{
    CHttp::destroyInstance();
}

// Queued hub deliveries look the records up by these names.
void TestMainModel::constructionRegistersRecordTypes()
{
    const QList<QByteArray> listNames = {"QList<QuillbootSearch_S>", "EthInfo_S", "FwVersion_S", "DevInfo_S"};
    for (const QByteArray &baName : listNames)
        QCOMPARE(QMetaType::type(baName.constData()), int(QMetaType::UnknownType));
    MainModel mainModel;
    for (const QByteArray &baName : listNames)
        QVERIFY2(QMetaType::type(baName.constData()) != QMetaType::UnknownType, baName.constData());
}

void TestMainModel::ownsModelAndSocket()
{
    auto *pMainModel = new MainModel;
    QPointer<ModifyModel> pModel = pMainModel->getModifyModel();
    QVERIFY(pModel);
    QCOMPARE(pModel->parent(), nullptr);
    QPointer<QUdpSocket> pSocket = pModel->findChild<QUdpSocket *>();
    QVERIFY(pSocket);
    QCOMPARE(pSocket->state(), QAbstractSocket::UnconnectedState);

    delete pMainModel;
    QVERIFY(pModel.isNull());
    QVERIFY(pSocket.isNull());
}

void TestMainModel::onReplyForwardsKnownKinds_data()
{
    QTest::addColumn<int>("nKind");
    QTest::addColumn<int>("nFlag");
    QTest::addColumn<QStringList>("listExpected");
    QTest::addColumn<QString>("strLog");

    QTest::newRow("settings") << 0 << 0 << QStringList{"eth:10.0.0.7:1.2.3.4:1"} << QString();
    QTest::newRow("save status") << 0 << 1 << QStringList{"status:10.0.0.7:4"} << QString();
    QTest::newRow("versions") << 1 << 0 << QStringList{"fw:10.0.0.7:V0.1.2:V0.0.0:V0.0.0"} << QString();
    QTest::newRow("reboot") << 2 << 1 << QStringList() << QStringLiteral("dealDevReboot[10.0.0.7]: 4");
    QTest::newRow("kind 3 dropped") << 3 << 1 << QStringList() << QString();
    QTest::newRow("kind 100 dropped") << 100 << 0 << QStringList() << QString();
    QTest::newRow("kind -1 dropped") << -1 << 0 << QStringList() << QString();
    QTest::newRow("lowest kind dropped") << std::numeric_limits<int>::min() << 1 << QStringList() << QString();
}

void TestMainModel::onReplyForwardsKnownKinds()
{
    QFETCH(int, nKind);
    QFETCH(int, nFlag);
    QFETCH(QStringList, listExpected);
    QFETCH(QString, strLog);
    MainModel mainModel;
    HubRecorder recorder;
    if (!strLog.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, qPrintable(strLog));

    mainModel.onReply(kUniversalBody, nKind, nFlag, kDeviceIp);
    QCOMPARE(recorder.m_listEvents, listExpected);
}

// A reply that finishes after its receiver has gone is dropped, not delivered to a
// dangling pointer; the batch still ends.
void TestMainModel::receiverGoneBeforeReply()
{
    FakeHttpCamera camera;
    QVERIFY(camera.listen(QHostAddress::LocalHost));
    camera.setReply(QStringLiteral("GetEnv"), kUniversalBody);
    camera.setReplyDelay(QStringLiteral("GetEnv"), 200);
    HubRecorder recorder;
    auto *pMainModel = new MainModel;
    CHttp::getInstance()->setReceiver(pMainModel);

    pMainModel->getModifyModel()->slotGetEnv(camera.hostPort());
    QTRY_COMPARE_WITH_TIMEOUT(camera.requests().size(), 1, kWaitMs);
    delete pMainModel;
    QTRY_COMPARE_WITH_TIMEOUT(recorder.m_listEvents, QStringList{QStringLiteral("finished")}, kWaitMs);
}

QTEST_GUILESS_MAIN(TestMainModel)
#include "tst_mainmodel.moc"
