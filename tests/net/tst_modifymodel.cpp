#include <QtTest>

#include <QNetworkInterface>
#include <QUdpSocket>

#include "core/commonsignal.h"
#include "core/quillbootsearch_s.h"
#include "net/modifymodel.h"
#include "support/fakesearchresponder.h"

namespace {

const QString kLoopbackIp = QStringLiteral("127.0.0.1");
const QByteArray kMagicBytes = QByteArray::fromHex("87435612");
constexpr quint16 kBindPort = 54361;
constexpr int kWindowMs = 2000;
constexpr int kResultDelayMs = 2000;
// Allowed lateness of a timer-driven event on a busy machine; never a lower bound.
constexpr int kSlackMs = 1500;
// Clock granularity between the two measurements.
constexpr int kEarlyMs = 20;
constexpr int kWaitMs = 8000;

bool addressOwnedLocally(const QString &strIp)
{
    const QList<QHostAddress> listAddresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : listAddresses) {
        if (address.toString() == strIp)
            return true;
    }
    return false;
}

// Another program (or a test of another build) searching at the same time would share
// the group with us; such a run skips instead of failing.
bool searchPortFree()
{
    QUdpSocket probe;
    return probe.bind(QHostAddress::AnyIPv4, kBindPort, QAbstractSocket::DontShareAddress);
}

} // namespace

class TestModifyModel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requestIsExact76Bytes();
    void repliesPublishedTogetherAfterFirst();
    void repliesTruncatedOrZeroFilled();
    void nothingReceivedPublishesEmptyAtWindowEnd();
    void secondSearchWithinWindowDropped();
    void failedStartPublishesAtOnce_data();
    void failedStartPublishesAtOnce();

private:
    void recordHubEvents();
    QList<QuillbootSearch_S> lastResult() const;
    QUdpSocket *modelSocket() const;

    ModifyModel *m_pModel = nullptr;
    FakeSearchResponder *m_pResponder = nullptr;
    QStringList m_listEvents;
    QList<QList<QuillbootSearch_S>> m_listResults;
    QElapsedTimer m_timer;
    QList<qint64> m_listEventTimes;
};

void TestModifyModel::init()
{
    m_pModel = new ModifyModel;
    m_pResponder = new FakeSearchResponder;
    m_listEvents.clear();
    m_listResults.clear();
    m_listEventTimes.clear();
    m_timer.start();
    recordHubEvents();
}

void TestModifyModel::cleanup()
{
    CommonSignal::getInstance()->disconnect(this);
    delete m_pModel;
    m_pModel = nullptr;
    delete m_pResponder;
    m_pResponder = nullptr;
}

// Keeps the order and the time of every search publication on the hub.
void TestModifyModel::recordHubEvents()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    connect(pHub, &CommonSignal::sigSearchResult, this, [this](QList<QuillbootSearch_S> listResult) {
        m_listEvents.append(QStringLiteral("result:%1").arg(listResult.size()));
        m_listResults.append(listResult);
        m_listEventTimes.append(m_timer.elapsed());
    });
    connect(pHub, &CommonSignal::sigGetEnvFinished, this, [this] {
        m_listEvents.append(QStringLiteral("finished"));
        m_listEventTimes.append(m_timer.elapsed());
    });
}

QList<QuillbootSearch_S> TestModifyModel::lastResult() const
{
    return m_listResults.value(m_listResults.size() - 1);
}

QUdpSocket *TestModifyModel::modelSocket() const
{
    return m_pModel->findChild<QUdpSocket *>();
}

void TestModifyModel::requestIsExact76Bytes()
{
    if (!searchPortFree())
        QSKIP("port 54361 is in use by another program");
    if (!m_pResponder->start())
        QSKIP("cannot join 234.200.200.1 on the loopback interface");
    QSet<QByteArray> setRequestIds;
    for (int nSearch = 0; nSearch < 2; ++nSearch) {
        m_pModel->slotSearchNetwork(kLoopbackIp);
        QTRY_COMPARE_WITH_TIMEOUT(m_pResponder->requests().size(), nSearch + 1, kWaitMs);
        const QByteArray baRequest = m_pResponder->requests().last();
        QCOMPARE(baRequest.size(), kSearchRecordSize);
        QCOMPARE(baRequest.left(4), kMagicBytes);
        QCOMPARE(baRequest.mid(8), QByteArray(kSearchRecordSize - 8, '\0'));
        setRequestIds.insert(baRequest.mid(4, 4));
        QTRY_COMPARE_WITH_TIMEOUT(m_listEvents.size(), 2 * (nSearch + 1), kWaitMs);
    }
    QCOMPARE(setRequestIds.size(), 2);
}

void TestModifyModel::repliesPublishedTogetherAfterFirst()
{
    if (!searchPortFree())
        QSKIP("port 54361 is in use by another program");
    if (!m_pResponder->start())
        QSKIP("cannot join 234.200.200.1 on the loopback interface");
    const QList<int> listDelays = {100, 900, 1800};
    for (int i = 0; i < listDelays.size(); ++i)
        m_pResponder->addReply(FakeSearchResponder::replyDatagram(QStringLiteral("10.0.0.%1").arg(i + 1), 8000 + i),
                               listDelays.at(i));

    m_timer.start();
    m_pModel->slotSearchNetwork(kLoopbackIp);
    QTRY_COMPARE_WITH_TIMEOUT(m_listEvents.size(), 1, kWaitMs);
    QCOMPARE(m_listEvents, QStringList{QStringLiteral("result:3")});
    QVERIFY2(m_listEventTimes.first() >= listDelays.first() + kResultDelayMs - kEarlyMs,
             qPrintable(QString::number(m_listEventTimes.first())));
    QVERIFY2(m_listEventTimes.first() <= listDelays.first() + kResultDelayMs + kSlackMs,
             qPrintable(QString::number(m_listEventTimes.first())));

    const QList<QuillbootSearch_S> listResult = lastResult();
    for (int i = 0; i < listDelays.size(); ++i) {
        QCOMPARE(searchRecordAddress(listResult.at(i)), QStringLiteral("10.0.0.%1").arg(i + 1));
        QCOMPARE(searchRecordPort(listResult.at(i)), 8000 + i);
    }
    QCOMPARE(modelSocket()->state(), QAbstractSocket::UnconnectedState);

    // Published once: neither the window's end nor anything later adds a publication.
    QTest::qWait(500);
    QCOMPARE(m_listEvents, QStringList{QStringLiteral("result:3")});
}

void TestModifyModel::repliesTruncatedOrZeroFilled()
{
    if (!searchPortFree())
        QSKIP("port 54361 is in use by another program");
    if (!m_pResponder->start())
        QSKIP("cannot join 234.200.200.1 on the loopback interface");
    QByteArray baLong(100, '\0');
    for (int i = 0; i < baLong.size(); ++i)
        baLong[i] = char(i + 1);
    const QByteArray baShort = baLong.left(10);
    const QByteArray baExact = FakeSearchResponder::replyDatagram(QStringLiteral("192.168.1.64"), 80);
    m_pResponder->addReply(baShort, 100);
    m_pResponder->addReply(baLong, 300);
    m_pResponder->addReply(baExact, 500);
    m_pResponder->addReply(QByteArray(), 700);

    m_pModel->slotSearchNetwork(kLoopbackIp);
    QTRY_COMPARE_WITH_TIMEOUT(m_listEvents.size(), 1, kWaitMs);
    const QList<QuillbootSearch_S> listResult = lastResult();
    QCOMPARE(listResult.size(), 4);
    QCOMPARE(searchRecordToBytes(listResult.at(0)), baShort + QByteArray(kSearchRecordSize - 10, '\0'));
    QCOMPARE(searchRecordToBytes(listResult.at(1)), baLong.left(kSearchRecordSize));
    QCOMPARE(searchRecordToBytes(listResult.at(2)), baExact);
    QCOMPARE(searchRecordAddress(listResult.at(2)), QStringLiteral("192.168.1.64"));
    QCOMPARE(searchRecordPort(listResult.at(2)), 80);
    QCOMPARE(searchRecordToBytes(listResult.at(3)), QByteArray(kSearchRecordSize, '\0'));
}

void TestModifyModel::nothingReceivedPublishesEmptyAtWindowEnd()
{
    if (!searchPortFree())
        QSKIP("port 54361 is in use by another program");
    if (!m_pResponder->start())
        QSKIP("cannot join 234.200.200.1 on the loopback interface");
    // Arrives after the window has closed, so it must not be read.
    m_pResponder->addReply(FakeSearchResponder::replyDatagram(QStringLiteral("10.0.0.9"), 80), kWindowMs + 600);

    m_timer.start();
    m_pModel->slotSearchNetwork(kLoopbackIp);
    QTRY_COMPARE_WITH_TIMEOUT(m_listEvents.size(), 2, kWaitMs);
    QCOMPARE(m_listEvents, (QStringList{QStringLiteral("result:0"), QStringLiteral("finished")}));
    QVERIFY2(m_listEventTimes.first() >= kWindowMs - kEarlyMs, qPrintable(QString::number(m_listEventTimes.first())));
    QVERIFY2(m_listEventTimes.first() <= kWindowMs + kSlackMs, qPrintable(QString::number(m_listEventTimes.first())));
    QCOMPARE(modelSocket()->state(), QAbstractSocket::UnconnectedState);

    QTest::qWait(kWindowMs + 600 + 300 - int(m_timer.elapsed()));
    QCOMPARE(m_listEvents.size(), 2);
}

void TestModifyModel::secondSearchWithinWindowDropped()
{
    if (!searchPortFree())
        QSKIP("port 54361 is in use by another program");
    if (!m_pResponder->start())
        QSKIP("cannot join 234.200.200.1 on the loopback interface");
    m_pModel->slotSearchNetwork(kLoopbackIp);
    QTRY_COMPARE_WITH_TIMEOUT(m_pResponder->requests().size(), 1, kWaitMs);
    m_pModel->slotSearchNetwork(kLoopbackIp);
    QVERIFY(m_listEvents.isEmpty());

    QTRY_COMPARE_WITH_TIMEOUT(m_listEvents.size(), 2, kWaitMs);
    QCOMPARE(m_listEvents, (QStringList{QStringLiteral("result:0"), QStringLiteral("finished")}));
    QCOMPARE(m_pResponder->requests().size(), 1);
}

void TestModifyModel::failedStartPublishesAtOnce_data()
{
    QTest::addColumn<QString>("strIp");
    QTest::addColumn<bool>("bHoldPort");
    QTest::addColumn<QString>("strLog");

    QTest::newRow("empty address") << QString() << false << QString();
    QTest::newRow("no interface owns the address") << QStringLiteral("10.255.255.1") << false
                                                   << QStringLiteral("iface is error");
    QTest::newRow("address not in toString form") << QStringLiteral("127.000.000.001") << false
                                                  << QStringLiteral("iface is error");
    QTest::newRow("bind port held") << kLoopbackIp << true
                                    << QStringLiteral("create multicast bind port: 54361  failed");
}

void TestModifyModel::failedStartPublishesAtOnce()
{
    QFETCH(QString, strIp);
    QFETCH(bool, bHoldPort);
    QFETCH(QString, strLog);
    if (addressOwnedLocally(strIp) && !bHoldPort)
        QSKIP("a local interface owns the address meant to be foreign");
    if (!searchPortFree())
        QSKIP("port 54361 is in use by another program");
    if (!m_pResponder->start())
        QSKIP("cannot join 234.200.200.1 on the loopback interface");

    auto *pHolder = new QUdpSocket(this);
    if (bHoldPort && !pHolder->bind(QHostAddress::AnyIPv4, kBindPort, QAbstractSocket::DontShareAddress))
        QSKIP("port 54361 is taken by another program");
    if (!strLog.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, qPrintable(strLog));

    m_pModel->slotSearchNetwork(strIp);
    QCOMPARE(m_listEvents, (QStringList{QStringLiteral("result:0"), QStringLiteral("finished")}));
    QCOMPARE(modelSocket()->state(), QAbstractSocket::UnconnectedState);
    delete pHolder;

    // The next search starts clean: nothing stale is published first, and it runs normally.
    m_pModel->slotSearchNetwork(kLoopbackIp);
    QCOMPARE(m_listEvents.size(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_pResponder->requests().size(), 1, kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(m_listEvents.size(), 4, kWaitMs);
    QCOMPARE(m_listEvents.mid(2), (QStringList{QStringLiteral("result:0"), QStringLiteral("finished")}));
}

QTEST_GUILESS_MAIN(TestModifyModel)
#include "tst_modifymodel.moc"
