#include "net/checkedwrites.h"

#include <QDebug>
#include <QTimer>

#include "core/ethinfo_s.h"
#include "net/cameralink.h"
#include "net/commandurl.h"
#include "net/ethsettingsjson.h"

namespace {

bool sameMac(const QString &strSeen, const QString &strExpected)
{
    return !strExpected.isEmpty() && strSeen.compare(strExpected, Qt::CaseInsensitive) == 0;
}

// What an answer's status makes of the request, logged when it is no success.
RequestOutcome::Outcome outcomeOfAnswer(int nStatus, const QString &strIp)
{
    const RequestOutcome::Outcome outcome = RequestOutcome::outcomeOfStatus(nStatus);
    if (outcome == RequestOutcome::Redirected)
        qDebug() << "error:" << "redirect not followed, HTTP status" << nStatus << strIp;
    else if (outcome != RequestOutcome::Answered)
        qDebug() << "error:" << "HTTP status" << nStatus << strIp;
    return outcome;
}

} // namespace

CheckedWrites::CheckedWrites(QObject *parent)
    : QObject(parent)
{
}

void CheckedWrites::send(const Command_S &stCommand)
{
    const QString strKey = CommandUrl::hostKey(stCommand.url);
    m_hashAddresses[strKey].listWaiting.append(stCommand);
    QTimer::singleShot(0, this, [this, strKey] { startNext(strKey); });
}

void CheckedWrites::startNext(const QString &strKey)
{
    const auto it = m_hashAddresses.find(strKey);
    if (it == m_hashAddresses.end() || it->bBusy)
        return;
    if (it->listWaiting.isEmpty()) {
        if (!it->pLink)
            m_hashAddresses.erase(it);
        return;
    }
    Address_S &stAddress = *it;
    stAddress.stCurrent = stAddress.listWaiting.takeFirst();
    stAddress.bBusy = true;
    ++stAddress.nIdleGeneration;
    if (!resolveMac(strKey, stAddress.stCurrent)) {
        finish(strKey, RequestOutcome::Failed);
        return;
    }
    CameraLink *pLink = stAddress.pLink;
    if (pLink && pLink->isReusable() && sameMac(pLink->provenMac(), stAddress.stCurrent.strMac))
        sendCommand(strKey);
    else if (pLink && pLink->isReusable())
        sendCheck(strKey);
    else
        openLink(strKey, OpeningForCheck);
}

// A "Reboot" takes the MAC of the write it follows; without a MAC there is nothing to check.
bool CheckedWrites::resolveMac(const QString &strKey, Command_S &stCommand)
{
    const bool bReboot = stCommand.nCmd == CmdReboot;
    if (bReboot && stCommand.strMac.isEmpty())
        stCommand.strMac = takeRecentWrite(strKey);
    if (!stCommand.strMac.isEmpty())
        return true;
    if (bReboot)
        qDebug() << "error:" << "Reboot to" << stCommand.strIp << "refused: no write there within the last"
                 << RECENT_WRITE_MS << "ms, so no MAC to check the camera by";
    else
        qDebug() << "error:" << getCmdName(stCommand.nCmd) << "to" << stCommand.strIp
                 << "refused: no MAC to check the camera by";
    return false;
}

void CheckedWrites::openLink(const QString &strKey, Step step)
{
    Address_S &stAddress = m_hashAddresses[strKey];
    dropLink(stAddress);
    const QUrl &url = stAddress.stCurrent.url;
    auto *pLink = new CameraLink(url.host(QUrl::FullyDecoded), quint16(url.port(CommandUrl::HTTP_PORT)), this);
    stAddress.pLink = pLink;
    stAddress.step = step;
    connect(pLink, &CameraLink::sigOpened, this, [this, strKey, pLink] {
        if (isCurrentLink(strKey, pLink))
            linkOpened(strKey);
    });
    connect(pLink, &CameraLink::sigAnswered, this, [this, strKey, pLink](int nStatus, const QByteArray &baBody) {
        if (isCurrentLink(strKey, pLink))
            linkAnswered(strKey, nStatus, baBody);
    });
    connect(pLink, &CameraLink::sigFailed, this,
            [this, strKey, pLink](RequestOutcome::Outcome outcome, bool bBytesLeft) {
                if (isCurrentLink(strKey, pLink))
                    linkFailed(strKey, outcome, bBytesLeft);
            });
    pLink->open();
}

void CheckedWrites::sendCheck(const QString &strKey)
{
    Address_S &stAddress = m_hashAddresses[strKey];
    stAddress.step = Checking;
    stAddress.pLink->exchange(stAddress.stCurrent.baCheck, stAddress.stCurrent.nTransferTimeoutMs);
}

void CheckedWrites::sendCommand(const QString &strKey)
{
    Address_S &stAddress = m_hashAddresses[strKey];
    stAddress.step = Commanding;
    stAddress.pLink->exchange(stAddress.stCurrent.baRequest, stAddress.stCurrent.nTransferTimeoutMs);
}

void CheckedWrites::linkOpened(const QString &strKey)
{
    if (m_hashAddresses[strKey].step == OpeningForCheck)
        sendCheck(strKey);
    else
        sendCommand(strKey);
}

void CheckedWrites::linkAnswered(const QString &strKey, int nStatus, const QByteArray &baBody)
{
    Address_S &stAddress = m_hashAddresses[strKey];
    if (stAddress.step == Checking) {
        judgeCheck(strKey, nStatus, baBody);
        return;
    }
    const Command_S &stCommand = stAddress.stCurrent;
    if (stCommand.nCmd == CmdSetEnv)
        noteWrite(strKey, stCommand.strMac);
    // Whatever comes next on this connection reaches the camera that took this command.
    stAddress.pLink->setProvenMac(stCommand.strMac);
    const RequestOutcome::Outcome outcome = outcomeOfAnswer(nStatus, stCommand.strIp);
    finish(strKey, outcome, outcome == RequestOutcome::Answered ? baBody : QByteArray());
}

void CheckedWrites::linkFailed(const QString &strKey, RequestOutcome::Outcome outcome, bool bBytesLeft)
{
    const Address_S &stAddress = m_hashAddresses[strKey];
    const Command_S &stCommand = stAddress.stCurrent;
    if (stAddress.step == Commanding && bBytesLeft) {
        if (stCommand.nCmd == CmdSetEnv)
            noteWrite(strKey, stCommand.strMac);
        qDebug() << "error:" << getCmdName(stCommand.nCmd) << "to" << stCommand.strIp
                 << "left, then no usable answer:" << RequestOutcome::outcomeText(outcome) << "- outcome unknown";
        outcome = RequestOutcome::Unknown;
    }
    finish(strKey, outcome);
}

void CheckedWrites::judgeCheck(const QString &strKey, int nStatus, const QByteArray &baBody)
{
    Address_S &stAddress = m_hashAddresses[strKey];
    const Command_S &stCommand = stAddress.stCurrent;
    const RequestOutcome::Outcome outcome = outcomeOfAnswer(nStatus, stCommand.strIp);
    EthInfo_S stSeen;
    if (outcome != RequestOutcome::Answered) {
        finish(strKey, outcome);
    } else if (!EthSettingsJson::readGetEnv(baBody, &stSeen)) {
        qDebug() << "error:" << "the check's answer carries no settings" << stCommand.strIp;
        finish(strKey, RequestOutcome::Unreadable);
    } else if (!sameMac(stSeen.strMacAddr, stCommand.strMac)) {
        qDebug() << "error:" << getCmdName(stCommand.nCmd) << "not sent:" << stCommand.strIp << "answers with MAC"
                 << stSeen.strMacAddr << "instead of" << stCommand.strMac;
        finish(strKey, RequestOutcome::OtherCamera, QByteArray(), stSeen.strMacAddr);
    } else if (stAddress.pLink->isReusable()) {
        stAddress.pLink->setProvenMac(stCommand.strMac);
        sendCommand(strKey);
    } else if (m_setShared.contains(stCommand.strIp)) {
        qDebug() << "error:" << getCmdName(stCommand.nCmd) << "not sent:" << stCommand.strIp
                 << "closed the checked connection, and other devices answer at that address";
        finish(strKey, RequestOutcome::SharedAddress);
    } else {
        openLink(strKey, OpeningForCommand);
    }
}

void CheckedWrites::setSharedAddresses(const QSet<QString> &setAddresses)
{
    m_setShared = setAddresses;
}

// The reports come last, once this address is ready for its next command: a receiver may
// send another at once.
void CheckedWrites::finish(const QString &strKey, RequestOutcome::Outcome outcome, const QByteArray &baBody,
                           const QString &strMacSeen)
{
    Address_S &stAddress = m_hashAddresses[strKey];
    const Command_S stCommand = stAddress.stCurrent;
    stAddress.bBusy = false;
    stAddress.stCurrent = Command_S();
    keepOrDropLink(stAddress, stCommand.nCmd, outcome);
    if (stAddress.pLink) {
        const quint64 nGeneration = ++stAddress.nIdleGeneration;
        QTimer::singleShot(LINK_IDLE_MS, this, [this, strKey, nGeneration] { closeIdleLink(strKey, nGeneration); });
    }
    QTimer::singleShot(0, this, [this, strKey] { startNext(strKey); });
    emit sigFinished(stCommand.nRequest, stCommand.strIp, stCommand.nCmd, outcome, baBody, strMacSeen);
}

// Only a connection that carried a command to its answer, and may carry the reboot that
// follows, stays.
void CheckedWrites::keepOrDropLink(Address_S &stAddress, int nCmd, RequestOutcome::Outcome outcome)
{
    if (stAddress.pLink
        && (nCmd == CmdReboot || outcome != RequestOutcome::Answered || !stAddress.pLink->isReusable()))
        dropLink(stAddress);
}

void CheckedWrites::closeIdleLink(const QString &strKey, quint64 nGeneration)
{
    const auto it = m_hashAddresses.find(strKey);
    if (it == m_hashAddresses.end() || it->bBusy || it->nIdleGeneration != nGeneration)
        return;
    dropLink(*it);
    if (it->listWaiting.isEmpty())
        m_hashAddresses.erase(it);
}

bool CheckedWrites::isCurrentLink(const QString &strKey, const CameraLink *pLink) const
{
    const auto it = m_hashAddresses.constFind(strKey);
    return it != m_hashAddresses.constEnd() && it->bBusy && it->pLink == pLink;
}

void CheckedWrites::noteWrite(const QString &strKey, const QString &strMac)
{
    for (auto it = m_hashRecentWrites.begin(); it != m_hashRecentWrites.end();) {
        if (it->since.elapsed() > RECENT_WRITE_MS)
            it = m_hashRecentWrites.erase(it);
        else
            ++it;
    }
    RecentWrite_S &stWrite = m_hashRecentWrites[strKey];
    stWrite.strMac = strMac;
    stWrite.since.start();
}

QString CheckedWrites::takeRecentWrite(const QString &strKey)
{
    const RecentWrite_S stWrite = m_hashRecentWrites.take(strKey);
    return stWrite.since.isValid() && stWrite.since.elapsed() <= RECENT_WRITE_MS ? stWrite.strMac : QString();
}

void CheckedWrites::dropLink(Address_S &stAddress)
{
    if (!stAddress.pLink)
        return;
    stAddress.pLink->disconnect();
    stAddress.pLink->deleteLater();
    stAddress.pLink = nullptr;
}
