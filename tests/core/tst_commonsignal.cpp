#include <QtTest>

#include <QSemaphore>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

#include "core/commonsignal.h"
#include "core/lazyinstance.h"
#include "core/metatypes.h"
#include "support/records.h"

namespace {

constexpr int kRacingThreads = 8;

// Starts kRacingThreads threads that wait on one gate and then all run the body at once.
template <typename Body>
void raceThreads(Body body)
{
    QSemaphore gate;
    std::vector<std::unique_ptr<QThread>> listThreads;
    for (int i = 0; i < kRacingThreads; ++i) {
        listThreads.emplace_back(QThread::create([&gate, body, i] {
            gate.acquire();
            body(i);
        }));
        listThreads.back()->start();
    }
    gate.release(kRacingThreads);
    for (const auto &pThread : listThreads)
        QVERIFY(pThread->wait(10000));
}

DevInfo_S filledDevInfo()
{
    DevInfo_S stDev;
    stDev.strIp = QStringLiteral("192.168.1.20");
    stDev.nPort = 8080;
    stDev.strIPAddr = QStringLiteral("192.168.1.21");
    stDev.strSubMask = QStringLiteral("255.255.255.0");
    stDev.strGateway = QStringLiteral("192.168.1.1");
    stDev.strMacAddr = QStringLiteral("00:11:22:33:44:55");
    stDev.nDhcp = 1;
    stDev.strDns1 = QStringLiteral("8.8.8.8");
    stDev.strDns2 = QString::fromUtf8("dns-二");
    stDev.strCamVersion = QStringLiteral("V2.1.3");
    stDev.strArmVersion = QStringLiteral("V0.0.0");
    stDev.strAFVersion = QStringLiteral("V255.255.255");
    return stDev;
}

struct Counted
{
    Counted() { ++s_nCreated; }
    static std::atomic<int> s_nCreated;
};
std::atomic<int> Counted::s_nCreated{0};

} // namespace

class TestCommonSignal : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    // Must be the first test: nothing in this process may have created the hub yet.
    void concurrentFirstCallsCreateOneHub();
    void hubIsSingleAndParentless();
    void lazyInstanceCreatesOnce();
    void signalOrder_data();
    void signalOrder();
    // The queued deliveries find the records' types by the names in the hub's signatures,
    // which only registerRecordMetaTypes gives them: the two tests fail without it (as long
    // as nothing before them registers the types by C++ type, e.g. with a connection made
    // Qt::QueuedConnection explicitly).
    void sdkReportQueuedIntact();
    void recordsQueuedIntact();
};

void TestCommonSignal::concurrentFirstCallsCreateOneHub()
{
    std::vector<CommonSignal *> listHubs(kRacingThreads, nullptr);
    raceThreads([&listHubs](int nIndex) { listHubs[size_t(nIndex)] = CommonSignal::getInstance(); });
    QVERIFY(listHubs.front());
    for (CommonSignal *pHub : listHubs)
        QCOMPARE(pHub, listHubs.front());
    QCOMPARE(CommonSignal::getInstance(), listHubs.front());
}

void TestCommonSignal::initTestCase()
{
    registerRecordMetaTypes();
}

void TestCommonSignal::hubIsSingleAndParentless()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    QVERIFY(pHub);
    QCOMPARE(pHub->parent(), nullptr);
    QCOMPARE(CommonSignal::getInstance(), pHub);
}

void TestCommonSignal::lazyInstanceCreatesOnce()
{
    LazyInstance<Counted> instance;
    Counted::s_nCreated = 0;
    std::vector<Counted *> listSeen(kRacingThreads, nullptr);
    raceThreads([&](int nIndex) {
        listSeen[size_t(nIndex)] = instance.get([] {
            QThread::msleep(20); // widen the window in which a second creator could slip in
            return new Counted;
        });
    });
    QCOMPARE(Counted::s_nCreated.load(), 1);
    for (Counted *pSeen : listSeen)
        QCOMPARE(pSeen, listSeen.front());

    instance.destroy();
    QVERIFY(instance.get([] { return new Counted; }));
    QCOMPARE(Counted::s_nCreated.load(), 2);
    instance.destroy();
}

void TestCommonSignal::signalOrder_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("signature");
    const QList<QByteArray> listSignatures = {
        "sigSearchNetwork(QString)",
        "sigSearchResult(QList<QuillbootSearch_S>)",
        "sigGetFwVersion(QString)",
        "sigUpdateFwVersion(QString,FwVersion_S)",
        "sigGetEnv(QString)",
        "sigUpdateEthInfo(QString,EthInfo_S)",
        "sigGetEnvFinished()",
        "sigSetEthInfo(QString,EthInfo_S)",
        "sigSetEthStatus(QString,int)",
        "sigShowTips(int)",
        "sigDevReboot(QString)",
        "sigSdkUpdateDevInfo(DevInfo_S)",
        "sigSdkGetInfoFinished()",
    };
    for (int i = 0; i < listSignatures.size(); ++i)
        QTest::newRow(listSignatures.at(i).constData()) << i << listSignatures.at(i);
}

void TestCommonSignal::signalOrder()
{
    QFETCH(int, index);
    QFETCH(QByteArray, signature);

    const QMetaObject &metaObject = CommonSignal::staticMetaObject;
    QCOMPARE(metaObject.methodCount() - metaObject.methodOffset(), 13);
    const QMetaMethod method = metaObject.method(metaObject.methodOffset() + index);
    QCOMPARE(method.methodType(), QMetaMethod::Signal);
    QCOMPARE(method.methodSignature(), signature);
}

void TestCommonSignal::sdkReportQueuedIntact()
{
    QObject receiver;
    QList<DevInfo_S> listReceived;
    QList<QThread *> listThreads;
    connect(CommonSignal::getInstance(), &CommonSignal::sigSdkUpdateDevInfo, &receiver,
            [&](DevInfo_S stDev) {
                listReceived.append(stDev);
                listThreads.append(QThread::currentThread());
            });

    std::unique_ptr<QThread> pWorker(QThread::create([] {
        DevInfo_S stDev = filledDevInfo();
        emit CommonSignal::getInstance()->sigSdkUpdateDevInfo(stDev);
        stDev.strIPAddr.clear(); // the queued copy must not share the sender's record
        stDev.nDhcp = 0;
    }));
    pWorker->start();
    QVERIFY(pWorker->wait(10000));
    QVERIFY(listReceived.isEmpty()); // queued: nothing runs until the GUI thread's loop does

    QTRY_COMPARE(listReceived.size(), 1);
    QCOMPARE(listThreads.first(), QThread::currentThread());
    QCOMPARE(devInfoFields(listReceived.first()), devInfoFields(filledDevInfo()));
}

void TestCommonSignal::recordsQueuedIntact()
{
    QObject receiver;
    CommonSignal *pHub = CommonSignal::getInstance();
    QList<QList<QuillbootSearch_S>> listResults;
    QStringList listEvents;
    connect(pHub, &CommonSignal::sigSearchResult, &receiver,
            [&](QList<QuillbootSearch_S> listSearch) { listResults.append(listSearch); });
    connect(pHub, &CommonSignal::sigUpdateEthInfo, &receiver,
            [&](QString strIp, EthInfo_S stEth) { listEvents << strIp << ethInfoFields(stEth); });
    connect(pHub, &CommonSignal::sigUpdateFwVersion, &receiver, [&](QString strIp, FwVersion_S stFw) {
        listEvents << strIp << stFw.strCamVersion << stFw.strArmVersion << stFw.strAFVersion;
    });

    QuillbootSearch_S stReply;
    stReply.dwPort = qToLittleEndian<qint32>(554);
    qstrcpy(stReply.szIp, "10.0.0.7");
    std::unique_ptr<QThread> pWorker(QThread::create([pHub, stReply] {
        emit pHub->sigSearchResult({});
        emit pHub->sigSearchResult({stReply, QuillbootSearch_S()});
        emit pHub->sigUpdateEthInfo(QStringLiteral("10.0.0.7"),
                                    {QStringLiteral("10.0.0.8"), QStringLiteral("255.0.0.0"), QStringLiteral("10.0.0.1"),
                                     QStringLiteral("AA"), 0, QStringLiteral("1.1.1.1"), QString()});
        emit pHub->sigUpdateFwVersion(QStringLiteral("10.0.0.7"),
                                      {QStringLiteral("V1.0.0"), QStringLiteral("V2.0.0"), QStringLiteral("V3.0.0")});
    }));
    pWorker->start();
    QVERIFY(pWorker->wait(10000));

    QTRY_COMPARE(listEvents.size(), 12);
    QCOMPARE(listEvents, QStringList({"10.0.0.7", "10.0.0.8", "255.0.0.0", "10.0.0.1", "AA", "0", "1.1.1.1", "",
                                      "10.0.0.7", "V1.0.0", "V2.0.0", "V3.0.0"}));
    QCOMPARE(listResults.size(), 2);
    QVERIFY(listResults.first().isEmpty());
    QCOMPARE(listResults.last().size(), 2);
    QCOMPARE(searchRecordToBytes(listResults.last().first()), searchRecordToBytes(stReply));
    QCOMPARE(searchRecordToBytes(listResults.last().last()), QByteArray(kSearchRecordSize, '\0'));
}

QTEST_GUILESS_MAIN(TestCommonSignal)
#include "tst_commonsignal.moc"
