#include "net/rebootwatch.h"

#include <QDebug>
#include <QTimer>

#include "core/timeunits.h"
#include "net/chttp.h"
#include "net/commandurl.h"
#include "net/ethsettingsjson.h"
#include "validate/addresscheck.h"
#include "validate/contactpolicy.h"

namespace {
const QString kNoAnswer = QStringLiteral("no answer yet");
const QString kOtherCamera = QStringLiteral("%1 answers there");
const QString kOtherValue = QStringLiteral("the camera there reports %1 %2, not %3");
const QString kNotSeen = QStringLiteral("asked %1 for %2 s; last: %3");
const QString kNeverContacted = QStringLiteral("%1 is never contacted");
} // namespace

RebootWatch::RebootWatch(QObject *parent)
    : QObject(parent)
{
}

void RebootWatch::watch(int nKey, const EthInfo_S &stWritten)
{
    Watch_S stWatch;
    stWatch.stWritten = stWritten;
    stWatch.strLastSeen = kNoAnswer;
    stWatch.nGeneration = ++m_nGeneration;
    stWatch.nIntervalMs = m_nIntervalMs;
    stWatch.nLimitMs = m_nLimitMs;
    stWatch.elapsed.start();
    m_hashWatches.insert(nKey, stWatch);
    if (!checkIpValid(stWritten.strIPAddr) || !ContactPolicy::mayContact(stWritten.strIPAddr)) {
        m_hashWatches.remove(nKey);
        emit sigNotSeen(nKey, kNeverContacted.arg(stWritten.strIPAddr));
        return;
    }
    scheduleQuestion(nKey);
}

void RebootWatch::stopAll()
{
    m_hashWatches.clear();
}

void RebootWatch::setTiming(int nIntervalMs, int nLimitMs)
{
    m_nIntervalMs = nIntervalMs;
    m_nLimitMs = nLimitMs;
}

// The first question waits one interval too: the camera answers the reboot order before
// it goes down.
void RebootWatch::scheduleQuestion(int nKey)
{
    const Watch_S &stWatch = m_hashWatches[nKey];
    const quint64 nGeneration = stWatch.nGeneration;
    QTimer::singleShot(stWatch.nIntervalMs, this, [this, nKey, nGeneration] { ask(nKey, nGeneration); });
}

void RebootWatch::ask(int nKey, quint64 nGeneration)
{
    const auto it = m_hashWatches.constFind(nKey);
    if (it == m_hashWatches.constEnd() || it->nGeneration != nGeneration)
        return;
    CHttp::getInstance()->httpGetAside(
        CommandUrl::getEnv(it->stWritten.strIPAddr), this,
        [this, nKey, nGeneration](RequestOutcome::Outcome outcome, const QByteArray &baBody) {
            judge(nKey, nGeneration, outcome, baBody);
        });
}

void RebootWatch::judge(int nKey, quint64 nGeneration, RequestOutcome::Outcome outcome, const QByteArray &baBody)
{
    auto it = m_hashWatches.find(nKey);
    if (it == m_hashWatches.end() || it->nGeneration != nGeneration)
        return;
    const QString strMismatch = outcome == RequestOutcome::Answered ? mismatch(it->stWritten, baBody)
                                                                      : RequestOutcome::outcomeText(outcome);
    if (strMismatch.isEmpty()) {
        qDebug() << "RebootWatch: back at" << it->stWritten.strIPAddr << it->stWritten.strMacAddr;
        m_hashWatches.erase(it);
        emit sigBack(nKey);
        return;
    }
    it->strLastSeen = strMismatch;
    giveUpOrRetry(nKey);
}

// What in the reply differs from what was written; empty when it is the camera, back.
QString RebootWatch::mismatch(const EthInfo_S &stWritten, const QByteArray &baBody) const
{
    EthInfo_S stSeen;
    if (!EthSettingsJson::readGetEnv(baBody, &stSeen))
        return RequestOutcome::outcomeText(RequestOutcome::Unreadable);
    if (stSeen.strMacAddr.compare(stWritten.strMacAddr, Qt::CaseInsensitive) != 0)
        return kOtherCamera.arg(stSeen.strMacAddr.isEmpty() ? QStringLiteral("a device without MAC") : stSeen.strMacAddr);
    const struct
    {
        const char *szName;
        QString strSeen;
        QString strWritten;
    } aFields[] = {
        {"address", stSeen.strIPAddr, stWritten.strIPAddr},
        {"mask", plainMaskText(stSeen.strSubMask), plainMaskText(stWritten.strSubMask)},
        {"gateway", stSeen.strGateway, stWritten.strGateway},
        {"DHCP", QString::number(stSeen.nDhcp > 0), QString::number(stWritten.nDhcp > 0)},
    };
    for (const auto &field : aFields) {
        if (field.strSeen != field.strWritten)
            return kOtherValue.arg(QLatin1String(field.szName), field.strSeen, field.strWritten);
    }
    return QString();
}

void RebootWatch::giveUpOrRetry(int nKey)
{
    const Watch_S &stWatch = m_hashWatches[nKey];
    if (stWatch.elapsed.elapsed() + stWatch.nIntervalMs <= stWatch.nLimitMs) {
        scheduleQuestion(nKey);
        return;
    }
    const QString strReason =
        kNotSeen.arg(stWatch.stWritten.strIPAddr).arg(stWatch.nLimitMs / MS_PER_SECOND).arg(stWatch.strLastSeen);
    qDebug() << "RebootWatch:" << strReason;
    m_hashWatches.remove(nKey);
    emit sigNotSeen(nKey, strReason);
}
