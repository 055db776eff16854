#include "tools/tour/tour.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

#include "app/control.h"
#include "net/chttp.h"
#include "net/rebootwatch.h"
#include "site/sharedaddressrun.h"
#include "ui/batchassigndialog.h"
#include "ui/rowactions.h"
#include "ui/mainwindow.h"
#include "ui/modifymodule.h"
#include "site/rowstate.h"
#include "ui/rowstatedelegate.h"
#include "widgets/ctextbutton.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"
#include "widgets/toggleswitch.h"

namespace {

// The lab of scripts/tour.sh: camera 2 moves and comes back, camera 3 moves slower than the
// short watch, camera 4 answers slowly, camera 5 refuses its write.
const QString kMoving = QStringLiteral("10.77.0.12");
const QString kMovedTo = QStringLiteral("10.77.0.60");
const QString kSlow = QStringLiteral("10.77.0.13");
const QString kSlowTo = QStringLiteral("10.77.0.61");
const QString kDelayed = QStringLiteral("10.77.0.14");
const QString kDelayedTo = QStringLiteral("10.77.0.62");
const QString kRefusing = QStringLiteral("10.77.0.15");
const QString kRefusingTo = QStringLiteral("10.77.0.63");
const QString kBatchStart = QStringLiteral("10.77.2.10");
const QString kBatchMask = QStringLiteral("255.255.0.0");
const QString kBatchGateway = QStringLiteral("10.77.0.1");

constexpr int kWindowWidth = 1300;
constexpr int kWindowHeight = 760;
constexpr int kTransferTimeoutMs = 3000;
constexpr int kWatchIntervalMs = 1000;
constexpr int kWatchLimitMs = 40000;
constexpr int kShortWatchLimitMs = 1000;
constexpr int kSearchingShotMs = 300;
constexpr int kStepTimeoutMs = 30000;
constexpr int kBatchTimeoutMs = 90000;
constexpr int kPaintMs = 300;
// The lab's cameras out of the box, and what the tour plans for them.
const QString kFactory = QStringLiteral("10.77.0.200");
const QString kFactoryStart = QStringLiteral("10.77.3.1");
constexpr int kHandoverWaitMs = 12000;
constexpr int kFactoryTimeoutMs = 180000;
// A plan file as a spreadsheet exports it: a semicolon, a label, a line for a camera the
// search did not find and one giving an address another line gives too.
const char kPlanFileText[] = "MAC;Address;Mask;Gateway;Label\r\n"
                             "%1;10.77.4.10;255.255.0.0;10.77.0.1;Gate\r\n"
                             "%2;10.77.4.11;255.255.0.0;10.77.0.1;Yard\r\n"
                             "02-00-5e-10-00-99;10.77.4.12;255.255.0.0;10.77.0.1;Store\r\n"
                             "%3;10.77.4.11;255.255.0.0;10.77.0.1;Office\r\n";

RowState stateOf(const QTableWidget *pTable, int row)
{
    return RowState(pTable->item(row, 0)->data(RowStateDelegate::RowStateRole).toInt());
}

} // namespace

Tour::Tour(Control &control, const QDir &outDir, QObject *parent)
    : QObject(parent)
    , m_control(control)
    , m_outDir(outDir)
{
}

bool Tour::run()
{
    MainWindow *pWindow = m_control.getMainWindow();
    pWindow->resize(kWindowWidth, kWindowHeight);
    m_pView = pWindow->getModifyModule();
    m_pTable = m_pView->findChild<QTableWidget *>(QStringLiteral("ipTable"));
    CHttp::getInstance()->setTransferTimeout(kTransferTimeoutMs);
    m_pView->findChild<RebootWatch *>()->setTiming(kWatchIntervalMs, kWatchLimitMs);
    m_pView->findChild<SharedAddressRun *>()->setHandoverWait(kHandoverWaitMs);
    return QTest::qWaitForWindowExposed(pWindow) && searchAndFill() && showSavesAndWatch() && showBatch()
        && showFactoryRun() && showPlanFile();
}

QString Tour::error() const
{
    return m_strError;
}

bool Tour::waitFor(const std::function<bool()> &isDone, int nTimeoutMs, const QString &strWhat)
{
    QElapsedTimer elapsed;
    elapsed.start();
    while (!isDone()) {
        if (elapsed.elapsed() > nTimeoutMs) {
            m_strError = QStringLiteral("%1 did not come within %2 ms").arg(strWhat).arg(nTimeoutMs);
            return false;
        }
        QTest::qWait(50);
    }
    return true;
}

void Tour::shoot(const QString &strName)
{
    QTest::qWait(kPaintMs);
    m_control.getMainWindow()->grab().save(m_outDir.filePath(strName + QStringLiteral(".png")));
}

int Tour::rowOf(const QString &strAddress) const
{
    for (int row = 0; row < m_pTable->rowCount(); ++row) {
        if (m_pTable->item(row, 1)->text() == strAddress)
            return row;
    }
    return -1;
}

// Types the new address as a user would, turns DHCP off (a camera on DHCP is not followed),
// then "Save" and "Yes".
bool Tour::saveRow(int row, const QString &strAddress)
{
    if (row < 0) {
        m_strError = QStringLiteral("a camera to save is not listed");
        return false;
    }
    ToastHintWidget::getInstance()->hide();
    m_pTable->item(row, 1)->setText(strAddress);
    auto *pSwitch = m_pTable->cellWidget(row, 4)->findChild<ToggleSwitch *>();
    if (pSwitch && pSwitch->isChecked())
        QTest::mouseClick(pSwitch, Qt::LeftButton);
    QTest::mouseClick(m_pView->findChild<CTextButton *>(QStringLiteral("saveBtn%1").arg(row)), Qt::LeftButton);
    CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
    if (!waitFor([pPop] { return pPop->isVisible(); }, kStepTimeoutMs, QStringLiteral("the question")))
        return false;
    QTest::mouseClick(pPop->findChild<CTextButton *>(QStringLiteral("sureBtn")), Qt::LeftButton);
    return true;
}

bool Tour::searchAndFill()
{
    auto *pSearch = m_pView->findChild<QToolButton *>(QStringLiteral("toolButton"));
    QTest::mouseClick(pSearch, Qt::LeftButton);
    QTest::qWait(kSearchingShotMs);
    shoot(QStringLiteral("01-searching"));
    if (!waitFor([pSearch] { return pSearch->isEnabled() && CHttp::getInstance()->pendingCount() == 0; },
                 kStepTimeoutMs, QStringLiteral("the filled table")))
        return false;
    shoot(QStringLiteral("02-site"));
    return true;
}

bool Tour::showSavesAndWatch()
{
    const int nMoving = rowOf(kMoving);
    if (!saveRow(nMoving, kMovedTo)
        || !waitFor([this, nMoving] { return stateOf(m_pTable, nMoving) == RowState::Rebooting; }, kStepTimeoutMs,
                    QStringLiteral("the reboot")))
        return false;
    ToastHintWidget::getInstance()->hide();
    shoot(QStringLiteral("03-rebooting"));
    if (!waitFor([this, nMoving] { return stateOf(m_pTable, nMoving) == RowState::Back; }, kWatchLimitMs,
                 QStringLiteral("the camera back")))
        return false;
    shoot(QStringLiteral("04-back"));

    m_pView->findChild<RebootWatch *>()->setTiming(kWatchIntervalMs, kShortWatchLimitMs);
    const int nSlow = rowOf(kSlow);
    if (!saveRow(nSlow, kSlowTo)
        || !waitFor([this, nSlow] { return stateOf(m_pTable, nSlow) == RowState::NotSeen; }, kStepTimeoutMs,
                    QStringLiteral("the watch giving up")))
        return false;
    m_pView->findChild<RebootWatch *>()->setTiming(kWatchIntervalMs, kWatchLimitMs);
    const int nRefusing = rowOf(kRefusing);
    if (!saveRow(nRefusing, kRefusingTo)
        || !waitFor([] { return CHttp::getInstance()->pendingCount() == 0; }, kStepTimeoutMs, QStringLiteral("the refusal")))
        return false;
    const int nDelayed = rowOf(kDelayed);
    if (!saveRow(nDelayed, kDelayedTo))
        return false;
    ToastHintWidget::getInstance()->hide();
    shoot(QStringLiteral("05-states"));
    return waitFor([this, nDelayed] { return stateOf(m_pTable, nDelayed) == RowState::Back; }, kWatchLimitMs,
                   QStringLiteral("the slow camera back"));
}

bool Tour::showBatch()
{
    ToastHintWidget::getInstance()->hide();
    m_pTable->selectAll();
    QTest::mouseClick(m_pView->findChild<QToolButton *>(QStringLiteral("assignBtn")), Qt::LeftButton);
    auto *pDialog = m_control.getMainWindow()->findChild<BatchAssignDialog *>();
    if (!pDialog || !waitFor([pDialog] { return pDialog->isVisible(); }, kStepTimeoutMs, QStringLiteral("the plan")))
        return false;
    CTextButton *pAssign = checkPlan(pDialog, kBatchStart);
    if (!pAssign)
        return false;
    shoot(QStringLiteral("06-plan"));
    QTest::mouseClick(pAssign, Qt::LeftButton);
    shoot(QStringLiteral("07-batch"));
    auto *pStatus = m_pView->findChild<QLabel *>(QStringLiteral("siteStatusText"));
    if (!waitFor([pStatus] { return pStatus->toolTip().contains(QStringLiteral("Batch: ")) && !pStatus->toolTip().contains(QStringLiteral("writing")); },
                 kBatchTimeoutMs, QStringLiteral("the batch summary")))
        return false;
    ToastHintWidget::getInstance()->hide();
    m_pTable->clearSelection();
    shoot(QStringLiteral("08-summary"));
    return true;
}

// Types the plan's values from @p strStart, checks the plan and returns "Assign" once it may be
// pressed; nullptr when it did not come.
CTextButton *Tour::checkPlan(BatchAssignDialog *pDialog, const QString &strStart)
{
    pDialog->findChild<QLineEdit *>(QStringLiteral("startEdit"))->setText(strStart);
    pDialog->findChild<QLineEdit *>(QStringLiteral("maskEdit"))->setText(kBatchMask);
    pDialog->findChild<QLineEdit *>(QStringLiteral("gatewayEdit"))->setText(kBatchGateway);
    QTest::mouseClick(pDialog->findChild<CTextButton *>(QStringLiteral("checkBtn")), Qt::LeftButton);
    auto *pAssign = pDialog->findChild<CTextButton *>(QStringLiteral("assignBtn"));
    return waitFor([pAssign] { return pAssign->isEnabled(); }, kStepTimeoutMs, QStringLiteral("the checked plan")) ? pAssign
                                                                                                                  : nullptr;
}

// The plan for the cameras out of the box, their run one at a time, and its summary.
bool Tour::showFactoryRun()
{
    m_pView->findChild<RowActions *>()->openSharedDialog(kFactory);
    auto *pDialog = m_control.getMainWindow()->findChild<BatchAssignDialog *>();
    CTextButton *pAssign = checkPlan(pDialog, kFactoryStart);
    if (!pAssign)
        return false;
    shoot(QStringLiteral("09-factory-plan"));
    QTest::mouseClick(pAssign, Qt::LeftButton);
    auto *pStatus = m_pView->findChild<QLabel *>(QStringLiteral("siteStatusText"));
    if (!waitFor([pStatus] { return pStatus->toolTip().contains(QStringLiteral(": 1 of ")); },
                 kFactoryTimeoutMs, QStringLiteral("the first camera readdressed")))
        return false;
    shoot(QStringLiteral("10-factory-run"));
    if (!waitFor([pStatus] { return pStatus->toolTip().contains(QStringLiteral("cameras at %1 readdressed").arg(kFactory)); },
                 kFactoryTimeoutMs,
                 QStringLiteral("the factory summary")))
        return false;
    ToastHintWidget::getInstance()->hide();
    shoot(QStringLiteral("11-factory-summary"));
    return true;
}

// A plan from a file: the cameras it names with their values, and the lines not written.
bool Tour::showPlanFile()
{
    QStringList listMacs;
    for (int row = 0; row < m_pTable->rowCount() && listMacs.size() < 3; ++row) {
        if (stateOf(m_pTable, row) == RowState::Back)
            listMacs.append(m_pTable->item(row, 5)->text().toLower().replace(QLatin1Char(':'), QLatin1Char('-')));
    }
    QFile file(m_outDir.filePath(QStringLiteral("site-plan.csv")));
    if (listMacs.size() < 3 || !file.open(QIODevice::WriteOnly)) {
        m_strError = QStringLiteral("no plan file could be written");
        return false;
    }
    file.write(QString::fromLatin1(kPlanFileText).arg(listMacs.at(0), listMacs.at(1), listMacs.at(2)).toUtf8());
    file.close();
    m_pView->findChild<RowActions *>()->openPlanFile(file.fileName());
    auto *pDialog = m_control.getMainWindow()->findChild<BatchAssignDialog *>();
    auto *pAssign = pDialog->findChild<CTextButton *>(QStringLiteral("assignBtn"));
    if (!waitFor([pDialog, pAssign] { return pDialog->isVisible() && pAssign->isEnabled(); }, kStepTimeoutMs,
                 QStringLiteral("the plan from the file")))
        return false;
    shoot(QStringLiteral("12-plan-file"));
    pDialog->hide();
    return true;
}
