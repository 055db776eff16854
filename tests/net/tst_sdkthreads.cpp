#include <QtTest>

#include <QThread>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "core/commonsignal.h"
#include "core/metatypes.h"
#include "net/commontool.h"
#include "net/devicesdk.h"
#include "support/logcapture.h"

// The SDK calls the search callback from plain threads of its own, several at once. These
// threads are std::threads here (not QThreads), joined before the search returns, so that a
// ThreadSanitizer build sees every hand-over the callback makes.

namespace {

constexpr int kSdkThreads = 4;
constexpr int kReportsPerThread = 8;
constexpr int kReports = kSdkThreads * kReportsPerThread;
constexpr int kAreaSize = 28;
constexpr int kCamOffset = 4;
constexpr int kWaitMs = 10000;
constexpr int kQueriesPerThread = 200;
constexpr int kFirstAnswer = 1;
constexpr int kSecondAnswer = 2;
// The shut-down test's version query takes a while, as one over the network does, so the
// shut-down finds callbacks in the middle of one. A pause between reports keeps the SDK
// threads from spinning once callbacks return at once, and a bound on the reports (ten
// seconds' worth at the least) ends them in any case.
constexpr int kSlowQueryUs = 1000;
constexpr int kReportPauseUs = 100;
constexpr int kMaxReportsPerThread = 100000;
constexpr int kReportsBeforeShutDown = 100;
constexpr int kQuietMs = 200;

std::atomic<bool> s_bStopReporting{false};
std::atomic<bool> s_bSearchReturned{false};
std::atomic<int> s_nCallbacks{0};

QByteArray report(int nThread, int nReport)
{
    return QStringLiteral(R"({"SapSearch":{"stNetInfo":{"szIP":"10.%1.%2.1","wDataPort":80}}})")
        .arg(nThread)
        .arg(nReport)
        .toUtf8();
}

int searchFromOwnThreads(int, int, DeviceSdk::SearchCallback pCallback, int)
{
    std::vector<std::thread> listThreads;
    for (int nThread = 0; nThread < kSdkThreads; ++nThread) {
        listThreads.emplace_back([pCallback, nThread] {
            for (int nReport = 0; nReport < kReportsPerThread; ++nReport)
                pCallback(nThread, report(nThread, nReport).constData());
        });
    }
    for (std::thread &thread : listThreads)
        thread.join();
    return kReports;
}

// Calls back from every SDK thread until s_bStopReporting, counting the calls.
int searchUntilStopped(int, int, DeviceSdk::SearchCallback pCallback, int)
{
    std::vector<std::thread> listThreads;
    for (int nThread = 0; nThread < kSdkThreads; ++nThread) {
        listThreads.emplace_back([pCallback, nThread] {
            const QByteArray baReport = report(nThread, 0);
            for (int n = 0; n < kMaxReportsPerThread && !s_bStopReporting.load(); ++n) {
                pCallback(nThread, baReport.constData());
                ++s_nCallbacks;
                std::this_thread::sleep_for(std::chrono::microseconds(kReportPauseUs));
            }
        });
    }
    for (std::thread &thread : listThreads)
        thread.join();
    s_bSearchReturned = true;
    return 0;
}

// Answers with the camera version V0.<second part>.<third part> of the address, so that
// each record shows which query filled it.
int queryByAddress(const char *szIp, int, const char *, const char *, int, const char *, int nSize, void *pResult)
{
    const QStringList listParts = QString::fromUtf8(szIp).split(QLatin1Char('.'));
    const quint32 nWord = (listParts.at(1).toUInt() << 8) | listParts.at(2).toUInt();
    std::memset(pResult, 0, size_t(nSize));
    std::memcpy(static_cast<char *>(pResult) + kCamOffset, &nWord, sizeof(nWord));
    return 0;
}

int slowQuery(const char *szIp, int nPort, const char *szUser, const char *szPassword, int nReserved,
              const char *szQuery, int nSize, void *pResult)
{
    std::this_thread::sleep_for(std::chrono::microseconds(kSlowQueryUs));
    return queryByAddress(szIp, nPort, szUser, szPassword, nReserved, szQuery, nSize, pResult);
}

int answerFirst(const char *, int, const char *, const char *, int, const char *, int, void *)
{
    return kFirstAnswer;
}

int answerSecond(const char *, int, const char *, const char *, int, const char *, int, void *)
{
    return kSecondAnswer;
}

} // namespace

class TestSdkThreads : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void reportsFromSdkThreadsArriveIntact();
    void queryFunctionSwappedWhileQuerying();
    // Runs last: it leaves the SDK search shut down.
    void shutDownWhileSdkThreadsReport();
};

void TestSdkThreads::initTestCase()
{
    registerRecordMetaTypes();
    CommonSignal::getInstance();
    CommonTool::getInstance();
}

void TestSdkThreads::cleanup()
{
    DeviceSdk::reset();
}

void TestSdkThreads::reportsFromSdkThreadsArriveIntact()
{
    DeviceSdk::setSearchFunction(&searchFromOwnThreads);
    DeviceSdk::setQueryFunction(&queryByAddress);
    QObject receiver;
    QStringList listReceived;
    bool bAllOnGuiThread = true;
    int nReportsBeforeFinished = -1;
    connect(CommonSignal::getInstance(), &CommonSignal::sigSdkUpdateDevInfo, &receiver, [&](DevInfo_S stDev) {
        bAllOnGuiThread = bAllOnGuiThread && QThread::currentThread() == qApp->thread();
        listReceived.append(stDev.strIPAddr + QLatin1Char(' ') + stDev.strCamVersion);
    });
    connect(CommonSignal::getInstance(), &CommonSignal::sigSdkGetInfoFinished, &receiver,
            [&] { nReportsBeforeFinished = listReceived.size(); });

    CommonTool::getInstance()->getDevInfo();

    QTRY_VERIFY_WITH_TIMEOUT(nReportsBeforeFinished >= 0, kWaitMs);
    QCOMPARE(nReportsBeforeFinished, kReports);
    QVERIFY(bAllOnGuiThread);
    QStringList listExpected;
    for (int nThread = 0; nThread < kSdkThreads; ++nThread) {
        for (int nReport = 0; nReport < kReportsPerThread; ++nReport)
            listExpected.append(QStringLiteral("10.%1.%2.1 V0.%1.%2").arg(nThread).arg(nReport));
    }
    listReceived.sort();
    listExpected.sort();
    QCOMPARE(listReceived, listExpected);
}

// Installing a query function while other threads query: every query runs one of the two
// functions whole, never anything else.
void TestSdkThreads::queryFunctionSwappedWhileQuerying()
{
    DeviceSdk::setQueryFunction(&answerFirst);
    std::atomic<int> nUnexpected{0};
    std::vector<std::thread> listThreads;
    for (int nThread = 0; nThread < kSdkThreads; ++nThread) {
        listThreads.emplace_back([&nUnexpected] {
            unsigned char area[kAreaSize] = {};
            for (int n = 0; n < kQueriesPerThread; ++n) {
                const int nAnswer =
                    DeviceSdk::queryParameter("10.0.0.1", 80, "u", "p", 0, "QueryVersion", kAreaSize, area);
                if (nAnswer != kFirstAnswer && nAnswer != kSecondAnswer)
                    ++nUnexpected;
            }
        });
    }
    for (int n = 0; n < kQueriesPerThread; ++n)
        DeviceSdk::setQueryFunction(n % 2 ? &answerFirst : &answerSecond);
    for (std::thread &thread : listThreads)
        thread.join();
    QCOMPARE(nUnexpected.load(), 0);
}

// The shut-down lands while four SDK threads keep calling back: once it has returned, not
// one more report is emitted on the hub, however many callbacks still come, and the end of
// the search is not published either.
void TestSdkThreads::shutDownWhileSdkThreadsReport()
{
    DeviceSdk::setSearchFunction(&searchUntilStopped);
    DeviceSdk::setQueryFunction(&slowQuery);
    std::atomic<int> nEmitted{0};
    const QMetaObject::Connection emitted = connect(
        CommonSignal::getInstance(), &CommonSignal::sigSdkUpdateDevInfo, this, [&nEmitted] { ++nEmitted; },
        Qt::DirectConnection);
    QSignalSpy finishedSpy(CommonSignal::getInstance(), &CommonSignal::sigSdkGetInfoFinished);
    const LogCapture capture;

    CommonTool::getInstance()->getDevInfo();
    QTRY_VERIFY_WITH_TIMEOUT(nEmitted.load() >= kReportsBeforeShutDown, kWaitMs);
    CommonTool::getInstance()->shutDown();
    const int nEmittedAtShutDown = nEmitted.load();
    const int nCallbacksAtShutDown = s_nCallbacks.load();
    QTRY_VERIFY_WITH_TIMEOUT(s_nCallbacks.load() > nCallbacksAtShutDown, kWaitMs);
    s_bStopReporting = true;
    QTRY_VERIFY_WITH_TIMEOUT(s_bSearchReturned.load(), kWaitMs);
    QTest::qWait(kQuietMs);
    disconnect(emitted);

    QCOMPARE(nEmitted.load(), nEmittedAtShutDown);
    QCOMPARE(finishedSpy.count(), 0);
}

QTEST_GUILESS_MAIN(TestSdkThreads)
#include "tst_sdkthreads.moc"
