#include <QtTest>

#include <QNetworkInterface>
#include <QThread>
#include <QUdpSocket>

#include <atomic>
#include <memory>

#include "core/commonsignal.h"
#include "core/quillbootsearch_s.h"
#include "core/searchlimits.h"
#include "net/modifymodel.h"
#include "support/fakesearchresponder.h"
#include "support/logcapture.h"
#include "support/searchport.h"

namespace {

const QString kLoopbackIp = QStringLiteral("127.0.0.1");
const QByteArray kMagicBytes = QByteArray::fromHex("87435612");
constexpr int kWindowMs = 2000;
constexpr int kResultDelayMs = 2000;
// Allowed lateness of a timer-driven event on a busy machine; never a lower bound.
constexpr int kSlackMs = 1500;
// Clock granularity between the two measurements.
constexpr int kEarlyMs = 20;
constexpr int kWaitMs = 8000;
// A flood well past the cap: plausible 76-byte replies, each with its own address.
constexpr int kFloodReplies = 10000;
constexpr int kFloodHostsPerSubnet = 250;
constexpr int kProbeIntervalMs = 1;
constexpr qint64 kNsPerMs = 1000000;
const QString kCapLog =
    QStringLiteral("search reply cap reached: %1 records; later replies dropped").arg(SEARCH_MAX_RECORDS);

QString floodAddress(int nIndex)
{
    return QStringLiteral("10.1.%1.%2").arg(nIndex / kFloodHostsPerSubnet).arg(nIndex % kFloodHostsPerSubnet + 1);
}

// Ticks as often as the event loop lets it; the longest gap between two ticks is the
// longest turn the loop took meanwhile.
class LoopTurnProbe : public QObject
{
public:
    explicit LoopTurnProbe(const QElapsedTimer *pClock)
        : m_pClock(pClock)
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kProbeIntervalMs);
        connect(&m_timer, &QTimer::timeout, this, [this] { m_listTickNs.append(m_pClock->nsecsElapsed()); });
        m_timer.start();
    }

    // The longest gap between two ticks in [nFromMs, nUntilMs], in milliseconds.
    double longestTurnMs(qint64 nFromMs, qint64 nUntilMs) const
    {
        qint64 nLongestNs = 0;
        for (int i = 1; i < m_listTickNs.size() && m_listTickNs.at(i) <= nUntilMs * kNsPerMs; ++i) {
            if (m_listTickNs.at(i - 1) >= nFromMs * kNsPerMs)
                nLongestNs = qMax(nLongestNs, m_listTickNs.at(i) - m_listTickNs.at(i - 1));
        }
        return double(nLongestNs) / kNsPerMs;
    }

private:
    const QElapsedTimer *m_pClock;
    QTimer m_timer;
    QList<qint64> m_listTickNs;
};

bool addressOwnedLocally(const QString &strIp)
{
    const QList<QHostAddress> listAddresses = QNetworkInterface::allAddresses();
    for (const QHostAddress &address : listAddresses) {
        if (address.toString() == strIp)
            return true;
    }
    return false;
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
    void floodCappedAndPublishedOnTime();

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
    SKIP_UNLESS_SEARCH_PORT_FREE();
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
    SKIP_UNLESS_SEARCH_PORT_FREE();
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
    SKIP_UNLESS_SEARCH_PORT_FREE();
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
    SKIP_UNLESS_SEARCH_PORT_FREE();
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
    SKIP_UNLESS_SEARCH_PORT_FREE();
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
    SKIP_UNLESS_SEARCH_PORT_FREE();
    if (!m_pResponder->start())
        QSKIP("cannot join 234.200.200.1 on the loopback interface");

    auto *pHolder = new QUdpSocket(this);
    if (bHoldPort && !pHolder->bind(QHostAddress::AnyIPv4, kSearchBindPort, QAbstractSocket::DontShareAddress))
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

// 10,000 replies from another thread, as fast as loopback takes them, during the window:
// SEARCH_MAX_RECORDS of them are kept, the rest read and dropped, the cap is logged once,
// and the list is still published once, 2000 ms after the first reply. The publication's
// delay and the longest turn of the event loop are printed, not asserted.
void TestModifyModel::floodCappedAndPublishedOnTime()
{
    SKIP_UNLESS_SEARCH_PORT_FREE();
    if (!m_pResponder->start())
        QSKIP("cannot join 234.200.200.1 on the loopback interface");
    QList<QByteArray> listFlood;
    QSet<QString> setSent;
    for (int i = 0; i < kFloodReplies; ++i) {
        listFlood.append(FakeSearchResponder::replyDatagram(floodAddress(i), 80));
        setSent.insert(floodAddress(i));
    }
    std::atomic<qint64> nFirstSentMs{-1};
    std::unique_ptr<QThread> pFlood(QThread::create([this, &listFlood, &nFirstSentMs] {
        QUdpSocket sender;
        nFirstSentMs = m_timer.elapsed();
        for (const QByteArray &baReply : qAsConst(listFlood))
            sender.writeDatagram(baReply, QHostAddress::LocalHost, kSearchBindPort);
    }));

    std::unique_ptr<LogCapture> pCapture(new LogCapture);
    m_timer.start();
    const LoopTurnProbe probe(&m_timer);
    m_pModel->slotSearchNetwork(kLoopbackIp);
    pFlood->start();
    // A real event loop, not a polling wait: the reading must share it with the timers.
    QSignalSpy publication(CommonSignal::getInstance(), &CommonSignal::sigSearchResult);
    QVERIFY(publication.wait(kWaitMs));
    QVERIFY(pFlood->wait(kWaitMs));
    QTest::qWait(kWindowMs);
    pCapture.reset();

    const qint64 nPublishedMs = m_listEventTimes.first();
    const qint64 nDelayMs = nPublishedMs - nFirstSentMs;
    qInfo("flood: list published %lld ms after the first reply (%d ms due)", nDelayMs, kResultDelayMs);
    qInfo("flood: longest event-loop turn while reading: %.1f ms", probe.longestTurnMs(nFirstSentMs, nPublishedMs));

    QCOMPARE(m_listEvents, QStringList{QStringLiteral("result:%1").arg(SEARCH_MAX_RECORDS)});
    QVERIFY2(nDelayMs >= kResultDelayMs - kEarlyMs, qPrintable(QString::number(nDelayMs)));
    QVERIFY2(nDelayMs <= kResultDelayMs + kSlackMs, qPrintable(QString::number(nDelayMs)));
    QSet<QString> setPublished;
    for (const QuillbootSearch_S &stRecord : lastResult())
        setPublished.insert(searchRecordAddress(stRecord));
    QCOMPARE(setPublished.size(), SEARCH_MAX_RECORDS);
    QVERIFY(setSent.contains(setPublished));
    QCOMPARE(LogCapture::messages().count(kCapLog), 1);
}

QTEST_GUILESS_MAIN(TestModifyModel)
#include "tst_modifymodel.moc"
