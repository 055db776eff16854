#include "bench/cyclerun.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUdpSocket>
#include <QWindow>

#include "app/control.h"
#include "app/mainmodel.h"
#include "bench/processstats.h"
#include "core/commonsignal.h"
#include "net/chttp.h"
#include "net/modifymodel.h"
#include "net/requestoutcome.h"
#include "ui/mainwindow.h"
#include "ui/modifymodule.h"

namespace {

constexpr int kColMac = 5;
constexpr int kColFw = 6;
constexpr int kResultDelayMs = 2000;
constexpr int kShowTimeoutMs = 10000;
constexpr int kIdleMs = 2000;
// Listening window and result delay, then room for a flood of addresses nobody answers at.
constexpr int kCycleTimeoutMs = 4000 + 120000;
constexpr int kColIp = 1;

// Outcome counts as recorded, with the result key of each.
const QHash<int, QString> s_hashOutcomeKeys = {
    {RequestOutcome::Answered, QStringLiteral("requestsAnswered")},
    {RequestOutcome::Unreadable, QStringLiteral("requestsUnreadable")},
    {RequestOutcome::TimedOut, QStringLiteral("requestsTimedOut")},
    {RequestOutcome::Unreachable, QStringLiteral("requestsUnreachable")},
    {RequestOutcome::Refused, QStringLiteral("requestsRefused")},
};
const QString kOtherOutcomesKey = QStringLiteral("requestsOtherFailures");

qint64 now()
{
    return ProcessStats::monotonicNs();
}

double nsToMs(qint64 nNs)
{
    return double(nNs) / ProcessStats::kNsPerMs;
}

bool isMainWindowHandle(const QWindow *pWindow)
{
    const QWidgetList listWidgets = QApplication::topLevelWidgets();
    for (const QWidget *pWidget : listWidgets) {
        if (qobject_cast<const MainWindow *>(pWidget) && pWidget->windowHandle() == pWindow)
            return true;
    }
    return false;
}

} // namespace

CycleRun::CycleRun(qint64 nExecNs, qint64 nMainNs, const QSet<QString> &setFillable, QObject *parent)
    : QObject(parent)
    , m_setFillable(setFillable)
    , m_nExecNs(nExecNs)
    , m_nMainNs(nMainNs)
{
    connectHubAhead();
    countRequests();
}

void CycleRun::markApplication()
{
    m_nAppNs = now();
    qApp->installEventFilter(this);
}

// The first show, expose and paint of the main window.
bool CycleRun::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    const QEvent::Type type = pEvent->type();
    if (type == QEvent::Show && !m_nShownNs && qobject_cast<MainWindow *>(pWatched))
        m_nShownNs = now();
    else if (type == QEvent::Paint && !m_nPaintedNs && qobject_cast<MainWindow *>(pWatched))
        m_nPaintedNs = now();
    else if (type == QEvent::Expose && !m_nExposedNs) {
        auto *pWindow = qobject_cast<QWindow *>(pWatched);
        if (pWindow && pWindow->isExposed() && isMainWindowHandle(pWindow)) {
            m_nExposedNs = now();
            wake();
        }
    }
    return QObject::eventFilter(pWatched, pEvent);
}

// Connected before the controller: these run when the signal is emitted, ahead of the view.
void CycleRun::connectHubAhead()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    connect(pHub, &CommonSignal::sigSearchResult, this, [this](const QList<QuillbootSearch_S> &list) {
        m_nPublishedNs = now();
        m_dCpuPublishedMs = ProcessStats::cpuMs();
        m_nPublishedCount = list.size();
    });
    connect(pHub, &CommonSignal::sigSdkGetInfoFinished, this, [this] { m_nSdkDoneNs = now(); });
}

void CycleRun::countRequests()
{
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    connect(pOutcome, &RequestOutcome::sigRequestStarted, this, [this] { ++m_nRequestsTaken; });
    connect(pOutcome, &RequestOutcome::sigRequestFinished, this,
            [this](quint64, QString, int, int nOutcome) { ++m_hashOutcomes[nOutcome]; });
}

// Connected after the controller: these run once the view has handled the signal.
void CycleRun::connectHubBehind()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    connect(pHub, &CommonSignal::sigSearchResult, this, [this] {
        m_nListedNs = now();
        m_nRows = m_pTable->rowCount();
        wake();
    });
    connect(pHub, &CommonSignal::sigSdkGetInfoFinished, this, [this] { m_nRequestsSentNs = now(); });
    connect(pHub, &CommonSignal::sigUpdateEthInfo, this, [this] {
        if (!m_nFirstEthNs)
            m_nFirstEthNs = now();
        ++m_nEthReplies;
        advanceFillCursor();
    });
    connect(pHub, &CommonSignal::sigUpdateFwVersion, this, [this] {
        ++m_nFwReplies;
        advanceFillCursor();
    });
    connect(pHub, &CommonSignal::sigGetEnvFinished, this, [this] {
        // The view enables "Search" again once it has asked every camera.
        if (m_nRequestsSentNs && !m_nSettledNs && m_pButton->isEnabled() && CHttp::getInstance()->pendingCount() == 0) {
            m_nSettledNs = now();
            m_dCpuSettledMs = ProcessStats::cpuMs() - m_dCpuPressMs;
            wake();
        }
    });
}

// Rows fill in any order; the cursor waits at the first row not yet complete, so the check
// costs one row per reply instead of a walk over the table.
void CycleRun::advanceFillCursor()
{
    if (m_nFilledNs || !m_nListedNs)
        return;
    while (m_nFillCursor < m_nRows && (!rowFillable(m_nFillCursor) || rowFilled(m_nFillCursor)))
        ++m_nFillCursor;
    if (m_nRows == 0 || m_nFillCursor < m_nRows)
        return;
    m_nFilledNs = now();
    m_dCpuFilledMs = ProcessStats::cpuMs() - m_dCpuPressMs;
    m_dStallFilledMs = m_probe.worstStallMs();
    m_nThreadsFilled = m_probe.peakThreads();
    m_nDescriptorsFilled = m_probe.peakDescriptors();
    wake();
}

bool CycleRun::rowFillable(int row) const
{
    const QTableWidgetItem *pIp = m_pTable->item(row, kColIp);
    return m_setFillable.isEmpty() || (pIp && m_setFillable.contains(pIp->text()));
}

int CycleRun::fillableRows() const
{
    int nFillable = 0;
    for (int row = 0; row < m_nRows; ++row)
        nFillable += rowFillable(row) ? 1 : 0;
    return nFillable;
}

bool CycleRun::rowFilled(int row) const
{
    const QTableWidgetItem *pMac = m_pTable->item(row, kColMac);
    const QTableWidgetItem *pFw = m_pTable->item(row, kColFw);
    return pMac && pFw && !pMac->text().isEmpty() && !pFw->text().isEmpty();
}

void CycleRun::wake()
{
    m_loop.quit();
}

// Runs the event loop until isDone() holds after some wake(), or the time is up.
bool CycleRun::waitUntil(const std::function<bool()> &isDone, int nTimeoutMs)
{
    QElapsedTimer elapsed;
    elapsed.start();
    QTimer deadline;
    deadline.setSingleShot(true);
    connect(&deadline, &QTimer::timeout, &m_loop, &QEventLoop::quit);
    while (!isDone() && !elapsed.hasExpired(nTimeoutMs)) {
        deadline.start(int(qMax<qint64>(1, nTimeoutMs - elapsed.elapsed())));
        m_loop.exec();
    }
    return isDone();
}

double CycleRun::sinceExecMs(qint64 nNs) const
{
    return nNs ? nsToMs(nNs - m_nExecNs) : -1;
}

double CycleRun::sincePressMs(qint64 nNs) const
{
    return nNs ? nsToMs(nNs - m_nPressNs) : -1;
}

bool CycleRun::measure(Control &control, const QString &strLocalIp, QJsonObject &result, QString &strError)
{
    m_nControlNs = now();
    ModifyModule *pView = control.getMainWindow()->getModifyModule();
    m_pTable = pView->findChild<QTableWidget *>(QStringLiteral("ipTable"));
    auto *pButton = pView->findChild<QToolButton *>(QStringLiteral("toolButton"));
    m_pButton = pButton;
    auto *pCombo = pView->findChild<QComboBox *>(QStringLiteral("localIpCombo"));
    auto *pSocket = control.getMainModel()->getModifyModel()->findChild<QUdpSocket *>();
    if (!m_pTable || !pButton || !pCombo || !pSocket) {
        strError = QStringLiteral("the device view or the search socket was not found");
        return false;
    }
    connectHubBehind();

    if (!waitUntil([this] { return m_nExposedNs != 0; }, kShowTimeoutMs)) {
        strError = QStringLiteral("the main window was never exposed");
        return false;
    }
    const double dIdleStartCpu = ProcessStats::cpuMs();
    QTimer::singleShot(kIdleMs, this, &CycleRun::wake);
    m_loop.exec();
    m_dIdleCpuMs = ProcessStats::cpuMs() - dIdleStartCpu;
    m_nIdleThreads = ProcessStats::threadCount();
    m_nIdleDescriptors = ProcessStats::descriptorCount();
    m_nIdleHwmKb = ProcessStats::statusKb("VmHWM");

    const int nIndex = pCombo->findText(strLocalIp);
    if (nIndex < 0) {
        strError = QStringLiteral("local address %1 is not offered by the view").arg(strLocalIp);
        return false;
    }
    pCombo->setCurrentIndex(nIndex);
    connect(pSocket, &QUdpSocket::readyRead, this, [this] {
        if (!m_nFirstReplyNs)
            m_nFirstReplyNs = now();
    });

    m_nUdpDropsPress = ProcessStats::udpCounter("RcvbufErrors");
    m_probe.start();
    m_dCpuPressMs = ProcessStats::cpuMs();
    m_nPressNs = now();
    QTest::mouseClick(pButton, Qt::LeftButton);
    const bool bSettled = waitUntil([this] { return m_nSettledNs != 0 || (m_nListedNs && m_nRows == 0); },
                                    kCycleTimeoutMs);
    m_probe.stop();

    recordStartUp(result);
    recordCycle(result);
    result.insert(QStringLiteral("settled"), bSettled);
    result.insert(QStringLiteral("stallSettledMs"), m_probe.worstStallMs());
    result.insert(QStringLiteral("stallEndMs"), sincePressMs(m_probe.worstStallEndNs()));
    result.insert(QStringLiteral("threadsPeakSettled"), m_probe.peakThreads());
    result.insert(QStringLiteral("descriptorsPeakSettled"), m_probe.peakDescriptors());
    return true;
}

void CycleRun::recordStartUp(QJsonObject &result) const
{
    result.insert(QStringLiteral("execToMainMs"), sinceExecMs(m_nMainNs));
    result.insert(QStringLiteral("applicationMs"), sinceExecMs(m_nAppNs));
    result.insert(QStringLiteral("controlMs"), sinceExecMs(m_nControlNs));
    result.insert(QStringLiteral("shownMs"), sinceExecMs(m_nShownNs));
    result.insert(QStringLiteral("exposedMs"), sinceExecMs(m_nExposedNs));
    result.insert(QStringLiteral("paintedMs"), sinceExecMs(m_nPaintedNs));
    result.insert(QStringLiteral("idleCpuMsPer2s"), m_dIdleCpuMs);
    result.insert(QStringLiteral("idleThreads"), m_nIdleThreads);
    result.insert(QStringLiteral("idleDescriptors"), m_nIdleDescriptors);
    result.insert(QStringLiteral("idleHwmKb"), double(m_nIdleHwmKb));
}

void CycleRun::recordCycle(QJsonObject &result) const
{
    const double dFloorMs = m_nFirstReplyNs ? sincePressMs(m_nFirstReplyNs) + kResultDelayMs : -1;
    const double dFilledMs = sincePressMs(m_nFilledNs);
    result.insert(QStringLiteral("rows"), m_nRows);
    result.insert(QStringLiteral("rowsToFill"), fillableRows());
    result.insert(QStringLiteral("fdLimit"), double(ProcessStats::descriptorLimit()));
    result.insert(QStringLiteral("requestsTaken"), m_nRequestsTaken);
    int nOther = 0;
    for (auto outcome = m_hashOutcomes.cbegin(); outcome != m_hashOutcomes.cend(); ++outcome)
        nOther += s_hashOutcomeKeys.contains(outcome.key()) ? 0 : outcome.value();
    for (auto key = s_hashOutcomeKeys.cbegin(); key != s_hashOutcomeKeys.cend(); ++key)
        result.insert(key.value(), m_hashOutcomes.value(key.key()));
    result.insert(kOtherOutcomesKey, nOther);
    result.insert(QStringLiteral("udpRcvbufDrops"), double(ProcessStats::udpCounter("RcvbufErrors") - m_nUdpDropsPress));
    result.insert(QStringLiteral("published"), m_nPublishedCount);
    result.insert(QStringLiteral("ethReplies"), m_nEthReplies);
    result.insert(QStringLiteral("fwReplies"), m_nFwReplies);
    result.insert(QStringLiteral("firstReplyMs"), sincePressMs(m_nFirstReplyNs));
    result.insert(QStringLiteral("floorMs"), dFloorMs);
    result.insert(QStringLiteral("publishedMs"), sincePressMs(m_nPublishedNs));
    result.insert(QStringLiteral("listedMs"), sincePressMs(m_nListedNs));
    result.insert(QStringLiteral("sdkDoneMs"), sincePressMs(m_nSdkDoneNs));
    result.insert(QStringLiteral("requestsSentMs"), sincePressMs(m_nRequestsSentNs));
    result.insert(QStringLiteral("firstEthMs"), sincePressMs(m_nFirstEthNs));
    result.insert(QStringLiteral("filledMs"), dFilledMs);
    result.insert(QStringLiteral("settledMs"), sincePressMs(m_nSettledNs));
    result.insert(QStringLiteral("filledMinusFloorMs"), m_nFilledNs && dFloorMs > 0 ? dFilledMs - dFloorMs : -1);
    result.insert(QStringLiteral("filledOverFloor"), m_nFilledNs && dFloorMs > 0 ? dFilledMs / dFloorMs : -1);
    result.insert(QStringLiteral("cpuFilledMs"), m_dCpuFilledMs);
    result.insert(QStringLiteral("cpuSettledMs"), m_dCpuSettledMs);
    result.insert(QStringLiteral("cpuPublishedFilledMs"),
                  m_nFilledNs && m_nPublishedNs ? m_dCpuFilledMs + m_dCpuPressMs - m_dCpuPublishedMs : -1);
    result.insert(QStringLiteral("stallFilledMs"), m_dStallFilledMs);
    result.insert(QStringLiteral("threadsPeakFilled"), m_nThreadsFilled);
    result.insert(QStringLiteral("descriptorsPeakFilled"), m_nDescriptorsFilled);
    result.insert(QStringLiteral("hwmKb"), double(ProcessStats::statusKb("VmHWM")));
    result.insert(QStringLiteral("rssEndKb"), double(ProcessStats::statusKb("VmRSS")));
}
