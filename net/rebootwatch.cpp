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
const QString kStillThere = QStringLiteral("still answering at %1: not rebooted yet");
const QString kGone = QStringLiteral("gone from %1; no answer yet at %2");
const QString kOtherValue = QStringLiteral("the camera there reports %1 %2, not %3");
const QString kNotSeen = QStringLiteral("asked %1 for %2 s; last: %3");
const QString kNeverContacted = QStringLiteral("%1 is never contacted");

bool isNoAnswer(RequestOutcome::Outcome outcome)
{
    return outcome == RequestOutcome::Refused || outcome == RequestOutcome::TimedOut
        || outcome == RequestOutcome::Unreachable;
}
} // namespace

RebootWatch::RebootWatch(QObject *parent)
    : QObject(parent)
{
}

void RebootWatch::watch(int nKey, const EthInfo_S &stWritten, const QString &strGoneAt)
{
    Watch_S stWatch;
    stWatch.stWritten = stWritten;
    stWatch.strGoneAt = strGoneAt.isEmpty() ? stWritten.strIPAddr : strGoneAt;
    stWatch.strLastSeen = kNoAnswer;
    stWatch.nGeneration = ++m_nGeneration;
    stWatch.nIntervalMs = m_nIntervalMs;
    stWatch.nLimitMs = m_nLimitMs;
    stWatch.elapsed.start();
    m_hashWatches.insert(nKey, stWatch);
    for (const QString &strAddress : {stWritten.strIPAddr, stWatch.strGoneAt}) {
        if (!ContactPolicy::mayContact(strAddress)) {
            m_hashWatches.remove(nKey);
            emit sigNotSeen(nKey, kNeverContacted.arg(strAddress));
            return;
        }
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
        CommandUrl::getEnv(it->bGone ? it->stWritten.strIPAddr : it->strGoneAt), this,
        [this, nKey, nGeneration](RequestOutcome::Outcome outcome, const QByteArray &baBody) {
            judge(nKey, nGeneration, outcome, baBody);
        });
}

void RebootWatch::judge(int nKey, quint64 nGeneration, RequestOutcome::Outcome outcome, const QByteArray &baBody)
{
    auto it = m_hashWatches.find(nKey);
    if (it == m_hashWatches.end() || it->nGeneration != nGeneration)
        return;
    EthInfo_S stSeen;
    const bool bRead = outcome == RequestOutcome::Answered && EthSettingsJson::readGetEnv(baBody, &stSeen);
    const bool bOtherMac = bRead && stSeen.strMacAddr.compare(it->stWritten.strMacAddr, Qt::CaseInsensitive) != 0;
    if (bOtherMac && (it->bGone || it->strGoneAt == it->stWritten.strIPAddr)) {
        qDebug() << "RebootWatch:" << stSeen.strMacAddr << "answers at" << it->stWritten.strIPAddr << "instead of"
                 << it->stWritten.strMacAddr;
        m_hashWatches.erase(it);
        emit sigOtherCamera(nKey, stSeen.strMacAddr);
        return;
    }
    if (!it->bGone) {
        noteGone(*it, outcome, bOtherMac);
    } else {
        const QString strMismatch = bRead ? mismatch(it->stWritten, stSeen) : RequestOutcome::outcomeText(
                                                outcome == RequestOutcome::Answered ? RequestOutcome::Unreadable : outcome);
        if (strMismatch.isEmpty()) {
            qDebug() << "RebootWatch: back at" << it->stWritten.strIPAddr << it->stWritten.strMacAddr;
            m_hashWatches.erase(it);
            emit sigBack(nKey);
            return;
        }
        it->strLastSeen = strMismatch;
    }
    giveUpOrRetry(nKey);
}

// Anything that answers at the old address as the camera keeps it there; another device
// answering at an old address that is not the new one means the camera has left it.
void RebootWatch::noteGone(Watch_S &stWatch, RequestOutcome::Outcome outcome, bool bOtherMac)
{
    if (isNoAnswer(outcome) || bOtherMac) {
        qDebug() << "RebootWatch: gone from" << stWatch.strGoneAt << stWatch.stWritten.strMacAddr;
        stWatch.bGone = true;
        stWatch.strLastSeen = kGone.arg(stWatch.strGoneAt, stWatch.stWritten.strIPAddr);
        return;
    }
    stWatch.strLastSeen = outcome == RequestOutcome::Answered ? kStillThere.arg(stWatch.strGoneAt)
                                                              : RequestOutcome::outcomeText(outcome);
}

// Which value in the camera's reply differs from what was written; empty when none does.
QString RebootWatch::mismatch(const EthInfo_S &stWritten, const EthInfo_S &stSeen)
{
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
