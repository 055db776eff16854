#include "site/batchrun.h"

#include <QStringList>

#include <algorithm>

namespace {
const QString kBack = QStringLiteral("%1 back at their new addresses");
const QString kBackOne = QStringLiteral("1 back at its new address");
const QString kReleased = QStringLiteral("%1 rebooted onto DHCP");
const QString kFailed = QStringLiteral("%1 failed: %2");
const QString kUnknown = QStringLiteral("%1 with the outcome unknown: %2");
const QString kNotWritten = QStringLiteral("%1 not written (cancelled)");
const QString kReason = QStringLiteral("%1 %2");
const QString kCameraBack = QStringLiteral("back at its new address");
const QString kCameraReleased = QStringLiteral("rebooted onto DHCP: its new address is the DHCP server's to give");
const QString kSummarySeparator = QStringLiteral(", ");
const QString kReasonSeparator = QStringLiteral("; ");
} // namespace

bool BatchRun::isUnderWay(Stage stage)
{
    return stage == Stage::Waiting || stage == Stage::Writing || stage == Stage::Watching;
}

BatchRun::BatchRun(QObject *parent)
    : QObject(parent)
{
}

void BatchRun::start(const QList<QPair<quint64, DevInfo_S>> &listWrites)
{
    reset();
    for (const auto &write : listWrites)
        add(write.first, write.second);
    finishIfDone();
}

void BatchRun::open()
{
    reset();
    m_bOpen = true;
}

void BatchRun::add(quint64 nRowId, const DevInfo_S &stWrite)
{
    m_listOrder.append(nRowId);
    m_hashWrites.insert(nRowId, stWrite);
    m_hashStages.insert(nRowId, Stage::Waiting);
    sendNext();
}

void BatchRun::close()
{
    m_bOpen = false;
    finishIfDone();
}

void BatchRun::reset()
{
    m_listOrder.clear();
    m_hashWrites.clear();
    m_hashStages.clear();
    m_hashWhy.clear();
    m_nWriting = 0;
    m_bCancelled = false;
    m_bOpen = false;
    m_bRunning = true;
}

void BatchRun::cancel()
{
    if (!m_bRunning)
        return;
    m_bCancelled = true;
    m_bOpen = false;
    for (quint64 nRowId : qAsConst(m_listOrder)) {
        if (m_hashStages.value(nRowId) != Stage::Waiting)
            continue;
        m_hashStages.insert(nRowId, Stage::Skipped);
        emit sigSkipped(nRowId);
    }
    finishIfDone();
}

bool BatchRun::wasCancelled() const
{
    return m_bCancelled;
}

bool BatchRun::isRunning() const
{
    return m_bRunning;
}

bool BatchRun::isBusyWith(quint64 nRowId) const
{
    return m_bRunning && isUnderWay(m_hashStages.value(nRowId, Stage::Skipped));
}

// A write whose outcome is unknown is done with: nothing more can be learnt before a search.
void BatchRun::noteWriteEnded(quint64 nRowId, Write write, const QString &strWhy)
{
    if (m_hashStages.value(nRowId, Stage::Skipped) != Stage::Writing)
        return;
    --m_nWriting;
    if (write == Write::Written)
        m_hashStages.insert(nRowId, Stage::Watching);
    else
        endCamera(nRowId, write == Write::Unknown ? Stage::Unknown : Stage::Failed, strWhy);
    sendNext();
    finishIfDone();
}

void BatchRun::noteWatchEnded(quint64 nRowId, Watch watch, const QString &strWhy)
{
    if (m_hashStages.value(nRowId, Stage::Skipped) != Stage::Watching)
        return;
    static const QHash<int, Stage> s_hashStages = {{int(Watch::Back), Stage::Back},
                                                   {int(Watch::Released), Stage::Released},
                                                   {int(Watch::NotBack), Stage::Failed},
                                                   {int(Watch::Unknown), Stage::Unknown}};
    endCamera(nRowId, s_hashStages.value(int(watch)), strWhy);
    finishIfDone();
}

void BatchRun::endCamera(quint64 nRowId, Stage stage, const QString &strWhy)
{
    static const QHash<int, QString> s_hashTexts = {{int(Stage::Back), kCameraBack},
                                                    {int(Stage::Released), kCameraReleased}};
    m_hashStages.insert(nRowId, stage);
    m_hashWhy.insert(nRowId, strWhy);
    const bool bSucceeded = stage == Stage::Back || stage == Stage::Released;
    emit sigCameraDone(nRowId, bSucceeded, bSucceeded ? s_hashTexts.value(int(stage)) : strWhy);
}

// In the plan's order, as long as fewer than the bound are being written.
void BatchRun::sendNext()
{
    for (quint64 nRowId : qAsConst(m_listOrder)) {
        if (m_bCancelled || m_nWriting >= BATCH_WRITES_IN_FLIGHT)
            return;
        if (m_hashStages.value(nRowId) != Stage::Waiting)
            continue;
        m_hashStages.insert(nRowId, Stage::Writing);
        ++m_nWriting;
        emit sigWrite(nRowId, m_hashWrites.value(nRowId));
    }
}

void BatchRun::finishIfDone()
{
    if (!m_bRunning || m_bOpen)
        return;
    if (std::any_of(m_hashStages.cbegin(), m_hashStages.cend(), isUnderWay))
        return;
    m_bRunning = false;
    emit sigFinished(summary(), count(Stage::Failed) + count(Stage::Unknown) > 0);
}

QString BatchRun::summary() const
{
    const int nBack = count(Stage::Back);
    QStringList listParts{nBack == 1 ? kBackOne : kBack.arg(nBack)};
    if (const int nReleased = count(Stage::Released))
        listParts.append(kReleased.arg(nReleased));
    if (const int nFailed = count(Stage::Failed))
        listParts.append(kFailed.arg(nFailed).arg(reasons(Stage::Failed)));
    if (const int nUnknown = count(Stage::Unknown))
        listParts.append(kUnknown.arg(nUnknown).arg(reasons(Stage::Unknown)));
    if (const int nSkipped = count(Stage::Skipped))
        listParts.append(kNotWritten.arg(nSkipped));
    return listParts.join(kSummarySeparator);
}

int BatchRun::count(Stage stage) const
{
    return int(std::count(m_hashStages.cbegin(), m_hashStages.cend(), stage));
}

// "10.0.0.5 refused the write (status 2); ..." for the cameras at @p stage, in plan order.
QString BatchRun::reasons(Stage stage) const
{
    QStringList listReasons;
    for (quint64 nRowId : m_listOrder) {
        if (m_hashStages.value(nRowId) == stage)
            listReasons.append(kReason.arg(m_hashWrites.value(nRowId).strIp, m_hashWhy.value(nRowId)));
    }
    return listReasons.join(kReasonSeparator);
}
