#include "net/requestoutcome.h"

#include <QHash>

#include "core/lazyinstance.h"

namespace {

LazyInstance<RequestOutcome> s_instance;

constexpr int SUCCESS_FIRST = 200;
constexpr int REDIRECT_FIRST = 300;
constexpr int HTTP_ERROR_FIRST = 400;

const QHash<int, QString> s_hashOutcomeTexts = {
    {RequestOutcome::Answered, QStringLiteral("answered")},
    {RequestOutcome::Unreadable, QStringLiteral("unreadable reply")},
    {RequestOutcome::Refused, QStringLiteral("connection refused")},
    {RequestOutcome::Unreachable, QStringLiteral("cannot be reached")},
    {RequestOutcome::TimedOut, QStringLiteral("timed out")},
    {RequestOutcome::TooLarge, QStringLiteral("reply too large")},
    {RequestOutcome::Redirected, QStringLiteral("redirected elsewhere")},
    {RequestOutcome::HttpError, QStringLiteral("HTTP error")},
    {RequestOutcome::Failed, QStringLiteral("connection failed")},
    {RequestOutcome::OtherCamera, QStringLiteral("another camera answered")},
    {RequestOutcome::Unknown, QStringLiteral("outcome unknown")},
    {RequestOutcome::SharedAddress, QStringLiteral("the camera closes every connection and its address is shared: "
                                                   "a new connection could reach another device")},
};

} // namespace

RequestOutcome::RequestOutcome(QObject *parent)
    : QObject(parent)
{
}

RequestOutcome *RequestOutcome::getInstance()
{
    return s_instance.get([] { return new RequestOutcome; });
}

quint64 RequestOutcome::reportStarted(const QString &strIp, int nCmd)
{
    const quint64 nRequest = ++m_nLastRequest;
    emit sigRequestStarted(nRequest, strIp, nCmd);
    return nRequest;
}

void RequestOutcome::reportDelivering(quint64 nRequest, const QString &strIp, int nCmd)
{
    m_nDelivering = nRequest;
    m_bUnreadable = false;
    emit sigReplyDelivering(nRequest, strIp, nCmd);
}

void RequestOutcome::markUnreadable()
{
    if (m_nDelivering != 0)
        m_bUnreadable = true;
}

void RequestOutcome::markStatus(int nStatus)
{
    if (m_nDelivering != 0)
        emit sigReplyStatus(m_nDelivering, nStatus);
}

bool RequestOutcome::isDeliveringUnreadable() const
{
    return m_nDelivering != 0 && m_bUnreadable;
}

void RequestOutcome::reportOtherCamera(quint64 nRequest, const QString &strIp, const QString &strMac)
{
    emit sigOtherCamera(nRequest, strIp, strMac);
}

void RequestOutcome::reportFinished(quint64 nRequest, const QString &strIp, int nCmd, Outcome outcome)
{
    if (nRequest == m_nDelivering) {
        if (outcome == Answered && m_bUnreadable)
            outcome = Unreadable;
        m_nDelivering = 0;
        m_bUnreadable = false;
    }
    emit sigRequestFinished(nRequest, strIp, nCmd, outcome);
}

RequestOutcome::Outcome RequestOutcome::outcomeOfStatus(int nStatus)
{
    if (nStatus >= HTTP_ERROR_FIRST)
        return HttpError;
    if (nStatus >= REDIRECT_FIRST)
        return Redirected;
    return nStatus >= SUCCESS_FIRST ? Answered : Unreadable;
}

QString RequestOutcome::outcomeText(int nOutcome)
{
    return s_hashOutcomeTexts.value(nOutcome);
}
