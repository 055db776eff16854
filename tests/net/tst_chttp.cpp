#include <QtTest>

#include <QNetworkRequest>
#include <QTcpSocket>
#include <QUrlQuery>

#include <atomic>
#include <chrono>
#include <functional>
#include <cerrno>
#include <algorithm>
#include <memory>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "app/mainmodel.h"
#include "core/commonsignal.h"
#include "net/chttp.h"
#include "net/httpqueue.h"
#include "net/requestoutcome.h"
#include "support/fakehttpcamera.h"
#include "support/hubrecorder.h"
#include "support/teststep.h"

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
const QString kQueryVersionJson = QStringLiteral(R"({"QueryState":{"QueryVersion":{}}})");

// A listening socket on a free loopback port; -1 when none can be made. A backlog of 0
// queues exactly one connection that is never accepted.
int listenOnLoopback(int nBacklog, quint16 &nPort)
{
    const int nSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t nLength = sizeof(address);
    if (nSocket < 0 || ::bind(nSocket, reinterpret_cast<sockaddr *>(&address), nLength) != 0
        || ::listen(nSocket, nBacklog) != 0 || ::getsockname(nSocket, reinterpret_cast<sockaddr *>(&address), &nLength) != 0) {
        if (nSocket >= 0)
            ::close(nSocket);
        return -1;
    }
    nPort = ntohs(address.sin_port);
    return nSocket;
}

// "QueryVersion" as the program sends it: its command in a form body.
void postQueryVersion(const QUrl &url)
{
    QNetworkRequest request(url.adjusted(QUrl::RemoveQuery));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    QUrlQuery body;
    body.addQueryItem(QStringLiteral("szCmd"), kQueryVersionJson);
    CHttp::getInstance()->httpPost(request, body, QStringLiteral("QueryVersion"));
}

QUrl loopbackUrl(quint16 nPort, const QString &strJson)
{
    QUrl url(QStringLiteral("http://127.0.0.1:%1/ajaxcom").arg(nPort));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("szCmd"), strJson);
    url.setQuery(query);
    return url;
}

/**
 * A peer whose one listening slot is taken by a connection nobody accepts: the kernel
 * drops every further connection attempt, which then hangs as towards a host that does
 * not answer.
 */
class UnopenablePeer
{
public:
    UnopenablePeer() { m_nListener = listenOnLoopback(0, m_nPort); }
    ~UnopenablePeer()
    {
        if (m_nListener >= 0)
            ::close(m_nListener);
    }
    // Takes the one slot; false when the peer could not be set up.
    bool fill()
    {
        m_filler.connectToHost(QHostAddress::LocalHost, m_nPort);
        return m_nListener >= 0 && m_filler.waitForConnected(kWaitMs);
    }
    quint16 port() const { return m_nPort; }

private:
    int m_nListener = -1;
    quint16 m_nPort = 0;
    QTcpSocket m_filler;
};

/**
 * A peer on a thread of its own, with blocking writes, so that what it manages to send
 * depends only on how much the client reads, whatever the client's GUI thread is doing.
 * It accepts one connection, reads the request head and hands the connection to its
 * answer, which sends through sendAll() and counts what it sent.
 */
class ThreadedPeer
{
public:
    using Answer = std::function<void(ThreadedPeer &peer, int nConnection)>;

    explicit ThreadedPeer(Answer answer)
        : m_answer(std::move(answer))
    {
        m_nListener = listenOnLoopback(1, m_nPort);
        if (m_nListener >= 0)
            m_thread = std::thread([this] { serve(); });
    }
    ~ThreadedPeer()
    {
        m_bStop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_nListener >= 0)
            ::close(m_nListener);
    }
    bool isListening() const { return m_nListener >= 0; }
    quint16 port() const { return m_nPort; }
    bool isStopping() const { return m_bStop; }
    // Body bytes the kernel has taken from the peer so far.
    qint64 bytesSent() const { return m_nSent; }
    void countSent(qint64 nBytes) { m_nSent += nBytes; }

    // Blocks until the kernel has taken every byte; false once the client has gone.
    bool sendAll(int nConnection, const QByteArray &baBytes) const
    {
        qint64 nDone = 0;
        while (nDone < baBytes.size() && !m_bStop) {
            const ssize_t nWritten = ::send(nConnection, baBytes.constData() + nDone, size_t(baBytes.size() - nDone), MSG_NOSIGNAL);
            if (nWritten >= 0)
                nDone += nWritten;
            else if (errno != EAGAIN && errno != EWOULDBLOCK)
                return false;
        }
        return nDone == baBytes.size();
    }

private:
    static constexpr int kPollMs = 50;

    void serve()
    {
        const int nConnection = acceptOne();
        if (nConnection < 0)
            return;
        // Writes give up now and then, so that a client that stops reading cannot keep
        // the peer from ending.
        const timeval stTimeout{0, kPollMs * 1000};
        ::setsockopt(nConnection, SOL_SOCKET, SO_SNDTIMEO, &stTimeout, sizeof(stTimeout));
        readHead(nConnection);
        m_answer(*this, nConnection);
        while (!m_bStop)
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        ::close(nConnection);
    }
    int acceptOne()
    {
        pollfd stPoll{m_nListener, POLLIN, 0};
        while (!m_bStop) {
            if (::poll(&stPoll, 1, kPollMs) > 0)
                return ::accept(m_nListener, nullptr, nullptr);
        }
        return -1;
    }
    static void readHead(int nConnection)
    {
        QByteArray baRead;
        char szBuffer[1024];
        while (!baRead.contains("\r\n\r\n")) {
            const ssize_t nRead = ::recv(nConnection, szBuffer, sizeof(szBuffer), 0);
            if (nRead <= 0)
                return;
            baRead.append(szBuffer, int(nRead));
        }
    }

    Answer m_answer;
    int m_nListener = -1;
    quint16 m_nPort = 0;
    std::thread m_thread;
    std::atomic<bool> m_bStop{false};
    std::atomic<qint64> m_nSent{0};
};

// How an endless body is delimited: with a Content-Length, in chunks, or by the close.
enum class Framing { Length, Chunked, UntilClose };

// An answer whose body never ends (1 GiB of spaces), sent as fast as the client reads it
// but never faster than a fast link carries it (128 MB/s, beyond gigabit Ethernet): a peer
// on loopback could otherwise outrun any reader, which no camera on a wire can.
ThreadedPeer::Answer endlessBody(Framing framing)
{
    return [framing](ThreadedPeer &peer, int nConnection) {
        constexpr qint64 kBodyBytes = 1024LL * 1024 * 1024;
        constexpr int kChunkBytes = 64 * 1024;
        constexpr std::chrono::microseconds kChunkInterval{500};
        QByteArray baHead = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n";
        if (framing == Framing::Length)
            baHead += "Content-Length: " + QByteArray::number(kBodyBytes) + "\r\n";
        else if (framing == Framing::Chunked)
            baHead += "Transfer-Encoding: chunked\r\n";
        else
            baHead += "Connection: close\r\n";
        const QByteArray baChunk(kChunkBytes, ' ');
        const QByteArray baFramed = framing == Framing::Chunked
            ? QByteArray::number(kChunkBytes, 16) + "\r\n" + baChunk + "\r\n" : baChunk;
        bool bOpen = peer.sendAll(nConnection, baHead + "\r\n");
        auto nextChunk = std::chrono::steady_clock::now();
        while (bOpen && !peer.isStopping() && peer.bytesSent() < kBodyBytes) {
            std::this_thread::sleep_until(nextChunk);
            nextChunk += kChunkInterval;
            bOpen = peer.sendAll(nConnection, baFramed);
            if (bOpen)
                peer.countSent(kChunkBytes);
        }
    };
}

} // namespace

Q_DECLARE_METATYPE(Framing)

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
    void requestsToOneHostShareOneConnection();
    void requestsBeyondTheBoundWait();
    void unopenedConnectionFailsWaitingRequests_data();
    void unopenedConnectionFailsWaitingRequests();
    void firstRequestAnsweredAfterConnectBound();
    void tricklingAnswerEndsAtTimeout();
    void endlessBodyNotBuffered_data();
    void endlessBodyNotBuffered();
    void compressedBodyNotInflated();
    void asideRequestAnswered();
    void asideRequestAfterContextGone();

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

// Destroying the client drops its requests, under way and waiting: nothing is handled,
// reported or sent afterwards, not even once the requests would have timed out one after
// the other.
void TestCHttp::destroyWithRequestInFlight()
{
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setSilent(true);
    CHttp *pFirst = CHttp::getInstance();
    pFirst->setTransferTimeout(kShortTimeoutMs);
    pFirst->httpPost(QNetworkRequest(cameraUrl(camera, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    pFirst->httpPost(QNetworkRequest(cameraUrl(camera, kSetEnvJson)), QUrlQuery(), QStringLiteral("SetEnv"));
    QCOMPARE(pFirst->pendingCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(camera.requests().size(), 1, kWaitMs);
    int nFinished = 0;
    QObject context;
    connect(RequestOutcome::getInstance(), &RequestOutcome::sigRequestFinished, &context, [&nFinished] { ++nFinished; });

    CHttp::destroyInstance();
    QTest::qWait(kShortTimeoutMs * 4);
    QVERIFY(m_pRecorder->m_listEvents.isEmpty());
    QCOMPARE(nFinished, 0);
    QCOMPARE(camera.requests().size(), 1);
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

// Two commands to one camera: taken at once and both pending, sent one after the other
// (the second only once the first, held back by the camera, has been answered), in
// order, over one connection.
void TestCHttp::requestsToOneHostShareOneConnection()
{
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("QueryVersion"), kRoutedBody);
    camera.setReply(QStringLiteral("GetEnv"), kRoutedBody);
    camera.setReplyDelay(QStringLiteral("QueryVersion"), kLargeDelayMs);
    QElapsedTimer timer;
    QList<qint64> listReceivedMs;
    connect(&camera, &FakeHttpCamera::requestReceived, this, [&] { listReceivedMs.append(timer.elapsed()); });

    timer.start();
    CHttp::getInstance()->httpPost(QNetworkRequest(cameraUrl(camera, kQueryVersionJson)), QUrlQuery(), QStringLiteral("QueryVersion"));
    CHttp::getInstance()->httpGet(cameraUrl(camera, kGetEnvJson), QStringLiteral("GetEnv"));
    QCOMPARE(CHttp::getInstance()->pendingCount(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), 3, kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents,
             (QStringList{"fw:127.0.0.1:V1.2.3:V0.0.0:V0.0.0", "eth:127.0.0.1:192.168.1.10:1", kFinished}));
    QCOMPARE(camera.requests().size(), 2);
    QCOMPARE(camera.requests().at(0).command, QStringLiteral("QueryVersion"));
    QCOMPARE(camera.requests().at(1).command, QStringLiteral("GetEnv"));
    QVERIFY2(listReceivedMs.last() - listReceivedMs.first() >= kLargeDelayMs,
             qPrintable(QStringLiteral("received at %1 and %2 ms").arg(listReceivedMs.first()).arg(listReceivedMs.last())));
    QCOMPARE(camera.connectionCount(), 1);
}

// One host more than may be under way: its request waits, unsent, until one of the others
// has ended, and then gets its whole transfer timeout from the moment it is sent.
void TestCHttp::requestsBeyondTheBoundWait()
{
    constexpr int kCameras = HttpQueue::HTTP_MAX_IN_FLIGHT + 1;
    constexpr int kTimeoutMs = 3000;
    std::vector<std::unique_ptr<FakeHttpCamera>> listCamera;
    for (int nCamera = 0; nCamera < kCameras; ++nCamera) {
        listCamera.push_back(std::make_unique<FakeHttpCamera>());
        STEP(startCamera(*listCamera.back()));
        listCamera.back()->setSilent(true);
    }
    CHttp::getInstance()->setTransferTimeout(kTimeoutMs);
    int nEnded = 0;
    int nEndedBeforeLast = -1;
    QElapsedTimer lastSent;
    qint64 nLastLastedMs = -1;
    QObject context;
    connect(RequestOutcome::getInstance(), &RequestOutcome::sigRequestFinished, &context, [&nEnded] { ++nEnded; });
    connect(listCamera.back().get(), &FakeHttpCamera::requestReceived, &context, [&] {
        nEndedBeforeLast = nEnded;
        lastSent.start();
    });
    connect(CommonSignal::getInstance(), &CommonSignal::sigGetEnvFinished, &context,
            [&] { nLastLastedMs = lastSent.isValid() ? lastSent.elapsed() : -1; });

    for (const auto &pCamera : listCamera)
        CHttp::getInstance()->httpGet(cameraUrl(*pCamera, kGetEnvJson), QStringLiteral("GetEnv"));
    QCOMPARE(CHttp::getInstance()->pendingCount(), kCameras);
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents, QStringList{kFinished}, 4 * kTimeoutMs);
    QCOMPARE(nEnded, kCameras);
    QCOMPARE(listCamera.back()->requests().size(), 1);
    QVERIFY2(nEndedBeforeLast >= 1, qPrintable(QString::number(nEndedBeforeLast)));
    // Had its timeout run while it waited, it would have ended as soon as it was sent.
    QVERIFY2(nLastLastedMs >= kTimeoutMs / 2, qPrintable(QString::number(nLastLastedMs)));
}

void TestCHttp::unopenedConnectionFailsWaitingRequests_data()
{
    QTest::addColumn<QString>("strFirstCmd");
    QTest::addColumn<bool>("bRefused");
    QTest::addColumn<QStringList>("listExpected");

    const QStringList listSetEnv{kTipsFailed, kFinished};
    QTest::newRow("opened on its own, too slow") << QStringLiteral("SetEnv") << false << listSetEnv;
    QTest::newRow("opened by a body, too slow") << QStringLiteral("QueryVersion") << false << QStringList{kFinished};
    QTest::newRow("opened on its own, refused") << QStringLiteral("SetEnv") << true << listSetEnv;
    QTest::newRow("opened by a body, refused") << QStringLiteral("QueryVersion") << true << QStringList{kFinished};
}

// A host whose connection does not open, whether the first request opens it itself (a
// body) or not: that request ends when the connection fails (after the connect bound when
// it hangs), and the one waiting behind it for the same host ends with it, neither of them
// sent.
void TestCHttp::unopenedConnectionFailsWaitingRequests()
{
    QFETCH(QString, strFirstCmd);
    QFETCH(bool, bRefused);
    QFETCH(QStringList, listExpected);
    UnopenablePeer peer;
    quint16 nPort = peer.port();
    if (bRefused) {
        FakeHttpCamera closed;
        startCamera(closed);
        nPort = closed.port();
    } else {
        QVERIFY(peer.fill());
    }
    const int nOutcome = bRefused ? RequestOutcome::Refused : RequestOutcome::TimedOut;
    QList<qint64> listEndedMs;
    QElapsedTimer timer;
    QObject context;
    connect(RequestOutcome::getInstance(), &RequestOutcome::sigRequestFinished, &context,
            [&](quint64, QString, int, int nEnded) {
                QCOMPARE(nEnded, nOutcome);
                listEndedMs.append(timer.elapsed());
            });
    const QString strLog = bRefused ? QStringLiteral("error: \"ConnectionRefusedError\" \"Connection refused\" \"127.0.0.1\"")
                                    : QStringLiteral("errorTimeOut: connection not opened within %1 ms \"127.0.0.1\"")
                                          .arg(HttpQueue::HTTP_CONNECT_TIMEOUT_MS);
    QTest::ignoreMessage(QtDebugMsg, qPrintable(strLog));
    QTest::ignoreMessage(QtDebugMsg, qPrintable(strLog));

    timer.start();
    if (strFirstCmd == QLatin1String("QueryVersion"))
        postQueryVersion(loopbackUrl(nPort, kQueryVersionJson));
    else
        CHttp::getInstance()->httpPost(QNetworkRequest(loopbackUrl(nPort, kSetEnvJson)), QUrlQuery(), strFirstCmd);
    CHttp::getInstance()->httpGet(loopbackUrl(nPort, kGetEnvJson), QStringLiteral("GetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), listExpected.size(), kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents, listExpected);
    QCOMPARE(listEndedMs.size(), 2);
    QVERIFY(bRefused || listEndedMs.first() >= HttpQueue::HTTP_CONNECT_TIMEOUT_MS);
    QVERIFY2(listEndedMs.last() - listEndedMs.first() < HttpQueue::HTTP_CONNECT_TIMEOUT_MS / 2,
             qPrintable(QStringLiteral("ended at %1 and %2 ms").arg(listEndedMs.first()).arg(listEndedMs.last())));
}

// A first request that opens its connection itself, answered only after the connect bound:
// its body has left, so the connection counts as open and the bound no longer applies.
void TestCHttp::firstRequestAnsweredAfterConnectBound()
{
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("QueryVersion"), kRoutedBody);
    camera.setReply(QStringLiteral("GetEnv"), kRoutedBody);
    camera.setReplyDelay(QStringLiteral("QueryVersion"), HttpQueue::HTTP_CONNECT_TIMEOUT_MS + kLargeDelayMs);

    postQueryVersion(cameraUrl(camera, kQueryVersionJson));
    CHttp::getInstance()->httpGet(cameraUrl(camera, kGetEnvJson), QStringLiteral("GetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents.size(), 3, kWaitMs);
    QCOMPARE(m_pRecorder->m_listEvents,
             (QStringList{"fw:127.0.0.1:V1.2.3:V0.0.0:V0.0.0", "eth:127.0.0.1:192.168.1.10:1", kFinished}));
    QCOMPARE(camera.connectionCount(), 1);
}

// A peer that keeps the transfer alive with a byte now and then: the request still ends
// once it has lasted the transfer timeout in all, long before the answer would be whole.
void TestCHttp::tricklingAnswerEndsAtTimeout()
{
    constexpr int kBytes = 500;
    static constexpr std::chrono::milliseconds kByteInterval{20};
    ThreadedPeer peer([](ThreadedPeer &self, int nConnection) {
        bool bOpen = self.sendAll(nConnection, "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(kBytes) + "\r\n\r\n");
        for (int nByte = 0; bOpen && !self.isStopping() && nByte < kBytes; ++nByte) {
            std::this_thread::sleep_for(kByteInterval);
            bOpen = self.sendAll(nConnection, " ");
            self.countSent(bOpen ? 1 : 0);
        }
    });
    QVERIFY(peer.isListening());
    CHttp::getInstance()->setTransferTimeout(kShortTimeoutMs);
    QList<int> listOutcomes;
    QObject context;
    connect(RequestOutcome::getInstance(), &RequestOutcome::sigRequestFinished, &context,
            [&](quint64, QString, int, int nOutcome) { listOutcomes.append(nOutcome); });

    QElapsedTimer timer;
    timer.start();
    CHttp::getInstance()->httpGet(loopbackUrl(peer.port(), kGetEnvJson), QStringLiteral("GetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents, QStringList{kFinished}, kWaitMs);
    QCOMPARE(listOutcomes, QList<int>{RequestOutcome::TimedOut});
    QVERIFY2(timer.elapsed() >= kShortTimeoutMs && peer.bytesSent() < kBytes / 2,
             qPrintable(QStringLiteral("ended after %1 ms, %2 bytes").arg(timer.elapsed()).arg(peer.bytesSent())));
}

void TestCHttp::endlessBodyNotBuffered_data()
{
    QTest::addColumn<QString>("strCmd");
    QTest::addColumn<Framing>("framing");
    QTest::addColumn<QStringList>("listExpected");

    const QStringList listGetEnv{kFinished};
    const QStringList listSetEnv{kTipsFailed, kFinished};
    QTest::newRow("GET, Content-Length") << QStringLiteral("GetEnv") << Framing::Length << listGetEnv;
    QTest::newRow("GET, chunked") << QStringLiteral("GetEnv") << Framing::Chunked << listGetEnv;
    QTest::newRow("GET, until close") << QStringLiteral("GetEnv") << Framing::UntilClose << listGetEnv;
    QTest::newRow("POST, chunked") << QStringLiteral("SetEnv") << Framing::Chunked << listSetEnv;
}

// The size limit holds where the bytes are buffered, not only where they are read: while
// the GUI thread is busy, the network thread must stop reading at the limit. What the peer
// gets rid of then is the limit plus the kernel's socket buffers, far below the amount
// an unbounded reader takes in the same time.
void TestCHttp::endlessBodyNotBuffered()
{
    QFETCH(QString, strCmd);
    QFETCH(Framing, framing);
    QFETCH(QStringList, listExpected);
    constexpr qint64 kMostSentBytes = 32 * CHttp::HTTP_MAX_REPLY_BYTES;
    constexpr int kBusyMs = 1500;
    constexpr unsigned long kEventPassPauseUs = 200;
    ThreadedPeer peer(endlessBody(framing));
    QVERIFY(peer.isListening());
    CHttp::getInstance()->setTransferTimeout(kLongTimeoutMs);
    QTest::ignoreMessage(QtDebugMsg, "error: reply body larger than 1048576 bytes, aborted \"127.0.0.1\"");

    if (strCmd == QLatin1String("SetEnv"))
        CHttp::getInstance()->httpPost(QNetworkRequest(loopbackUrl(peer.port(), kSetEnvJson)), QUrlQuery(), strCmd);
    else
        CHttp::getInstance()->httpGet(loopbackUrl(peer.port(), kGetEnvJson), strCmd);
    // One pass of the event loop at a time, so that the busy spell begins as soon as the body
    // flows: a coarser wait could let a slow machine read past the limit first, and the
    // request would have ended before the spell.
    QElapsedTimer waited;
    waited.start();
    while (peer.bytesSent() == 0 && waited.elapsed() < kWaitMs) {
        QCoreApplication::processEvents();
        QThread::usleep(kEventPassPauseUs);
    }
    QVERIFY(peer.bytesSent() > 0);
    QVERIFY(m_pRecorder->m_listEvents.isEmpty());
    // The GUI thread does nothing else for a while, as on a loaded machine.
    QTest::qSleep(kBusyMs);
    QVERIFY2(peer.bytesSent() < kMostSentBytes, qPrintable(QString::number(peer.bytesSent())));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents, listExpected, kWaitMs);
}

// A compressed answer stays as it came: the request asks for none, and what a camera sends
// compressed anyway is handed on unread, so no parser can use it and nothing inflates it.
void TestCHttp::compressedBodyNotInflated()
{
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("GetEnv"), qCompress(kRoutedBody).mid(int(sizeof(quint32))));
    camera.setReplyHeader(QStringLiteral("GetEnv"), "Content-Encoding", "deflate");
    int nOutcome = -1;
    QObject context;
    connect(RequestOutcome::getInstance(), &RequestOutcome::sigRequestFinished, &context,
            [&nOutcome](quint64, QString, int, int nEnded) { nOutcome = nEnded; });

    CHttp::getInstance()->httpGet(cameraUrl(camera, kGetEnvJson), QStringLiteral("GetEnv"));
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents, QStringList{kFinished}, kWaitMs);
    QCOMPARE(nOutcome, int(RequestOutcome::Unreadable));
    QCOMPARE(camera.requests().first().headers.value("accept-encoding"), QByteArray("identity"));
}

// Outside the batch: the body comes back to the caller, and nothing else hears of it.
void TestCHttp::asideRequestAnswered()
{
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("GetEnv"), kRoutedBody);
    int nReports = 0;
    QObject context;
    const auto count = [&nReports] { ++nReports; };
    connect(RequestOutcome::getInstance(), &RequestOutcome::sigRequestStarted, &context, count);
    connect(RequestOutcome::getInstance(), &RequestOutcome::sigRequestFinished, &context, count);
    QList<QPair<int, QByteArray>> listDone;

    CHttp::getInstance()->httpGetAside(cameraUrl(camera, kGetEnvJson), &context,
                                       [&listDone](RequestOutcome::Outcome outcome, const QByteArray &baBody) {
                                           listDone.append(qMakePair(int(outcome), baBody));
                                       });
    QCOMPARE(CHttp::getInstance()->pendingCount(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(listDone.size(), 1, kWaitMs);
    QCOMPARE(listDone.first(), qMakePair(int(RequestOutcome::Answered), kRoutedBody));
    QCOMPARE(camera.requests().first().command, QStringLiteral("GetEnv"));
    QCOMPARE(camera.requests().first().headers.value("accept-encoding"), QByteArray("identity"));
    QCOMPARE(CHttp::getInstance()->pendingCount(), 0);
    QVERIFY(m_pRecorder->m_listEvents.isEmpty());
    QCOMPARE(nReports, 0);
}

// A caller gone before its answer is not called back; the request after it, to the same
// camera and so handled after it, shows that the answer has been through.
void TestCHttp::asideRequestAfterContextGone()
{
    FakeHttpCamera camera;
    startCamera(camera);
    camera.setReply(QStringLiteral("GetEnv"), kRoutedBody);
    camera.setReplyDelay(QStringLiteral("GetEnv"), kLargeDelayMs);
    auto *pGone = new QObject;
    int nGoneCalls = 0;
    QList<int> listLater;
    QObject context;

    CHttp::getInstance()->httpGetAside(cameraUrl(camera, kGetEnvJson), pGone,
                                       [&nGoneCalls](RequestOutcome::Outcome, const QByteArray &) { ++nGoneCalls; });
    CHttp::getInstance()->httpGetAside(cameraUrl(camera, kGetEnvJson), &context,
                                       [&listLater](RequestOutcome::Outcome outcome, const QByteArray &) {
                                           listLater.append(outcome);
                                       });
    QTRY_COMPARE_WITH_TIMEOUT(camera.requests().size(), 1, kWaitMs);
    delete pGone;
    QTRY_COMPARE_WITH_TIMEOUT(listLater, QList<int>{RequestOutcome::Answered}, kWaitMs);
    QCOMPARE(camera.requests().size(), 2);
    QCOMPARE(nGoneCalls, 0);
}

QTEST_GUILESS_MAIN(TestCHttp)
#include "tst_chttp.moc"
