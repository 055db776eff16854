#include <QtTest>

#include <QMutex>
#include <QSemaphore>
#include <QThread>

#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "core/commonsignal.h"
#include "core/metatypes.h"
#include "net/commontool.h"
#include "net/devicesdk.h"
#include "support/logcapture.h"
#include "support/records.h"

namespace {

constexpr int kAreaSize = 28;
constexpr int kWaitMs = 10000;
constexpr int kQuietMs = 200;
// How long the shut-down waits for a search that does not end.
constexpr int kShutdownWaitMs = 2000;
// Long enough that the shut-down is certain to be waiting when the search is let go.
constexpr int kReleaseDelayMs = 300;

struct SearchCall
{
    int nMode = -1;
    int nWaitMs = -1;
    DeviceSdk::SearchCallback pCallback = nullptr;
    int nReserved = -1;
};

struct QueryCall
{
    QByteArray baIp;
    int nPort = -1;
    QByteArray baUser;
    QByteArray baPassword;
    int nReserved = -1;
    QByteArray baQuery;
    int nSize = -1;
    bool bHasArea = false;
};

enum class ReportThread { Worker, OwnThread };

} // namespace

Q_DECLARE_METATYPE(ReportThread)

namespace {

// What the scripted SDK functions do and what they were called with. The SDK calls them
// from the worker thread and from threads of its own, so every access takes the lock.
struct Script
{
    QMutex mutex;
    QList<QByteArray> listReports;
    ReportThread reportThread = ReportThread::Worker;
    int nSearchReturn = 0;
    QSemaphore *pHold = nullptr;
    QSemaphore *pQueryHold = nullptr;
    int nQueryReturn = 0;
    QByteArray baArea = QByteArray(kAreaSize, '\0');
    QList<SearchCall> listSearchCalls;
    QList<QueryCall> listQueryCalls;
    int nSearchesReturned = 0;

    void clear()
    {
        QMutexLocker locker(&mutex);
        listReports.clear();
        reportThread = ReportThread::Worker;
        nSearchReturn = 0;
        pHold = nullptr;
        pQueryHold = nullptr;
        nQueryReturn = 0;
        baArea = QByteArray(kAreaSize, '\0');
        listSearchCalls.clear();
        listQueryCalls.clear();
        nSearchesReturned = 0;
    }
    int searchCount()
    {
        QMutexLocker locker(&mutex);
        return listSearchCalls.size();
    }
    int returnedCount()
    {
        QMutexLocker locker(&mutex);
        return nSearchesReturned;
    }
    int queryCount()
    {
        QMutexLocker locker(&mutex);
        return listQueryCalls.size();
    }
};

Script &script()
{
    static Script s_script;
    return s_script;
}

void deliverReports(DeviceSdk::SearchCallback pCallback, const QList<QByteArray> &listReports)
{
    for (const QByteArray &baReport : listReports)
        pCallback(0, baReport.constData());
}

int scriptedSearch(int nMode, int nWaitMs, DeviceSdk::SearchCallback pCallback, int nReserved)
{
    Script &s = script();
    s.mutex.lock();
    s.listSearchCalls.append({nMode, nWaitMs, pCallback, nReserved});
    const QList<QByteArray> listReports = s.listReports;
    const ReportThread reportThread = s.reportThread;
    const int nReturn = s.nSearchReturn;
    QSemaphore *pHold = s.pHold;
    s.mutex.unlock();

    if (pHold)
        pHold->acquire();
    if (reportThread == ReportThread::Worker) {
        deliverReports(pCallback, listReports);
    } else {
        std::unique_ptr<QThread> pOwn(QThread::create(&deliverReports, pCallback, listReports));
        pOwn->start();
        pOwn->wait();
    }
    QMutexLocker locker(&s.mutex);
    ++s.nSearchesReturned;
    return nReturn;
}

int scriptedQuery(const char *szIp, int nPort, const char *szUser, const char *szPassword, int nReserved,
                  const char *szQuery, int nSize, void *pResult)
{
    Script &s = script();
    s.mutex.lock();
    s.listQueryCalls.append({szIp, nPort, szUser, szPassword, nReserved, szQuery, nSize, pResult != nullptr});
    QSemaphore *pQueryHold = s.pQueryHold;
    s.mutex.unlock();

    if (pQueryHold)
        pQueryHold->acquire();
    QMutexLocker locker(&s.mutex);
    if (pResult && nSize == kAreaSize)
        std::memcpy(pResult, s.baArea.constData(), kAreaSize);
    return s.nQueryReturn;
}

// A result area with the three version words in machine byte order and filler around them.
QByteArray versionArea(quint32 nCam, quint32 nAF, quint32 nArm)
{
    QByteArray baArea(kAreaSize, '\x5A');
    qToUnaligned(nCam, baArea.data() + 4);
    qToUnaligned(nAF, baArea.data() + 12);
    qToUnaligned(nArm, baArea.data() + 20);
    return baArea;
}

QByteArray netInfoReport(const QByteArray &baNetInfo)
{
    return R"({"SapSearch":{"stNetInfo":)" + baNetInfo + "}}";
}

// Fields as devInfoFields gives them for an SDK report: no search address, port 0, DHCP -1.
QStringList sdkFields(const QStringList &listNet, const QStringList &listVersions)
{
    return QStringList{QString(), QStringLiteral("0")} + listNet.mid(0, 4) + QStringList{QStringLiteral("-1")}
           + listNet.mid(4, 2) + listVersions;
}

// Records the SDK hub signals in arrival order, and whether each came on the GUI thread.
class HubRecorder : public QObject
{
public:
    HubRecorder()
    {
        CommonSignal *pHub = CommonSignal::getInstance();
        connect(pHub, &CommonSignal::sigSdkUpdateDevInfo, this, [this](DevInfo_S stDev) {
            noteThread();
            m_listDevices.append(stDev);
            m_listEvents.append(stDev.strIPAddr);
        });
        connect(pHub, &CommonSignal::sigSdkGetInfoFinished, this, [this] {
            noteThread();
            m_listEvents.append(QStringLiteral("finished"));
        });
    }

    int finishedCount() const { return m_listEvents.count(QStringLiteral("finished")); }

    QList<DevInfo_S> m_listDevices;
    QStringList m_listEvents;
    bool m_bAllOnGuiThread = true;

private:
    void noteThread() { m_bAllOnGuiThread = m_bAllOnGuiThread && QThread::currentThread() == qApp->thread(); }
};

} // namespace

class TestCommonTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    // Must be the first test: nothing in this process may have created the tool yet.
    void firstUseFromWorkerThread();
    void instanceIsSingleAndParentless();
    void standInsReportNothing();
    void defaultSearchStillFinishes();
    void sdkCalledWithContractArguments();
    void reportsQueuedBeforeFinished_data();
    void reportsQueuedBeforeFinished();
    void secondSearchWhileRunningIgnored();
    void searchWhileFinishingIgnored();
    void report_data();
    void report();
    void callbackSurvivesNullText();
    void callbackCountsCalls();
    void shutDownWaitsForRunningSearch();
    void shutDownWaitIsBounded_data();
    void shutDownWaitIsBounded();
    void reportInQueryAtShutDownDropped();
    void callbackAfterShutDownDoesNothing();

private:
    void waitForSearchEnd(HubRecorder *pRecorder, int nFinished);
    void searchReportsAgain();
};

void TestCommonTool::initTestCase()
{
    registerRecordMetaTypes();
    CommonSignal::getInstance();
}

void TestCommonTool::init()
{
    script().clear();
    DeviceSdk::setSearchFunction(&scriptedSearch);
    DeviceSdk::setQueryFunction(&scriptedQuery);
}

void TestCommonTool::cleanup()
{
    DeviceSdk::reset();
}

// The finished signal is in; the thread object is deleted once the loop has run again.
void TestCommonTool::waitForSearchEnd(HubRecorder *pRecorder, int nFinished)
{
    QTRY_COMPARE_WITH_TIMEOUT(pRecorder->finishedCount(), nFinished, kWaitMs);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestCommonTool::firstUseFromWorkerThread()
{
    CommonTool *pCreated = nullptr;
    std::unique_ptr<QThread> pWorker(QThread::create([&pCreated] { pCreated = CommonTool::getInstance(); }));
    pWorker->start();
    QVERIFY(pWorker->wait(kWaitMs));
    QCOMPARE(pCreated, CommonTool::getInstance());
    QCOMPARE(pCreated->thread(), qApp->thread());

    HubRecorder recorder;
    pCreated->getDevInfo();
    waitForSearchEnd(&recorder, 1);
    QVERIFY(recorder.m_bAllOnGuiThread);
}

void TestCommonTool::instanceIsSingleAndParentless()
{
    CommonTool *pTool = CommonTool::getInstance();
    QVERIFY(pTool);
    QCOMPARE(pTool->parent(), nullptr);
    QCOMPARE(CommonTool::getInstance(), pTool);
}

void TestCommonTool::standInsReportNothing()
{
    DeviceSdk::reset();
    static int s_nReports = 0;
    QCOMPARE(DeviceSdk::search(0, 1000, [](int, const char *) { ++s_nReports; }, 0), 0);
    QCOMPARE(s_nReports, 0);

    QByteArray baArea(kAreaSize, '\x11');
    QVERIFY(DeviceSdk::queryParameter("127.0.0.1", 80, "quarn", "quarn", 0, "QueryVersion", kAreaSize, baArea.data()) != 0);
    QCOMPARE(baArea, QByteArray(kAreaSize, '\x11'));

    DeviceSdk::setSearchFunction(&scriptedSearch);
    DeviceSdk::setSearchFunction(nullptr);
    QCOMPARE(DeviceSdk::search(0, 1000, nullptr, 0), 0);
    QCOMPARE(script().searchCount(), 0);
}

void TestCommonTool::defaultSearchStillFinishes()
{
    DeviceSdk::reset();
    HubRecorder recorder;
    const LogCapture capture;
    CommonTool::getInstance()->getDevInfo();
    waitForSearchEnd(&recorder, 1);
    QCOMPARE(recorder.m_listEvents, QStringList({"finished"}));
    QVERIFY(recorder.m_bAllOnGuiThread);
    QVERIFY(LogCapture::messages().contains(QStringLiteral("Devices : 0")));
}

void TestCommonTool::sdkCalledWithContractArguments()
{
    script().listReports = {netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":80})")};
    script().nSearchReturn = 3;
    HubRecorder recorder;
    const LogCapture capture;
    CommonTool::getInstance()->getDevInfo();
    waitForSearchEnd(&recorder, 1);

    QMutexLocker locker(&script().mutex);
    QCOMPARE(script().listSearchCalls.size(), 1);
    const SearchCall search = script().listSearchCalls.first();
    QCOMPARE(search.nMode, 0);
    QCOMPARE(search.nWaitMs, 1000);
    QVERIFY(search.pCallback == &fdQuillSearchCB);
    QCOMPARE(search.nReserved, 0);

    QCOMPARE(script().listQueryCalls.size(), 1);
    const QueryCall query = script().listQueryCalls.first();
    QCOMPARE(query.baIp, QByteArray("192.168.1.20"));
    QCOMPARE(query.nPort, 80);
    QCOMPARE(query.baUser, QByteArray("quarn"));
    QCOMPARE(query.baPassword, QByteArray("quarn"));
    QCOMPARE(query.nReserved, 0);
    QCOMPARE(query.baQuery, QByteArray("QueryVersion"));
    QCOMPARE(query.nSize, kAreaSize);
    QVERIFY(query.bHasArea);
    QVERIFY(LogCapture::messages().contains(QStringLiteral("Devices : 3")));
}

void TestCommonTool::reportsQueuedBeforeFinished_data()
{
    QTest::addColumn<ReportThread>("reportThread");
    QTest::newRow("from the worker thread") << ReportThread::Worker;
    QTest::newRow("from a thread of the SDK's own") << ReportThread::OwnThread;
}

void TestCommonTool::reportsQueuedBeforeFinished()
{
    QFETCH(ReportThread, reportThread);
    script().reportThread = reportThread;
    script().listReports = {
        netInfoReport(R"({"szIP":"10.0.0.1","szSubMask":"255.0.0.0","szGateway":"10.0.0.254",)"
                      R"("szMacAddr":"00:11:22:33:44:55","szDns1":"10.0.0.53","szDns2":"8.8.4.4","wDataPort":80})"),
        "not a report",
        netInfoReport(R"({"szIP":"10.0.0.2"})"),
        netInfoReport(R"({"szIP":"10.0.0.3"})"),
    };
    script().baArea = versionArea(0x00020103, 0x000A0B0C, 0);
    HubRecorder recorder;
    CommonTool::getInstance()->getDevInfo();
    waitForSearchEnd(&recorder, 1);

    QCOMPARE(recorder.m_listEvents, QStringList({"10.0.0.1", "10.0.0.2", "10.0.0.3", "finished"}));
    QVERIFY(recorder.m_bAllOnGuiThread);
    QCOMPARE(devInfoFields(recorder.m_listDevices.first()),
             sdkFields({"10.0.0.1", "255.0.0.0", "10.0.0.254", "00:11:22:33:44:55", "10.0.0.53", "8.8.4.4"},
                       {"V2.1.3", "V0.0.0", "V10.11.12"}));
}

void TestCommonTool::secondSearchWhileRunningIgnored()
{
    QSemaphore hold;
    script().pHold = &hold;
    script().listReports = {netInfoReport(R"({"szIP":"10.0.0.9"})")};
    HubRecorder recorder;
    CommonTool *pTool = CommonTool::getInstance();
    pTool->getDevInfo();
    QTRY_COMPARE_WITH_TIMEOUT(script().searchCount(), 1, kWaitMs);
    pTool->getDevInfo();
    pTool->getDevInfo();
    hold.release(3);
    waitForSearchEnd(&recorder, 1);
    QCOMPARE(recorder.m_listEvents, QStringList({"10.0.0.9", "finished"}));

    script().pHold = nullptr;
    pTool->getDevInfo();
    waitForSearchEnd(&recorder, 2);
    QCOMPARE(script().searchCount(), 2);
    QCOMPARE(recorder.m_listEvents, QStringList({"10.0.0.9", "finished", "10.0.0.9", "finished"}));
}

void TestCommonTool::searchWhileFinishingIgnored()
{
    HubRecorder recorder;
    CommonTool *pTool = CommonTool::getInstance();
    QObject context;
    bool bRestarted = false;
    connect(CommonSignal::getInstance(), &CommonSignal::sigSdkGetInfoFinished, &context, [pTool, &bRestarted] {
        if (!std::exchange(bRestarted, true))
            pTool->getDevInfo(); // the thread object still exists: must start nothing
    });
    pTool->getDevInfo();
    waitForSearchEnd(&recorder, 1);
    QVERIFY(bRestarted);
    QTest::qWait(kQuietMs); // a search wrongly started would show up here
    QCOMPARE(script().searchCount(), 1);
    QCOMPARE(recorder.finishedCount(), 1);

    pTool->getDevInfo();
    waitForSearchEnd(&recorder, 2);
    QCOMPARE(script().searchCount(), 2);
}

void TestCommonTool::report_data()
{
    QTest::addColumn<QByteArray>("report");
    QTest::addColumn<int>("queryReturn");
    QTest::addColumn<QByteArray>("area");
    QTest::addColumn<int>("port");
    QTest::addColumn<QStringList>("fields");

    const QByteArray baArea = versionArea(0x00020103, 0x000A0B0C, 0x00000201);
    const QStringList listVersions = {"V2.1.3", "V0.2.1", "V10.11.12"};
    const QStringList listNoVersions = {"V0.0.0", "V0.0.0", "V0.0.0"};
    const QStringList listOnlyIp = {"192.168.1.20", "", "", "", "", ""};
    const QStringList listDropped;
    const QByteArray baFullNetInfo = R"({"szIP":"10.1.2.3","szSubMask":"255.255.0.0","szGateway":"10.1.0.1",)"
                                     R"("szMacAddr":"AA:BB:CC:DD:EE:FF","szDns1":"1.1.1.1","szDns2":"9.9.9.9",)"
                                     R"("wDataPort":8000})";
    const auto add = [](const char *szTag, const QByteArray &baReport, int nQueryReturn, const QByteArray &baArea,
                        int nPort, const QStringList &listFields) {
        QTest::newRow(szTag) << baReport << nQueryReturn << baArea << nPort << listFields;
    };

    add("address and port only", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":80})"), 0, baArea, 80,
        sdkFields(listOnlyIp, listVersions));
    add("every member", netInfoReport(baFullNetInfo), 0, baArea, 8000,
        sdkFields({"10.1.2.3", "255.255.0.0", "10.1.0.1", "AA:BB:CC:DD:EE:FF", "1.1.1.1", "9.9.9.9"}, listVersions));
    add("version words of zero", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":80})"), 0,
        versionArea(0, 0xFF000000, 0x00FFFFFF), 80, sdkFields(listOnlyIp, {"V0.0.0", "V255.255.255", "V0.0.0"}));
    add("failing query", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":80})"), -1, baArea, 80,
        sdkFields(listOnlyIp, listNoVersions));
    add("port low 16 bits", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":65616})"), 0, baArea, 80,
        sdkFields(listOnlyIp, listVersions));
    add("port above 32 bits", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":4294967376})"), 0, baArea, 80,
        sdkFields(listOnlyIp, listVersions));
    add("port missing", netInfoReport(R"({"szIP":"192.168.1.20"})"), 0, baArea, 0, sdkFields(listOnlyIp, listVersions));
    add("port as text", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":"80"})"), 0, baArea, 0,
        sdkFields(listOnlyIp, listVersions));
    add("port out of range", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":1e300})"), 0, baArea, 0,
        sdkFields(listOnlyIp, listVersions));
    add("members of other types",
        netInfoReport(R"({"szIP":1,"szSubMask":[],"szGateway":{},"szMacAddr":null,"szDns1":true,"szDns2":2.5})"), 0,
        baArea, 0, sdkFields({"", "", "", "", "", ""}, listVersions));
    add("version object ignored",
        R"({"SapSearch":{"stVersion":{"szIP":"9.9.9.9"},"stNetInfo":{"szIP":"192.168.1.20","wDataPort":80}}})", 0,
        baArea, 80, sdkFields(listOnlyIp, listVersions));
    add("text after the NUL ignored", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":80})") + '\0' + "garbage",
        0, baArea, 80, sdkFields(listOnlyIp, listVersions));
    add("huge report", netInfoReport(R"({"szIP":"192.168.1.20","wDataPort":80,"szPad":")" + QByteArray(8 << 20, 'x') + "\"}"),
        0, baArea, 80, sdkFields(listOnlyIp, listVersions));
    add("non-ASCII text", netInfoReport(u8R"({"szIP":"192.168.1.20","szMacAddr":"网卡","wDataPort":80})"), 0, baArea,
        80, sdkFields({"192.168.1.20", "", "", QString::fromUtf8(u8"网卡"), "", ""}, listVersions));

    add("empty text", QByteArray(), 0, baArea, 0, listDropped);
    add("not JSON", "SapSearch", 0, baArea, 0, listDropped);
    add("truncated JSON", netInfoReport(R"({"szIP":"192.168.1.20")").chopped(2), 0, baArea, 0, listDropped);
    add("invalid UTF-8", netInfoReport("{\"szIP\":\"192.168.1.20\xff\xfe\"}"), 0, baArea, 0, listDropped);
    add("deeply nested", QByteArray(100000, '['), 0, baArea, 0, listDropped);
    add("array root", "[" + netInfoReport(R"({"szIP":"192.168.1.20"})") + "]", 0, baArea, 0, listDropped);
    add("text root", R"("SapSearch")", 0, baArea, 0, listDropped);
    add("empty root", "{}", 0, baArea, 0, listDropped);
    add("SapSearch missing", R"({"stNetInfo":{"szIP":"192.168.1.20"}})", 0, baArea, 0, listDropped);
    add("SapSearch empty", R"({"SapSearch":{}})", 0, baArea, 0, listDropped);
    add("SapSearch not an object", R"({"SapSearch":"stNetInfo"})", 0, baArea, 0, listDropped);
    add("stNetInfo empty", netInfoReport("{}"), 0, baArea, 0, listDropped);
    add("stNetInfo missing", R"({"SapSearch":{"stVersion":{"szIP":"9.9.9.9"}}})", 0, baArea, 0, listDropped);
    add("stNetInfo an array", netInfoReport(R"(["192.168.1.20"])"), 0, baArea, 0, listDropped);
}

void TestCommonTool::report()
{
    QFETCH(QByteArray, report);
    QFETCH(int, queryReturn);
    QFETCH(QByteArray, area);
    QFETCH(int, port);
    QFETCH(QStringList, fields);

    script().nQueryReturn = queryReturn;
    script().baArea = area;
    QSignalSpy spy(CommonSignal::getInstance(), &CommonSignal::sigSdkUpdateDevInfo);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^fdQuillSearchCB ---> \\d+$")));
    fdQuillSearchCB(0, report.constData());

    if (fields.isEmpty()) {
        QCOMPARE(spy.count(), 0);
        QCOMPARE(script().listQueryCalls.size(), 0);
        return;
    }
    QCOMPARE(spy.count(), 1);
    QCOMPARE(devInfoFields(spy.first().first().value<DevInfo_S>()), fields);
    QCOMPARE(script().listQueryCalls.size(), 1);
    QCOMPARE(script().listQueryCalls.first().nPort, port);
    QCOMPARE(QString::fromUtf8(script().listQueryCalls.first().baIp), fields.at(2));
}

void TestCommonTool::callbackSurvivesNullText()
{
    QSignalSpy spy(CommonSignal::getInstance(), &CommonSignal::sigSdkUpdateDevInfo);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^fdQuillSearchCB ---> \\d+$")));
    fdQuillSearchCB(0, nullptr);
    QCOMPARE(spy.count(), 0);
    QCOMPARE(script().listQueryCalls.size(), 0);
}

void TestCommonTool::callbackCountsCalls()
{
    constexpr int kThreads = 4;
    constexpr int kCallsPerThread = 25;
    const LogCapture capture;
    fdQuillSearchCB(0, "");
    std::vector<std::unique_ptr<QThread>> listThreads;
    for (int i = 0; i < kThreads; ++i) {
        listThreads.emplace_back(QThread::create([] {
            for (int n = 0; n < kCallsPerThread; ++n)
                fdQuillSearchCB(n, "{}");
        }));
        listThreads.back()->start();
    }
    for (const auto &pThread : listThreads)
        QVERIFY(pThread->wait(kWaitMs));

    const QStringList listMessages = LogCapture::messages();
    QCOMPARE(listMessages.size(), 1 + kThreads * kCallsPerThread);
    const QRegularExpression countExp(QStringLiteral("^fdQuillSearchCB ---> (\\d+)$"));
    QSet<int> setCounts;
    for (const QString &strMessage : listMessages) {
        const QRegularExpressionMatch match = countExp.match(strMessage);
        QVERIFY2(match.hasMatch(), qPrintable(strMessage));
        setCounts.insert(match.captured(1).toInt());
    }
    const int nFirst = countExp.match(listMessages.first()).captured(1).toInt();
    QCOMPARE(setCounts.size(), listMessages.size()); // each call saw its own value
    for (int n = nFirst; n < nFirst + listMessages.size(); ++n)
        QVERIFY(setCounts.contains(n));
}

// After a shut-down the next search is heard again, reports and end alike. Call once the
// earlier search has returned.
void TestCommonTool::searchReportsAgain()
{
    script().clear();
    script().listReports = {netInfoReport(R"({"szIP":"10.0.0.21"})")};
    HubRecorder recorder;
    // Nothing starts until the loop has deleted the earlier search's thread; once a search
    // has begun, asking again would start a second one after it.
    const auto startSearchOnce = [] {
        if (script().searchCount() == 0)
            CommonTool::getInstance()->getDevInfo();
        return script().searchCount();
    };
    QTRY_COMPARE_WITH_TIMEOUT(startSearchOnce(), 1, kWaitMs);
    waitForSearchEnd(&recorder, 1);
    QCOMPARE(recorder.m_listEvents, QStringList({"10.0.0.21", "finished"}));
}

// A search that ends while the shut-down waits: the shut-down returns only after it, and
// neither its reports nor its end reach the hub.
void TestCommonTool::shutDownWaitsForRunningSearch()
{
    QSemaphore hold;
    script().pHold = &hold;
    script().listReports = {netInfoReport(R"({"szIP":"10.0.0.11"})")};
    HubRecorder recorder;
    CommonTool::getInstance()->getDevInfo();
    QTRY_COMPARE_WITH_TIMEOUT(script().searchCount(), 1, kWaitMs);
    std::unique_ptr<QThread> pReleaser(QThread::create([&hold] {
        QThread::msleep(kReleaseDelayMs);
        hold.release();
    }));
    pReleaser->start();

    CommonTool::getInstance()->shutDown();
    const int nReturnedAtShutDown = script().returnedCount();
    QVERIFY(pReleaser->wait(kWaitMs));
    QCOMPARE(nReturnedAtShutDown, 1);
    QTest::qWait(kQuietMs);
    QCOMPARE(recorder.m_listEvents, QStringList());
    QCOMPARE(script().queryCount(), 0);
    searchReportsAgain();
}

void TestCommonTool::shutDownWaitIsBounded_data()
{
    QTest::addColumn<ReportThread>("reportThread");
    QTest::newRow("reports from the worker thread") << ReportThread::Worker;
    QTest::newRow("reports from a thread of the SDK's own") << ReportThread::OwnThread;
}

// A search that outlasts the wait is left running; when it reports and ends later, nothing
// reaches the hub, no version is queried, and nothing breaks.
void TestCommonTool::shutDownWaitIsBounded()
{
    QFETCH(ReportThread, reportThread);
    QSemaphore hold;
    script().pHold = &hold;
    script().reportThread = reportThread;
    script().listReports = {netInfoReport(R"({"szIP":"10.0.0.12","wDataPort":80})")};
    HubRecorder recorder;
    CommonTool::getInstance()->getDevInfo();
    QTRY_COMPARE_WITH_TIMEOUT(script().searchCount(), 1, kWaitMs);

    QElapsedTimer clock;
    clock.start();
    QStringList listShutDownLog;
    {
        const LogCapture capture;
        CommonTool::getInstance()->shutDown();
        listShutDownLog = LogCapture::messages();
    }
    const qint64 nWaitedMs = clock.elapsed();
    const int nReturnedAtShutDown = script().returnedCount();

    const LogCapture capture;
    hold.release();
    QTRY_COMPARE_WITH_TIMEOUT(script().returnedCount(), 1, kWaitMs);
    QTest::qWait(kQuietMs);
    QVERIFY2(nWaitedMs >= kShutdownWaitMs, qPrintable(QString::number(nWaitedMs)));
    QCOMPARE(nReturnedAtShutDown, 0);
    QCOMPARE(listShutDownLog,
             QStringList{QStringLiteral("SDK search still running after %1 ms at shut-down; left to finish alone")
                             .arg(kShutdownWaitMs)});
    QCOMPARE(recorder.m_listEvents, QStringList());
    QCOMPARE(script().queryCount(), 0);
    QVERIFY(LogCapture::messages().filter(QStringLiteral("fdQuillSearchCB")).isEmpty());
    searchReportsAgain();
}

// A version query that outlasts the shut-down's wait: the report it was for is dropped.
void TestCommonTool::reportInQueryAtShutDownDropped()
{
    QSemaphore queryHold;
    script().pQueryHold = &queryHold;
    script().listReports = {netInfoReport(R"({"szIP":"10.0.0.14","wDataPort":80})")};
    HubRecorder recorder;
    CommonTool::getInstance()->getDevInfo();
    QTRY_COMPARE_WITH_TIMEOUT(script().queryCount(), 1, kWaitMs);

    CommonTool::getInstance()->shutDown();
    const int nReturnedAtShutDown = script().returnedCount();
    queryHold.release();
    QTRY_COMPARE_WITH_TIMEOUT(script().returnedCount(), 1, kWaitMs);
    QTest::qWait(kQuietMs);
    QCOMPARE(nReturnedAtShutDown, 0);
    QCOMPARE(recorder.m_listEvents, QStringList());
    searchReportsAgain();
}

void TestCommonTool::callbackAfterShutDownDoesNothing()
{
    CommonTool::getInstance()->shutDown();
    HubRecorder recorder;
    const LogCapture capture;
    const QByteArray baReport = netInfoReport(R"({"szIP":"10.0.0.13","wDataPort":80})");
    fdQuillSearchCB(0, baReport.constData());
    std::unique_ptr<QThread> pSdkThread(QThread::create([&baReport] { fdQuillSearchCB(0, baReport.constData()); }));
    pSdkThread->start();
    QVERIFY(pSdkThread->wait(kWaitMs));
    QTest::qWait(kQuietMs);
    QCOMPARE(recorder.m_listEvents, QStringList());
    QCOMPARE(script().queryCount(), 0);
    QCOMPARE(LogCapture::messages(), QStringList());
    searchReportsAgain();
}

QTEST_GUILESS_MAIN(TestCommonTool)
#include "tst_commontool.moc"
