#include "bench/refclient.h"

#include <QNetworkRequest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "bench/processstats.h"
#include "net/commandurl.h"
#include "net/httprequestbytes.h"

namespace {

constexpr char kHeadEnd[] = "\r\n\r\n";
constexpr char kContentLength[] = "\ncontent-length:";
constexpr int kReadChunk = 4096;
constexpr int kEventsPerWait = 256;

QList<QByteArray> requestsFor(const QString &strIp)
{
    QList<QByteArray> listRequests;
    for (int nRead = 0; nRead < CameraReads::READS; ++nRead) {
        const QByteArray baBody = CameraReads::body(nRead);
        const QNetworkRequest request = CameraReads::request(strIp, nRead);
        listRequests.append(baBody.isEmpty() ? HttpRequestBytes::get(request) : HttpRequestBytes::post(request, baBody));
    }
    return listRequests;
}

// The body of a whole reply in @p baIn; false while it is not complete. Content-Length
// framing only, which is what the cameras send.
bool completeBody(const QByteArray &baIn, QByteArray &baBody)
{
    const int nHeadEnd = baIn.indexOf(kHeadEnd);
    if (nHeadEnd < 0)
        return false;
    const QByteArray baHead = baIn.left(nHeadEnd).toLower();
    const int nField = baHead.indexOf(kContentLength);
    const int nLength = nField < 0 ? 0 : baHead.mid(nField + int(sizeof kContentLength) - 1).split('\r').first().trimmed().toInt();
    const int nBodyStart = nHeadEnd + int(sizeof kHeadEnd) - 1;
    if (baIn.size() < nBodyStart + nLength)
        return false;
    baBody = baIn.mid(nBodyStart, nLength);
    return true;
}

} // namespace

RefClient::RefClient(const QStringList &listAddresses)
    : m_listAddresses(listAddresses)
{
    for (const QString &strIp : listAddresses)
        m_vecRequests.append(requestsFor(strIp));
    m_vecConnections.resize(CameraReads::MAX_AT_ONCE);
    for (int nSlot = CameraReads::MAX_AT_ONCE - 1; nSlot >= 0; --nSlot)
        m_vecFree.append(nSlot);
}

RefClient::Result_S RefClient::run(int nTimeoutMs)
{
    const double dCpuStart = ProcessStats::threadCpuMs();
    const qint64 nStartNs = ProcessStats::monotonicNs();
    const qint64 nDeadlineNs = nStartNs + qint64(nTimeoutMs * ProcessStats::kNsPerMs);
    m_nEpoll = epoll_create1(EPOLL_CLOEXEC);
    while (m_nOpen < CameraReads::MAX_AT_ONCE && openNext()) {
    }
    epoll_event events[kEventsPerWait];
    while (m_nOpen > 0 && ProcessStats::monotonicNs() < nDeadlineNs) {
        const int nReady = epoll_wait(m_nEpoll, events, kEventsPerWait, nTimeoutMs);
        for (int nEvent = 0; nEvent < nReady; ++nEvent)
            onEvent(m_vecConnections[int(events[nEvent].data.u32)], events[nEvent].events);
    }
    m_stResult.nFailed += m_vecRequests.size() - m_stResult.nAnswered - m_stResult.nFailed;
    m_stResult.dWallMs = double(ProcessStats::monotonicNs() - nStartNs) / ProcessStats::kNsPerMs;
    m_stResult.dCpuMs = ProcessStats::threadCpuMs() - dCpuStart;
    ::close(m_nEpoll);
    return m_stResult;
}

// Starts the connection of the next camera; false when none is left.
bool RefClient::openNext()
{
    if (m_nNext >= m_listAddresses.size())
        return false;
    const int nSlot = m_vecFree.takeLast();
    Connection_S &stConn = m_vecConnections[nSlot];
    stConn = Connection_S{socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0), m_nNext++, 0, QByteArray()};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(CommandUrl::HTTP_PORT);
    inet_pton(AF_INET, m_listAddresses.at(stConn.nCamera).toLatin1().constData(), &address.sin_addr);
    ::connect(stConn.nFd, reinterpret_cast<const sockaddr *>(&address), sizeof address);
    epoll_event event{};
    event.events = EPOLLOUT;
    event.data.u32 = quint32(nSlot);
    epoll_ctl(m_nEpoll, EPOLL_CTL_ADD, stConn.nFd, &event);
    ++m_nOpen;
    return true;
}

// Writable once: the connection is open (or failed). Readable: a reply is coming in.
void RefClient::onEvent(Connection_S &stConn, quint32 nEvents)
{
    if (nEvents & (EPOLLERR | EPOLLHUP)) {
        close(stConn, false);
        return;
    }
    if (nEvents & EPOLLOUT) {
        if (!sendStep(stConn))
            close(stConn, false);
        return;
    }
    char buffer[kReadChunk];
    const ssize_t nRead = ::read(stConn.nFd, buffer, sizeof buffer);
    if (nRead <= 0) {
        close(stConn, false);
        return;
    }
    stConn.baIn.append(buffer, int(nRead));
    QByteArray baBody;
    if (!completeBody(stConn.baIn, baBody))
        return;
    if (!CameraReads::isAnswer(baBody)) {
        close(stConn, false);
        return;
    }
    stConn.baIn.clear();
    if (++stConn.nStep == CameraReads::READS)
        close(stConn, true);
    else if (!sendStep(stConn))
        close(stConn, false);
}

// Sends the request of the current step and waits for its reply.
bool RefClient::sendStep(Connection_S &stConn)
{
    const QByteArray &baRequest = m_vecRequests.at(stConn.nCamera).at(stConn.nStep);
    if (::write(stConn.nFd, baRequest.constData(), size_t(baRequest.size())) != baRequest.size())
        return false;
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u32 = quint32(&stConn - m_vecConnections.data());
    return epoll_ctl(m_nEpoll, EPOLL_CTL_MOD, stConn.nFd, &event) == 0;
}

void RefClient::close(Connection_S &stConn, bool bAnswered)
{
    ::close(stConn.nFd);
    ++(bAnswered ? m_stResult.nAnswered : m_stResult.nFailed);
    m_vecFree.append(int(&stConn - m_vecConnections.data()));
    --m_nOpen;
    openNext();
}
