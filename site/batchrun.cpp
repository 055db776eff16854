#include "site/batchrun.h"

#include <QStringList>

#include <algorithm>

namespace {
const QString kBack = QStringLiteral("%1 back at their new addresses");
const QString kBackOne = QStringLiteral("1 back at its new address");
const QString kFailed = QStringLiteral("%1 failed: %2");
const QString kNotWritten = QStringLiteral("%1 not written (cancelled)");
const QString kFailure = QStringLiteral("%1 %2");
const QString kSummarySeparator = QStringLiteral(", ");
const QString kFailureSeparator = QStringLiteral("; ");
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
    m_listOrder.clear();
    m_hashWrites.clear();
    m_hashStages.clear();
    m_hashWhy.clear();
    m_nWriting = 0;
    m_bCancelled = false;
    m_bRunning = true;
    for (const auto &write : listWrites) {
        m_listOrder.append(write.first);
        m_hashWrites.insert(write.first, write.second);
        m_hashStages.insert(write.first, Stage::Waiting);
    }
    sendNext();
    finishIfDone();
}

void BatchRun::cancel()
{
    if (!m_bRunning)
        return;
    m_bCancelled = true;
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

void BatchRun::noteWriteEnded(quint64 nRowId, bool bWritten, const QString &strWhy)
{
    if (m_hashStages.value(nRowId, Stage::Skipped) != Stage::Writing)
        return;
    --m_nWriting;
    m_hashStages.insert(nRowId, bWritten ? Stage::Watching : Stage::Failed);
    if (!bWritten)
        m_hashWhy.insert(nRowId, strWhy);
    sendNext();
    finishIfDone();
}

void BatchRun::noteWatchEnded(quint64 nRowId, bool bBack, const QString &strWhy)
{
    if (m_hashStages.value(nRowId, Stage::Skipped) != Stage::Watching)
        return;
    m_hashStages.insert(nRowId, bBack ? Stage::Back : Stage::Failed);
    if (!bBack)
        m_hashWhy.insert(nRowId, strWhy);
    finishIfDone();
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
    if (!m_bRunning)
        return;
    if (std::any_of(m_hashStages.cbegin(), m_hashStages.cend(), isUnderWay))
        return;
    m_bRunning = false;
    emit sigFinished(summary(), m_hashStages.values().contains(Stage::Failed));
}

QString BatchRun::summary() const
{
    int nBack = 0;
    int nSkipped = 0;
    QStringList listFailures;
    for (quint64 nRowId : m_listOrder) {
        switch (m_hashStages.value(nRowId)) {
        case Stage::Back:
            ++nBack;
            break;
        case Stage::Skipped:
            ++nSkipped;
            break;
        case Stage::Failed:
            listFailures.append(kFailure.arg(m_hashWrites.value(nRowId).strIp, m_hashWhy.value(nRowId)));
            break;
        default:
            break;
        }
    }
    QStringList listParts{nBack == 1 ? kBackOne : kBack.arg(nBack)};
    if (!listFailures.isEmpty())
        listParts.append(kFailed.arg(listFailures.size()).arg(listFailures.join(kFailureSeparator)));
    if (nSkipped > 0)
        listParts.append(kNotWritten.arg(nSkipped));
    return listParts.join(kSummarySeparator);
}
