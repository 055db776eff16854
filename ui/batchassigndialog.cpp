#include "ui/batchassigndialog.h"

#include "ui_batchassigndialog.h"

#include <QHeaderView>

#include <algorithm>
#include <QStringList>

#include "net/addressprobe.h"
#include "ui/remembered.h"
#include "ui/textfieldsheet.h"
#include "widgets/cfontfamily.h"
#include "widgets/overlaysetup.h"

namespace {

enum PlanColumn { ColMac, ColCurrent, ColNew, ColNote, PlanColumnCount };
const QStringList kPlanHeader = {QStringLiteral("MAC"), QStringLiteral("Current address"),
                                 QStringLiteral("New address"), QStringLiteral("Note")};

const QString kTitleSheet = QStringLiteral("QLabel{font:18px @family;color:#333333;}");
const QString kLabelSheet = QStringLiteral("QLabel{font:14px @family;color:#666666;}");
const QString kTableSheet = QStringLiteral("QTableWidget{color:#333333;font:14px @family;border: 1px solid #DCE5EB;}");
const QString kHeaderSheet = QStringLiteral("QHeaderView::section{background:#F5F9FA;color:#666666;font:14px @family;"
                                            "border: 0px;border-bottom: 1px solid #DCE5EB;padding: 4px 6px;}");
constexpr int kButtonFontSize = 14;
constexpr int kPlanColumnWidths[ColNote] = {170, 140, 140};
const QColor kAccent(QStringLiteral("#00B7FF"));
const QColor kQuiet(QStringLiteral("#B4C4D1"));
const QColor kDisabled(QStringLiteral("#CCCCCC"));
const QColor kButtonText(QStringLiteral("#FFFFFF"));

const QString kNoAddressLeft = QStringLiteral("no address left in the subnet");
const QString kLeftOut = QStringLiteral("left out: %1");
const QString kChecking = QStringLiteral("Checking %1 planned addresses for devices already there...");
const QString kPlanned = QStringLiteral("%1 of %2 cameras get an address. Passed over, in use: %3.");
const QString kNothingPassed = QStringLiteral("none");
const QString kGaveUp = QStringLiteral("Too many planned addresses are in use; choose another start address.");
const QString kCheckAgain = QStringLiteral("The values changed: check the plan again.");
const QString kTitle = QStringLiteral("Assign addresses");
const QString kFileTitle = QStringLiteral("Plan from %1");
const QString kFilePlanned = QStringLiteral("Cameras that get the values the file gives them: %1. Lines not written: %2.");
const QString kAlreadyThere = QStringLiteral("already there: nothing to do");
const QString kNotWritten = QStringLiteral("not written: %1");
const QString kSharedTitle = QStringLiteral("Readdress the %1 cameras at %2");
const QString kSharedMac = QStringLiteral("found in its turn");
// A camera answers at the shared address only once the one before has left it and the
// computer has resolved the address again (about 45 s).
const QString kSharedEstimate = QStringLiteral(
    "One camera at a time: each takes the next address once it answers, is written, rebooted and proven back. "
    "Expect about %1 x (reboot + 45 s): about %2 min for cameras that reboot in 30 s.");
constexpr int kHandoverSeconds = 45;
constexpr int kTypicalRebootSeconds = 30;
constexpr int kSecondsPerMinute = 60;
const QChar kSpace(' ');
const QString kListSeparator = QStringLiteral(", ");

QTableWidgetItem *planItem(const QString &strText)
{
    auto *pItem = new QTableWidgetItem(strText);
    pItem->setToolTip(strText);
    pItem->setTextAlignment(Qt::AlignCenter);
    pItem->setFlags(pItem->flags() & ~Qt::ItemIsEditable);
    return pItem;
}

void styleButton(CTextButton *pButton, const QString &strText, const QColor &fill)
{
    pButton->setText(strText);
    pButton->setFontSize(kButtonFontSize);
    pButton->setColors(Qt::transparent, Qt::transparent, fill, kDisabled, kButtonText, kButtonText);
}

} // namespace

BatchAssignDialog::BatchAssignDialog(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::BatchAssignDialog)
    , m_pProbe(new AddressProbe(this))
{
    ui->setupUi(this);
    setupHintOverlay(this, ui->bg, ui->box, ui->exitBtn);
    setupLook();
    connect(ui->exitBtn, &QAbstractButton::released, this, &QWidget::hide);
    connect(ui->cancelBtn, &QAbstractButton::released, this, &QWidget::hide);
    connect(ui->checkBtn, &QAbstractButton::released, this, &BatchAssignDialog::checkPlan);
    connect(ui->assignBtn, &QAbstractButton::released, this, &BatchAssignDialog::confirm);
    connect(ui->fileBtn, &QAbstractButton::released, this, &BatchAssignDialog::sigFromFile);
    for (QLineEdit *pEdit : {ui->startEdit, ui->maskEdit, ui->gatewayEdit})
        connect(pEdit, &QLineEdit::textEdited, this, &BatchAssignDialog::fieldsEdited);
    connect(m_pProbe, &AddressProbe::sigFinished, this, &BatchAssignDialog::probeFinished);
    hide();
}

BatchAssignDialog::~BatchAssignDialog()
{
    delete ui;
}

void BatchAssignDialog::setupLook()
{
    ui->titleText->setStyleSheet(CFontFamily::getInstance()->styleSheet(kTitleSheet));
    for (QLabel *pLabel : {ui->startLabel, ui->maskLabel, ui->gatewayLabel, ui->noteText})
        pLabel->setStyleSheet(CFontFamily::getInstance()->styleSheet(kLabelSheet));
    ui->noteText->setWordWrap(true);
    for (QLineEdit *pEdit : {ui->startEdit, ui->maskEdit, ui->gatewayEdit})
        pEdit->setStyleSheet(CFontFamily::getInstance()->styleSheet(kTextFieldSheet));
    styleButton(ui->fileBtn, QStringLiteral("From file..."), kQuiet);
    styleButton(ui->checkBtn, QStringLiteral("Check plan"), kAccent);
    styleButton(ui->cancelBtn, QStringLiteral("Cancel"), kQuiet);
    styleButton(ui->assignBtn, QStringLiteral("Assign"), kAccent);

    QTableWidget *pTable = ui->planTable;
    pTable->setColumnCount(PlanColumnCount);
    pTable->setHorizontalHeaderLabels(kPlanHeader);
    pTable->verticalHeader()->hide();
    for (int nColumn = ColMac; nColumn < ColNote; ++nColumn)
        pTable->setColumnWidth(nColumn, kPlanColumnWidths[nColumn]);
    pTable->horizontalHeader()->setStretchLastSection(true);
    pTable->horizontalHeader()->setStyleSheet(CFontFamily::getInstance()->styleSheet(kHeaderSheet));
    pTable->setStyleSheet(CFontFamily::getInstance()->styleSheet(kTableSheet));
    pTable->setShowGrid(false);
    pTable->setSelectionMode(QAbstractItemView::NoSelection);
    pTable->setFocusPolicy(Qt::NoFocus);
}

void BatchAssignDialog::open(const QList<BatchPlan::Entry_S> &listCameras,
                             const QList<QPair<QString, QString>> &listLeftOut, const QSet<QString> &setHeld,
                             const QString &strStart, const QString &strMask, const QString &strGateway,
                             const QString &strShared)
{
    m_strShared = strShared;
    showMode(false);
    ui->titleText->setText(strShared.isEmpty() ? kTitle : kSharedTitle.arg(listCameras.size()).arg(strShared));
    m_listCameras = listCameras;
    m_listLeftOut = listLeftOut;
    m_setHeld = setHeld;
    m_listPlanned.clear();
    m_listProbing.clear();
    m_listProbed.clear();
    ui->startEdit->setText(strStart);
    ui->maskEdit->setText(Remembered::planMask().isEmpty() ? strMask : Remembered::planMask());
    ui->gatewayEdit->setText(Remembered::planGateway().isEmpty() ? strGateway : Remembered::planGateway());
    ui->assignBtn->setEnabled(false);
    setNote(QString());
    m_nRound = 0;
    showPlan(m_listCameras, false);
    showOverParent(this);
}

// A plan file gives every camera its own values: nothing to type, and the plan comes checked.
void BatchAssignDialog::openFilePlan(const QString &strFileName, const QList<PlanCheck::Line_S> &listLines,
                                     const QList<BatchPlan::Entry_S> &listWrites, const QString &strError)
{
    m_strShared.clear();
    showMode(true);
    ui->titleText->setText(kFileTitle.arg(strFileName));
    m_listPlanned = listWrites;
    QTableWidget *pTable = ui->planTable;
    pTable->setRowCount(0);
    pTable->setRowCount(listLines.size());
    for (int row = 0; row < listLines.size(); ++row) {
        const PlanCheck::Line_S &stLine = listLines.at(row);
        const QString strNote = stLine.kind == PlanCheck::Line_S::Refused
                                    ? kNotWritten.arg(stLine.strReason)
                                    : (stLine.kind == PlanCheck::Line_S::AlreadyThere ? kAlreadyThere : stLine.strLabel);
        pTable->setItem(row, ColMac, planItem(stLine.strMac));
        pTable->setItem(row, ColCurrent, planItem(stLine.strCurrent));
        pTable->setItem(row, ColNew, planItem(stLine.strWanted));
        pTable->setItem(row, ColNote, planItem(strNote));
    }
    const int nRefused = int(std::count_if(listLines.cbegin(), listLines.cend(), [](const PlanCheck::Line_S &stLine) {
        return stLine.kind == PlanCheck::Line_S::Refused;
    }));
    setNote(strError.isEmpty() ? kFilePlanned.arg(listWrites.size()).arg(nRefused) : strError);
    ui->assignBtn->setEnabled(!listWrites.isEmpty());
    showOverParent(this);
}

// A plan file gives every camera its own values: the plan's fields say nothing then.
void BatchAssignDialog::showMode(bool bFile)
{
    m_bFile = bFile;
    if (bFile) {
        for (QLineEdit *pEdit : {ui->startEdit, ui->maskEdit, ui->gatewayEdit})
            pEdit->clear();
    }
    for (QWidget *pField : {static_cast<QWidget *>(ui->startEdit), static_cast<QWidget *>(ui->maskEdit),
                            static_cast<QWidget *>(ui->gatewayEdit), static_cast<QWidget *>(ui->checkBtn)})
        pField->setEnabled(!bFile);
}

void BatchAssignDialog::hideEvent(QHideEvent *pEvent)
{
    QWidget::hideEvent(pEvent);
    emit sigClosed();
}

void BatchAssignDialog::checkPlan()
{
    m_listProbed.clear();
    m_setFoundTaken.clear();
    m_nRound = 0;
    planAround({});
}

// Plans around every address found taken so far, then checks the new plan's addresses;
// the plan stands once a check finds none of them taken.
void BatchAssignDialog::planAround(const QSet<QString> &setTaken)
{
    m_setFoundTaken.unite(setTaken);
    const BatchPlan plan(m_listCameras, ui->startEdit->text(), ui->maskEdit->text(), ui->gatewayEdit->text(),
                         m_setHeld + m_setFoundTaken);
    showPlan(plan.entries(), plan.error().isEmpty() && m_nRound > 0);
    ui->assignBtn->setEnabled(false);
    if (!plan.error().isEmpty()) {
        setNote(plan.error());
        return;
    }
    const QStringList listPlanned = plan.plannedAddresses();
    if (m_nRound > 0 && setTaken.isEmpty() && listPlanned == m_listProbed) {
        m_listPlanned = plan.entries();
        QStringList listPassed = plan.skippedAddresses();
        setNote(kPlanned.arg(listPlanned.size())
                    .arg(m_listCameras.size())
                    .arg(listPassed.isEmpty() ? kNothingPassed : listPassed.join(kListSeparator)));
        ui->assignBtn->setEnabled(!listPlanned.isEmpty());
        return;
    }
    if (m_nRound++ >= PLAN_ROUNDS) {
        setNote(kGaveUp);
        return;
    }
    setNote(kChecking.arg(listPlanned.size()));
    m_listProbing = listPlanned;
    m_pProbe->probe(listPlanned);
}

// A probe of a plan the user has changed since is of no use: its addresses are not those shown.
void BatchAssignDialog::probeFinished(const QSet<QString> &setTaken)
{
    if (m_listProbing.isEmpty())
        return;
    m_listProbed = m_listProbing;
    m_listProbing.clear();
    planAround(setTaken);
}

// A camera without a new address in a plan that was made had none left in the subnet.
void BatchAssignDialog::showPlan(const QList<BatchPlan::Entry_S> &listEntries, bool bPlanned)
{
    QTableWidget *pTable = ui->planTable;
    pTable->setRowCount(0);
    pTable->setRowCount(listEntries.size() + m_listLeftOut.size());
    int row = 0;
    for (const BatchPlan::Entry_S &stEntry : listEntries) {
        pTable->setItem(row, ColMac, planItem(m_strShared.isEmpty() ? stEntry.strMac : kSharedMac));
        pTable->setItem(row, ColCurrent, planItem(stEntry.strCurrent));
        pTable->setItem(row, ColNew, planItem(stEntry.strNew));
        pTable->setItem(row, ColNote, planItem(bPlanned && stEntry.strNew.isEmpty() ? kNoAddressLeft : QString()));
        ++row;
    }
    for (const auto &leftOut : qAsConst(m_listLeftOut)) {
        pTable->setItem(row, ColCurrent, planItem(leftOut.first));
        pTable->setItem(row, ColNote, planItem(kLeftOut.arg(leftOut.second)));
        ++row;
    }
}

// The note of a shared address always says how long its run will take.
void BatchAssignDialog::setNote(const QString &strNote)
{
    if (m_strShared.isEmpty()) {
        ui->noteText->setText(strNote);
        return;
    }
    const int nCameras = m_listCameras.size();
    const int nMinutes = (nCameras * (kTypicalRebootSeconds + kHandoverSeconds) + kSecondsPerMinute - 1) / kSecondsPerMinute;
    const QString strEstimate = kSharedEstimate.arg(nCameras).arg(nMinutes);
    ui->noteText->setText(strNote.isEmpty() ? strEstimate : strNote + kSpace + strEstimate);
}

void BatchAssignDialog::fieldsEdited()
{
    m_listProbing.clear();
    m_listProbed.clear();
    m_listPlanned.clear();
    ui->assignBtn->setEnabled(false);
    setNote(kCheckAgain);
}

void BatchAssignDialog::confirm()
{
    if (!m_bFile)
        Remembered::setPlanValues(ui->maskEdit->text(), ui->gatewayEdit->text());
    hide();
    if (m_strShared.isEmpty())
        emit sigAssign(m_listPlanned, ui->maskEdit->text(), ui->gatewayEdit->text());
    else
        emit sigAssignShared(m_strShared, m_listPlanned, ui->maskEdit->text(), ui->gatewayEdit->text());
}
