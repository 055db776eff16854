#include <QtTest>

#include <QNetworkRequest>
#include <QUrlQuery>

#include "app/mainmodel.h"
#include "core/commonsignal.h"
#include "net/chttp.h"
#include "net/requestoutcome.h"
#include "support/fakehttpcamera.h"
#include "support/hubrecorder.h"

namespace {

const QString kCameraIp = QStringLiteral("127.0.0.1");
const QByteArray kRoutedBody =
    R"({"nRetVal":2,"stValue":{"stEth":[{"szIPAddr":"192.168.1.10","byValid":7}],"dwCamVersion":66051}})";
const QByteArray kStatusBody = R"({"nRetVal":0})";
const QString kFinished = QStringLiteral("finished");
const QString kTipsFailed = QStringLiteral("tips:1");
constexpr int kWaitMs = 10000;
constexpr int kShortTimeoutMs = 300;
// Long enough that only the size limit can end the transfer within kWaitMs.
constexpr int kLongTimeoutMs = 60000;
constexpr int kLargeDelayMs = 400;

QUrl cameraUrl(const FakeHttpCamera &camera, const QString &strJson)
{
    QUrl url(QStringLiteral("http://%1/ajaxcom").arg(camera.hostPort()));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("szCmd"), strJson);
    url.setQuery(query);
    return url;
}

const QString kGetEnvJson = QStringLiteral(R"({"GetEnv":{"NetWork":{"nChannel":-1}}})");
const QString kSetEnvJson = QStringLiteral(R"({"SetEnv":{}})");

} // namespace

class TestCHttp : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void transferTimeoutDefaultsToTenSeconds();
    void replyRoutedByCommandName_data();
    void replyRoutedByCommandName();
    void oneFinishedPerBatch_data();
    void oneFinishedPerBatch();
    void failureDeliversNothing_data();
    void failureDeliversNothing();
    void silentCameraTimesOut_data();
    void silentCameraTimesOut();
    void bodySizeLimited_data();
    void bodySizeLimited();
    void endlessBodyAbortedAtLimit();
    void redirectNotFollowed();
    void replyWithoutReceiverDropped();
    void destroyWithRequestInFlight();
    void outcomeReported_data();
    void outcomeReported();
    void requestToNonLoopbackAddress();

private:
    void startCamera(FakeHttpCamera &camera);

    MainModel *m_pMainModel = nullptr;
    HubRecorder *m_pRecorder = nullptr;
};

void TestCHttp::init()
{
    m_pMainModel = new MainModel;
    CHttp::getInstance()->setReceiver(m_pMainModel);
    m_pRecorder = new HubRecorder;
}

void TestCHttp::cleanup()
{
    delete m_pRecorder;
    m_pRecorder = nullptr;
    CHttp::destroyInstance();
    delete m_pMainModel;
    m_pMainModel = nullptr;
}

void TestCHttp::startCamera(FakeHttpCamera &camera)
{
    QVERIFY(camera.listen(QHostAddress::LocalHost));
}

void TestCHttp::transferTimeoutDefaultsToTenSeconds()
{
    QCOMPARE(CHttp::HTTP_TRANSFER_TIMEOUT_MS, 10000);
    QCOMPARE(CHttp::getInstance()->transferTimeout(), CHttp::HTTP_TRANSFER_TIMEOUT_MS);
    QCOMPARE(CHttp::HTTP_MAX_REPLY_BYTES, qint64(1048576));
}

void TestCHttp::replyRoutedByCommandName_data()
{
    QTest::addColumn<QString>("strCmd");
    QTest::addColumn<QStringList>("listExpected");
    QTest::addColumn<QString>("strLog");

    QTest::newRow("SetEnv") << QStringLiteral("SetEnv") << QStringList{"status:127.0.0.1:2", kFinished} << QString();
    QTest::newRow("GetEnv") << QStringLiteral("GetEnv") << QStringList{"eth:127.0.0.1:192.168.1.10:1", kFinished}
                            << QString();
    QTest::newRow("QueryVersion") << QStringLiteral("QueryVersion") << QStringList{"fw:127.0.0.1:V1.2.3:V0.0.0:V0.0.0", kFinished}
                                  << QString();
    QTest::newRow("Reboot") << QStringLiteral("Reboot") << QStringList{kFinished}
                            << QStringLiteral("dealDevReboot[127.0.0.1]: 2");
    QTest::newRow("no such command") << QStringLiteral("Unknown") << QStringList{kFinished} << QString();
    QTest::newRow("no name at all") << QString() << QStringList{kFinished} << QString();
}

// The same answer goes to whichever parser the request's command name selects.
void TestCHttp::replyRoutedByCommandName()
{
    QFETCH(QString, strCmd);
    QFETCH(QStringList, listExpected);
    QFETCH(QString, strLog);
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("GetEnv"), kRoutedBody);
    if (!strLog.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, qPrintable(strLog));
    QTest::ignoreMessage(QtDebugMsg, "all requests finished, cleanup managers");

    CHttp::getInstance()->httpGet(cameraUrl(camera, kGetEnvJson), strCmd);
    QCOMPARE(CHttp::getInstance()->pendingCount(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), listExpected.size(), kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, listExpected);
    QCOMPARE(CHttp::getInstance()->pendingCount(), 0);
}

void TestCHttp::oneFinishedPerBatch_data()
{
    QTest::addColumn<int>("nFirstDelayMs");
    QTest::addColumn<int>("nSecondDelayMs");

    QTest::newRow("first finishes last") << kLargeDelayMs << 0;
    QTest::newRow("second finishes last") << 0 << kLargeDelayMs;
}

void TestCHttp::oneFinishedPerBatch()
{
    QFETCH(int, nFirstDelayMs);
    QFETCH(int, nSecondDelayMs);
    FakeHttpCamera first;
    FakeHttpCamera second;
    startCamera(first);
    startCamera(second);
    first.setReply(QStringLiteral("SetEnv"), R"({"nRetVal":0})");
    first.setReplyDelay(QStringLiteral("SetEnv"), nFirstDelayMs);
    second.setReply(QStringLiteral("SetEnv"), R"({"nRetVal":1})");
    second.setReplyDelay(QStringLiteral("SetEnv"), nSecondDelayMs);

    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(first, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(second, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    QCOMPARE(CHttp::getInstance()->pendingCount(), 2);

    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), 3, kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents.last(), kFinished);
    QCOMPARE(m_pRecorder->m_listEvents.count(kFinished), 1);
    const QString strLater = nFirstDelayMs > nSecondDelayMs ? QStringLiteral("status:127.0.0.1:0")
                                                             : QStringLiteral("status:127.0.0.1:1");
    QCOMPARE(m_pRecorder->m_listEvents.at(1), strLater);

    // A new request after the batch starts a new batch.
    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(first, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.count(kFinished), 2, kWaitMs);
}

void TestCHttp::failureDeliversNothing_data()
{
    QTest::addColumn<QString>("strCmd");
    QTest::addColumn<int>("nStatus");
    QTest::addColumn<bool>("bRefused");
    QTest::addColumn<QStringList>("listExpected");
    QTest::addColumn<QString>("strLog");

    const QStringList listTips{kTipsFailed, kFinished};
    const QStringList listQuiet{kFinished};
    const QString strErrorIp = QStringLiteral("error ip: \"127.0.0.1\"");
    QTest::newRow("SetEnv 500") << QStringLiteral("SetEnv") << 500 << false << listTips << QString();
    QTest::newRow("SetEnv 404") << QStringLiteral("SetEnv") << 404 << false << listTips << QString();
    QTest::newRow("SetEnv refused") << QStringLiteral("SetEnv") << 200 << true << listTips << QString();
    QTest::newRow("GetEnv 503") << QStringLiteral("GetEnv") << 503 << false << listQuiet << strErrorIp;
    QTest::newRow("GetEnv refused") << QStringLiteral("GetEnv") << 200 << true << listQuiet << strErrorIp;
    QTest::newRow("QueryVersion 500") << QStringLiteral("QueryVersion") << 500 << false << listQuiet << strErrorIp;
    QTest::newRow("Reboot 404") << QStringLiteral("Reboot") << 404 << false << listQuiet << strErrorIp;
}

// An error status or a refused connection reaches no parser, whatever body came with it.
void TestCHttp::failureDeliversNothing()
{
    QFETCH(QString, strCmd);
    QFETCH(int, nStatus);
    QFETCH(bool, bRefused);
    QFETCH(QStringList, listExpected);
    QFETCH(QString, strLog);
    auto *pCamera = new FakeHttpCamera;
    startCamera(*pCamera);
    pCamera->setReply(QStringLiteral("SetEnv"), kRoutedBody, nStatus);
    const QUrl url = cameraUrl(*pCamera, kSetEnvJson);
    if (bRefused)
        delete pCamera;
    if (!strLog.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, qPrintable(strLog));

    CHttp::getInstance()->httpPost(QNetworkRequest(url), QUrlQuery(), strCmd);
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), listExpected.size(), kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, listExpected);
    if (!bRefused) {
        QCOMPARE(pCamera->requests().size(), 1);
        delete pCamera;
    }
}

void TestCHttp::silentCameraTimesOut_data()
{
    QTest::addColumn<QString>("strCmd");
    QTest::addColumn<QStringList>("listExpected");

    QTest::newRow("SetEnv") << QStringLiteral("SetEnv") << QStringList{kTipsFailed, kFinished};
    QTest::newRow("GetEnv") << QStringLiteral("GetEnv") << QStringList{kFinished};
}

void TestCHttp::silentCameraTimesOut()
{
    QFETCH(QString, strCmd);
    QFETCH(QStringList, listExpected);
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setSilent(true);
    CHttp::getInstance()->setTransferTimeout(kShortTimeoutMs);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^errorTimeOut: no data for 300 ms .*127\\.0\\.0\\.1")));

    QElapsedTimer timer;
    timer.start();
    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(camera, kSetEnvJson)), QUrlQuery(), strCmd);
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), listExpected.size(), kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, listExpected);
    QVERIFY(timer.elapsed() >= kShortTimeoutMs);
    QCOMPARE(camera.requests().size(), 1);
}

void TestCHttp::bodySizeLimited_data()
{
    QTest::addColumn<int>("nBodySize");
    QTest::addColumn<QStringList>("listExpected");

    QTest::newRow("exactly the limit") << int(CHttp::HTTP_MAX_REPLY_BYTES)
                                       << QStringList{"eth:127.0.0.1:10.1.1.1:0", kFinished};
    QTest::newRow("one byte over") << int(CHttp::HTTP_MAX_REPLY_BYTES) + 1 << QStringList{kFinished};
    QTest::newRow("far over") << int(CHttp::HTTP_MAX_REPLY_BYTES) * 4 << QStringList{kFinished};
}

void TestCHttp::bodySizeLimited()
{
    QFETCH(int, nBodySize);
    QFETCH(QStringList, listExpected);
    const QByteArray baHead = R"({"stValue":{"stEth":[{"szIPAddr":"10.1.1.1"}]},"pad":")";
    const QByteArray baTail = R"("})";
    const QByteArray baBody = baHead + QByteArray(nBodySize - baHead.size() - baTail.size(), 'x') + baTail;
    QCOMPARE(baBody.size(), nBodySize);
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("GetEnv"), baBody);
    if (nBodySize > CHttp::HTTP_MAX_REPLY_BYTES)
        QTest::ignoreMessage(QtDebugMsg, "error: reply body larger than 1048576 bytes, aborted \"127.0.0.1\"");

    CHttp::getInstance()->httpGet(cameraUrl(camera, kGetEnvJson), QStringLiteral("GetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), listExpected.size(), kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, listExpected);
}

// A peer that announces far more than it sends and then stalls: only counting the bytes
// as they arrive can end this before the (long) transfer timeout.
void TestCHttp::endlessBodyAbortedAtLimit()
{
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("SetEnv"), QByteArray(int(CHttp::HTTP_MAX_REPLY_BYTES) * 3 / 2, ' '));
    camera.setDeclaredLength(QStringLiteral("SetEnv"), CHttp::HTTP_MAX_REPLY_BYTES * 64);
    CHttp::getInstance()->setTransferTimeout(kLongTimeoutMs);
    QTest::ignoreMessage(QtDebugMsg, "error: reply body larger than 1048576 bytes, aborted \"127.0.0.1\"");

    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(camera, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), 2, kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, (QStringList{kTipsFailed, kFinished}));
}

void TestCHttp::redirectNotFollowed()
{
    FakeHttpCamera camera;
    FakeHttpCamera elsewhere;
    startCamera(camera);
    startCamera(elsewhere);
    elsewhere.setReply(QStringLiteral("SetEnv"), kStatusBody);
    camera.setReply(QStringLiteral("SetEnv"), kStatusBody, 302);
    camera.setReplyHeader(QStringLiteral("SetEnv"), "Location", cameraUrl(elsewhere, kSetEnvJson).toEncoded());
    QTest::ignoreMessage(QtDebugMsg, "error: redirect not followed, HTTP status 302 \"127.0.0.1\"");

    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(camera, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), 2, kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, (QStringList{kTipsFailed, kFinished}));
    QCOMPARE(camera.requests().size(), 1);
    QCOMPARE(elsewhere.requests().size(), 0);
}

void TestCHttp::replyWithoutReceiverDropped()
{
    CHttp::destroyInstance();
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("SetEnv"), kStatusBody);

    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(camera, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), 1, kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, QStringList{kFinished});
    QCOMPARE(camera.requests().size(), 1);
}

void TestCHttp::destroyWithRequestInFlight()
{
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setSilent(true);
    CHttp *pFirst = CHttp::getInstance();
    pFirst->httpPost(QNetworkRequest(cameraUrl(camera, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(camera.requests().size(), 1, kWaitMs);

    CHttp::destroyInstance();
    QTest::qWait(100);
    QVERIFY(m_pRecorder->m_listEvents.isEmpty());
    QCOMPARE(CHttp::getInstance()->pendingCount(), 0);
}

void TestCHttp::outcomeReported_data()
{
    QTest::addColumn<QByteArray>("baBody");
    QTest::addColumn<int>("nStatus");
    QTest::addColumn<bool>("bRefused");
    QTest::addColumn<bool>("bSilent");
    QTest::addColumn<int>("nOutcome");

    const QByteArray baGood = R"({"stValue":{"stEth":[{"szIPAddr":"10.1.1.1"}]}})";
    const QByteArray baLarge(int(CHttp::HTTP_MAX_REPLY_BYTES) + 1, ' ');
    QTest::newRow("answered") << baGood << 200 << false << false << int(RequestOutcome::Answered);
    QTest::newRow("not JSON") << QByteArray("<html>") << 200 << false << false << int(RequestOutcome::Unreadable);
    QTest::newRow("no stEth") << QByteArray(R"({"stValue":{}})") << 200 << false << false
                              << int(RequestOutcome::Unreadable);
    QTest::newRow("HTTP 404") << baGood << 404 << false << false << int(RequestOutcome::HttpError);
    QTest::newRow("redirect") << baGood << 302 << false << false << int(RequestOutcome::Redirected);
    QTest::newRow("refused") << baGood << 200 << true << false << int(RequestOutcome::Refused);
    QTest::newRow("too large") << baLarge << 200 << false << false << int(RequestOutcome::TooLarge);
    QTest::newRow("silent") << baGood << 200 << false << true << int(RequestOutcome::TimedOut);
}

// Each request is reported once when taken and once when ended, under one number; only a
// reply that reaches the parsers is announced as delivered.
void TestCHttp::outcomeReported()
{
    QFETCH(QByteArray, baBody);
    QFETCH(int, nStatus);
    QFETCH(bool, bRefused);
    QFETCH(bool, bSilent);
    QFETCH(int, nOutcome);
    auto *pCamera = new FakeHttpCamera;
    startCamera(*pCamera);
    pCamera->setReply(QStringLiteral("GetEnv"), baBody, nStatus);
    pCamera->setSilent(bSilent);
    const QUrl url = cameraUrl(*pCamera, kGetEnvJson);
    if (bRefused)
        delete pCamera;
    CHttp::getInstance()->setTransferTimeout(kShortTimeoutMs);
    QStringList listReports;
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    const auto record = [&listReports](const QString &strWhat, quint64 nRequest, const QString &strIp, int nCmd) {
        listReports.append(QStringLiteral("%1:%2:%3:%4").arg(strWhat).arg(nRequest).arg(strIp).arg(nCmd));
    };
    QObject context;
    connect(pOutcome, &RequestOutcome::sigRequestStarted, &context,
            [&](quint64 nRequest, QString strIp, int nCmd) { record(QStringLiteral("started"), nRequest, strIp, nCmd); });
    connect(pOutcome, &RequestOutcome::sigReplyDelivering, &context,
            [&](quint64 nRequest, QString strIp, int nCmd) { record(QStringLiteral("delivering"), nRequest, strIp, nCmd); });
    connect(pOutcome, &RequestOutcome::sigRequestFinished, &context, [&](quint64 nRequest, QString strIp, int nCmd, int nEnded) {
        record(QStringLiteral("finished%1").arg(nEnded), nRequest, strIp, nCmd);
    });

    CHttp::getInstance()->httpGet(url, QStringLiteral("GetEnv"));
    QCOMPARE(listReports.size(), 1);
    const quint64 nRequest = listReports.first().section(QLatin1Char(':'), 1, 1).toULongLong();
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.count(kFinished), 1, kWaitMs);

    QStringList listExpected{QStringLiteral("started:%1:127.0.0.1:1").arg(nRequest)};
    if (nOutcome == RequestOutcome::Answered || nOutcome == RequestOutcome::Unreadable)
        listExpected.append(QStringLiteral("delivering:%1:127.0.0.1:1").arg(nRequest));
    listExpected.append(QStringLiteral("finished%1:%2:127.0.0.1:1").arg(nOutcome).arg(nRequest));
    QCOMPARE(listReports, listExpected);
    if (!bRefused)
        delete pCamera;
}

// Run inside a network namespace where a local address sits on a dummy interface and no
// NetworkManager is reachable; the address is given in KESTROVA_TEST_LOCAL_ADDRESS.
void TestCHttp::requestToNonLoopbackAddress()
{
    const QHostAddress address(qEnvironmentVariable("KESTROVA_TEST_LOCAL_ADDRESS"));
    if (address.isNull() || address.isLoopback())
        QSKIP("needs KESTROVA_TEST_LOCAL_ADDRESS, a non-loopback address of a private network namespace");
    FakeHttpCamera camera;
    QVERIFY(camera.listen(address));
    camera.setReply(QStringLiteral("SetEnv"), kStatusBody);

    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(camera, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), 2, kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, (QStringList{QStringLiteral("status:%1:0").arg(address.toString()), kFinished}));
}

QTEST_GUILESS_MAIN(TestCHttp)
#include "tst_chttp.moc"
