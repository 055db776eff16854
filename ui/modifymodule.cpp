#include "ui/modifymodule.h"

#include "ui_modifymodule.h"

#include <QClipboard>
#include <QDebug>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHostAddress>
#include <QKeyEvent>
#include <QMenu>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QTableWidgetItem>
#include <QTimer>

#include <algorithm>

#include "core/commonsignal.h"
#include "core/searchlimits.h"
#include "net/commontool.h"
#include "net/localaddresses.h"
#include "net/rebootwatch.h"
#include "net/requestoutcome.h"
#include "validate/addresscheck.h"
#include "ui/batchassigndialog.h"
#include "site/batchrun.h"
#include "ui/rowstatedelegate.h"
#include "site/tablecsv.h"
#include "ui/textfieldsheet.h"
#include "ui/webpageopener.h"
#include "validate/contactpolicy.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/ctextbutton.h"
#include "widgets/toasthintwidget.h"
#include "widgets/toggleswitch.h"

namespace {

enum Column {
    ColNo,
    ColIp,
    ColMask,
    ColGateway,
    ColDhcp,
    ColMac,
    ColFw,
    ColOperation,
    ColumnCount
};

const QStringList kHeaderLabels = {
    QStringLiteral("No."),         QStringLiteral("IP Address"), QStringLiteral("Subnet Mask"),
    QStringLiteral("Gateway"),     QStringLiteral("DHCP"),       QStringLiteral("MAC"),
    QStringLiteral("FW Version"),  QStringLiteral("Operation"),
};

// Share of the table width per column; they add up to 1.
constexpr double kColumnFactors[ColumnCount] = {0.0613, 0.1341, 0.1341, 0.1341,
                                                0.0841, 0.1591, 0.1591, 0.1341};
// The view's width minus this is the table's inner width (margins and frame).
constexpr int kTableInset = 52;
// Widths until the first resize replaces them.
constexpr int kInitialNoColumnWidth = 30;
constexpr int kInitialColumnWidth = 115;
constexpr int kHeaderHeight = 40;
constexpr int kRowHeight = 30;

// Rows put into the table in one turn of the event loop: each brings its cell widgets.
constexpr int kRowsInsertedPerTurn = 50;
// Rows asked for their settings in one turn of the event loop.
constexpr int kRowsAskedPerTurn = 200;

constexpr int kSwitchWidth = 30;
constexpr int kSwitchHeight = 15;

constexpr int kHeaderFontSize = 16;
constexpr int kTableFontSize = 14;

constexpr int kResultSuccess = 0;
constexpr int kResultFailed = 1;
constexpr int kResultFormError = 2;
constexpr int kToastSuccess = 0;
constexpr int kToastFailure = 1;
constexpr int kCmdSetEnv = 0;
constexpr int kCmdGetEnv = 1;

const QColor kSharedAddressTint("#FFE7C2");
// A refused save: the toast holds two short lines at most, the "Save" button's tooltip says why.
struct SaveRefusalText
{
    QString strToast;
    QString strWhy;
};
const SaveRefusalText kMergedRefusal = {QStringLiteral("Shared address"),
                                        QStringLiteral("This camera shares its address; change the other camera first")};
const SaveRefusalText kUnreachedRefusal = {
    QStringLiteral("Not reachable"),
    QStringLiteral("HTTP does not reach this answer: another device answers at its address; change that one first")};
const SaveRefusalText kAmbiguousRefusal = {
    QStringLiteral("Address in doubt"),
    QStringLiteral("Several cameras answer HTTP at this address in turn; a write could reach any of them")};
const SaveRefusalText kInFlightRefusal = {QStringLiteral("Still writing"),
                                          QStringLiteral("A write to this camera is still in flight; wait for its result")};
const SaveRefusalText kNoContactRefusal = {QStringLiteral("Never contacted"),
                                           QStringLiteral("This address is never contacted: %1")};
const QString kUnreachedTip = QStringLiteral("%1\nThis answer is not reached over HTTP: another device answers there.");
const QString kNoContactTip = QStringLiteral("Never contacted: %1");
const QString kWritesInFlightTip = QStringLiteral("Waiting for the answer to the write to %1");
const QString kStateTip = QStringLiteral("%1: %2");
const QString kWriteRefused = QStringLiteral("the camera refused the write (status %1)");
const QString kWriteFailed = QStringLiteral("the write failed: %1");
const QString kRebootingOnto = QStringLiteral("rebooting onto %1; asking it every %2 s for up to %3 s");
const QString kDhcpNotFollowed = QStringLiteral("DHCP is on, so its new address is not known: a search will find it");
const QString kOtherSubnet = QStringLiteral("%1 is outside the subnet of %2/%3: this computer may not reach it; "
                                            "search from an address in that subnet to find it");
const QString kBackAt = QStringLiteral("answered at %1 with MAC %2 and the values written");
constexpr int kMsPerSecond = 1000;

const QString kAssignSheet = QStringLiteral(
    "QToolButton{border-radius:4px;background:#00B7FF;font:14px Microsoft YaHei;color:#FFFFFF;}"
    "QToolButton:disabled{background:#CCCCCC;color:#999999;}");
const QString kFilterHint = QStringLiteral("Filter address, MAC, firmware");
const QString kAssignText = QStringLiteral("Assign addresses...");
const QString kCancelBatchText = QStringLiteral("Cancel batch");
const QString kCopyText = QStringLiteral("Copy");
const QString kWebPageText = QStringLiteral("Open web page");
const QStringList kCsvHeader = {QStringLiteral("No."),  QStringLiteral("IP Address"), QStringLiteral("Subnet Mask"),
                                QStringLiteral("Gateway"), QStringLiteral("DHCP"),    QStringLiteral("MAC"),
                                QStringLiteral("FW Version"), QStringLiteral("State")};
const QString kDhcpOn = QStringLiteral("on");
const QString kDhcpOff = QStringLiteral("off");
const QString kSelectFirst = QStringLiteral("Select cameras");
const QString kNotFilled = QStringLiteral("its settings have not arrived");
const QString kBatchRunning = QStringLiteral("A batch assignment is running");
const QString kBatchWriting = QStringLiteral("Batch: writing %1 cameras");
const QString kBatchNote = QStringLiteral("Batch: %1");
const QString kBatchDone = QStringLiteral("Batch done");
const QString kBatchFailed = QStringLiteral("Batch: failures");
const QString kBatchRefused = QStringLiteral("refused the write (status %1)");
const QString kBatchNoAnswer = QStringLiteral("did not answer the write (%1)");
const QString kBatchNotBack = QStringLiteral("was not seen back: %1");
const QString kStatusWithNote = QStringLiteral("%1\n%2");
const QString kAddressSeparator = QStringLiteral(", ");

const QString kFontFamily = QStringLiteral("Microsoft YaHei");
const QString kSaveQuestion = QStringLiteral("Are you sure to save the changes and reboot the camera now?");
const QString kFirmwareText = QStringLiteral("%1,%2,%3");

const QString kHeaderSheet = QStringLiteral(
    "QHeaderView::section{background:#F5F9FA;color:#666666;font:%1px Microsoft YaHei;border: 0px;"
    "border-right: 1px solid #DCE5EB;border-bottom: 1px solid #DCE5EB;padding: 4px 6px;}"
    "QHeaderView::section:last {border-right: none;}");
const QString kTableSheet = QStringLiteral(
    "QTableWidget#ipTable{color:#333333;font:%1px Microsoft YaHei;border: 1px solid #DCE5EB;}"
    "QTableWidget#ipTable::item:selected {background-color: #EDF7FE;color: #333333;}");
const QString kScrollBarSheet = QStringLiteral(
    "QScrollBar{background:#F1F1F1;width:6px;border-radius:3px;}"
    "QScrollBar::handle{background:#E5E5E5;border-radius:3px;}"
    "QScrollBar::sub-line,QScrollBar::add-line{width:0px;height:0px;border:none;}");

const Qt::ItemFlags kKeepFlags;
const Qt::ItemFlags kNotEditable = ~Qt::ItemFlags(Qt::ItemIsEditable);

// A font size in the shortest general form: 16 stays 16, 24.5 stays 24.5.
QString scaledSheet(const QString &strSheet, int nSize, double scale)
{
    return strSheet.arg(nSize * scale, 0, 'g', -1);
}

// The record a search, a cancel or an answered save leaves behind.
DevInfo_S resetDevInfo()
{
    DevInfo_S stDevInfo;
    stDevInfo.nPort = -1;
    stDevInfo.nDhcp = 0;
    return stDevInfo;
}

QString firmwareText(const FwVersion_S &stFwVer)
{
    return kFirmwareText.arg(stFwVer.strArmVersion, stFwVer.strCamVersion, stFwVer.strAFVersion);
}

bool hasFirmware(const FwVersion_S &stFwVer)
{
    return !stFwVer.strCamVersion.isEmpty() || !stFwVer.strArmVersion.isEmpty()
        || !stFwVer.strAFVersion.isEmpty();
}

template <typename Record>
void logNetworkFields(const Record &stRecord)
{
    qDebug() << "IP:" << stRecord.strIPAddr << "Mask:" << stRecord.strSubMask
             << "GW:" << stRecord.strGateway << "MAC:" << stRecord.strMacAddr
             << "DHCP:" << stRecord.nDhcp << "DNS1:" << stRecord.strDns1 << "DNS2:" << stRecord.strDns2;
}

template <typename Record>
void logFirmwareFields(const Record &stRecord)
{
    qDebug() << "CAM:" << stRecord.strCamVersion << "ARM:" << stRecord.strArmVersion
             << "AF:" << stRecord.strAFVersion;
}

// The network settings EthInfo_S and DevInfo_S both carry, from one record to the other.
template <typename From, typename To>
void copyNetworkFields(const From &stFrom, To &stTo)
{
    stTo.strIPAddr = stFrom.strIPAddr;
    stTo.strSubMask = stFrom.strSubMask;
    stTo.strGateway = stFrom.strGateway;
    stTo.strMacAddr = stFrom.strMacAddr;
    stTo.nDhcp = stFrom.nDhcp;
    stTo.strDns1 = stFrom.strDns1;
    stTo.strDns2 = stFrom.strDns2;
}

EthInfo_S networkFieldsOf(const DevInfo_S &stDevInfo)
{
    EthInfo_S stEthInfo;
    copyNetworkFields(stDevInfo, stEthInfo);
    return stEthInfo;
}

// The firmware versions FwVersion_S and DevInfo_S both carry, from one record to the other.
template <typename From, typename To>
void copyFirmwareFields(const From &stFrom, To &stTo)
{
    stTo.strCamVersion = stFrom.strCamVersion;
    stTo.strArmVersion = stFrom.strArmVersion;
    stTo.strAFVersion = stFrom.strAFVersion;
}

void showToast(int nKind, int nResult)
{
    ToastHintWidget::getInstance()->showTips(nKind, CommonTool::getInstance()->getResultName(nResult));
}

int columnBit(int column)
{
    return 1 << column;
}

// Marks the view's own writes to cells and switches for as long as it lives.
class ProgramWrite
{
public:
    explicit ProgramWrite(int &nDepth)
        : m_nDepth(nDepth)
    {
        ++m_nDepth;
    }
    ~ProgramWrite() { --m_nDepth; }
    ProgramWrite(const ProgramWrite &) = delete;
    ProgramWrite &operator=(const ProgramWrite &) = delete;

private:
    int &m_nDepth;
};

} // namespace

ModifyModule::ModifyModule(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ModifyModule)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_MouseTracking);
    m_pRebootWatch = new RebootWatch(this);
    connect(m_pRebootWatch, &RebootWatch::sigBack, this, &ModifyModule::markBack);
    connect(m_pRebootWatch, &RebootWatch::sigNotSeen, this, &ModifyModule::markNotSeen);
    m_pBatchRun = new BatchRun(this);
    connect(m_pBatchRun, &BatchRun::sigWrite, this, &ModifyModule::sendWrite);
    connect(m_pBatchRun, &BatchRun::sigFinished, this, &ModifyModule::finishBatch);
    initTable();
    initLocalIp();
    initConnect();
    initSiteBar();
    initShortcuts();
}

ModifyModule::~ModifyModule()
{
    delete ui;
}

void ModifyModule::setScale(double scale)
{
    m_scale = scale;
    applyTableStyleSheets();
    const int nButtonSize = int(m_btnFontSize * m_scale);
    for (CTextButton *pButton : qAsConst(m_saveBtnList))
        pButton->setFontSize(nButtonSize);
    for (CTextButton *pButton : qAsConst(m_cancelBtnList))
        pButton->setFontSize(nButtonSize);
}

void ModifyModule::initTable()
{
    ui->bg->setBackgroundColor(QColor("#F5F9FA"));
    ui->bg1->setBackgroundColor(QColor("#FFFFFF"));
    ui->localIpText->setText(QStringLiteral("Computer IP "));
    ui->localIpText->setFontFamily(kFontFamily);
    ui->localIpText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui->localIpText->setFontSize(m_textFontSize);

    QTableWidget *pTable = ui->ipTable;
    pTable->setColumnCount(ColumnCount);
    pTable->setHorizontalHeaderLabels(kHeaderLabels);
    pTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    QHeaderView *pHeader = pTable->horizontalHeader();
    pHeader->setSectionResizeMode(QHeaderView::Fixed);
    pHeader->setSectionsClickable(false);
    pHeader->setFixedHeight(kHeaderHeight);
    pTable->verticalHeader()->hide();
    pTable->verticalHeader()->setDefaultSectionSize(kRowHeight);

    pTable->setColumnWidth(ColNo, kInitialNoColumnWidth);
    for (int nColumn = ColIp; nColumn < ColumnCount; ++nColumn)
        pTable->setColumnWidth(nColumn, kInitialColumnWidth);

    pTable->setItemDelegateForColumn(ColNo, new RowStateDelegate(pTable));
    pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    pTable->setShowGrid(false);
    applyTableStyleSheets();
    pTable->verticalScrollBar()->setStyleSheet(kScrollBarSheet);

    CComboBox *pCombo = ui->localIpCombo;
    pCombo->setRadius(4);
    pCombo->setBorder(1, QColor("#B8C4D1"));
    pCombo->setFontSize(16);
    pCombo->setPadding(10, 0, 0, 0);
    pCombo->setArrowGeometry(5, 10, 5);
    pCombo->setArrowImages(QStringLiteral(":/res/down.png"), QStringLiteral(":/res/down.png"));
    pCombo->setPopupOffset(3);
}

void ModifyModule::applyTableStyleSheets()
{
    ui->ipTable->horizontalHeader()->setStyleSheet(scaledSheet(kHeaderSheet, kHeaderFontSize, m_scale));
    ui->ipTable->setStyleSheet(scaledSheet(kTableSheet, kTableFontSize, m_scale));
}

void ModifyModule::initLocalIp()
{
    const QStringList listAddress = LocalAddresses::searchable();
    for (const QString &strAddress : listAddress) {
        qDebug().noquote() << "address: " + strAddress;
        ui->localIpCombo->addItem(strAddress);
    }
}

void ModifyModule::initConnect()
{
    connect(ui->toolButton, &QToolButton::released, this, &ModifyModule::searchIp);
    connect(ui->ipTable, &QTableWidget::cellChanged, this, &ModifyModule::recordCellChange);
    CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
    connect(pPop, &CTextHintPopWidget::sigCancel, this, [] { CTextHintPopWidget::getInstance()->hide(); });
    connect(pPop, &CTextHintPopWidget::sigSure, this, &ModifyModule::confirmSave);
}

void ModifyModule::resizeEvent(QResizeEvent *event)
{
    const int nWidth = width() - kTableInset;
    for (int nColumn = 0; nColumn < ColumnCount; ++nColumn)
        ui->ipTable->setColumnWidth(nColumn, int(nWidth * kColumnFactors[nColumn]));
    QWidget::resizeEvent(event);
}

void ModifyModule::setCellText(int row, int column, const QString &text, Qt::ItemFlags flagMask)
{
    const ProgramWrite write(m_nProgramWrites);
    QTableWidgetItem *pItem = ensureItem(row, column);
    pItem->setTextAlignment(Qt::AlignCenter);
    if (flagMask)
        pItem->setFlags(pItem->flags() & flagMask);
    pItem->setText(text);
}

QTableWidgetItem *ModifyModule::ensureItem(int row, int column)
{
    QTableWidgetItem *pItem = ui->ipTable->item(row, column);
    if (!pItem) {
        pItem = new QTableWidgetItem;
        ui->ipTable->setItem(row, column, pItem);
    }
    return pItem;
}

QString ModifyModule::cellText(int row, int column) const
{
    const QTableWidgetItem *pItem = ui->ipTable->item(row, column);
    return pItem ? pItem->text() : QString();
}

QWidget *ModifyModule::createToggleCell(int width, int height)
{
    auto *pCell = new QWidget;
    pCell->setFocusPolicy(Qt::NoFocus);
    auto *pLayout = new QHBoxLayout(pCell);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setAlignment(Qt::AlignCenter);
    auto *pSwitch = new ToggleSwitch(pCell);
    pSwitch->setSwitchSize(width, height);
    pLayout->addWidget(pSwitch);
    m_toggleList.append(pSwitch);
    connect(pSwitch, &ToggleSwitch::checkedChanged, this, &ModifyModule::slotToggleChanged);
    return pCell;
}

QWidget *ModifyModule::createOperationCell(int row)
{
    auto *pCell = new QWidget;
    auto *pLayout = new QHBoxLayout(pCell);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setAlignment(Qt::AlignCenter);

    CTextButton *pSave = createRowButton(QStringLiteral("Save"), pCell);
    pSave->setObjectName(QStringLiteral("saveBtn%1").arg(row));
    pLayout->addWidget(pSave);
    m_saveBtnList.append(pSave);
    connect(pSave, &CTextButton::released, this, &ModifyModule::slotSave);

    CTextButton *pCancel = createRowButton(QStringLiteral("Cancel"), pCell);
    pCancel->setObjectName(QStringLiteral("cancelBtn%1").arg(row));
    pLayout->addWidget(pCancel);
    m_cancelBtnList.append(pCancel);
    connect(pCancel, &CTextButton::released, this, &ModifyModule::slotCancel);
    return pCell;
}

CTextButton *ModifyModule::createRowButton(const QString &text, QWidget *parent)
{
    auto *pButton = new CTextButton(text, parent);
    pButton->setFontFamily(kFontFamily);
    pButton->setFontWeight(QFont::DemiBold);
    pButton->setFontSize(int(m_btnFontSize * m_scale));
    pButton->setBorderWidth(0);
    pButton->setColors(Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent,
                       QColor("#00B7FF"), QColor("#7f7f7f"));
    pButton->setEnabled(false);
    return pButton;
}

void ModifyModule::searchIp()
{
    m_toggleList.clear();
    m_saveBtnList.clear();
    m_cancelBtnList.clear();
    m_editMap.clear();
    m_devList.clear();
    m_sdkDevList.clear();
    m_rowExtraList.clear();
    m_hashRowsByAddress.clear();
    m_listPendingRows.clear();
    m_conflicts.clear();
    m_ledger.beginSearch();
    m_nQuestionRow = -1;
    m_curDevInfo = resetDevInfo();

    ui->ipTable->clearContents();
    ui->ipTable->setRowCount(0);

    m_pRebootWatch->stopAll();
    m_strBatchNote.clear();
    m_bSearching = true;
    m_searchTime = QTime::currentTime();
    m_strSearchedFrom = ui->localIpCombo->currentText();
    ui->siteStatusText->setText(siteSearchingText(ui->localIpCombo->currentText(), SEARCH_WINDOW_MS));
    emit CommonSignal::getInstance()->sigSearchNetwork(ui->localIpCombo->currentText());
    updateSearchButton();
}

// The rows go in a slice per turn of the event loop, with the table's viewport hidden until
// the last: every cell widget shown in view is laid out and painted against all the others,
// which for thousands of rows would freeze the window for seconds.
void ModifyModule::slotSearchResult(const QList<QuillbootSearch_S> &listQuillbootSearch)
{
    m_listPendingRows = listQuillbootSearch;
    m_bCapped = listQuillbootSearch.size() >= SEARCH_MAX_RECORDS;
    // One row-count change for the whole list: every inserted row would lay out again
    // the cell widgets of all rows before it.
    m_nNextRow = ui->ipTable->rowCount();
    ui->ipTable->setRowCount(m_nNextRow + listQuillbootSearch.size());
    ui->ipTable->viewport()->hide();
    insertPendingRows();
}

void ModifyModule::insertPendingRows()
{
    for (int nSlice = 0; nSlice < kRowsInsertedPerTurn && !m_listPendingRows.isEmpty(); ++nSlice) {
        if (appendDeviceRow(m_nNextRow, m_listPendingRows.takeFirst()))
            ++m_nNextRow;
    }
    if (!m_listPendingRows.isEmpty()) {
        QTimer::singleShot(0, this, &ModifyModule::insertPendingRows);
        return;
    }
    ui->ipTable->setRowCount(m_nNextRow);
    QWidget *pViewport = ui->ipTable->viewport();
    QTimer::singleShot(0, pViewport, &QWidget::show);
    markSharedAddresses();
    refreshStatusLine();
    CommonTool::getInstance()->getDevInfo();
}

bool ModifyModule::appendDeviceRow(int row, const QuillbootSearch_S &stSearch)
{
    const QString strAddress = searchRecordAddress(stSearch);
    // The address becomes the host of every request for the row.
    if (!isDottedQuadIpv4(strAddress)) {
        qDebug() << "slotSearchResult: reply skipped, its address is not a dotted quad:" << strAddress;
        return false;
    }
    DevInfo_S stDevInfo;
    stDevInfo.strIp = strAddress;
    stDevInfo.nPort = searchRecordPort(stSearch);
    m_devList.append(stDevInfo);
    m_hashRowsByAddress[strAddress].append(row);
    m_rowExtraList.append(RowExtra());
    m_conflicts.countAnswer(strAddress);

    setCellText(row, ColNo, QString::number(row + 1), kNotEditable);
    setCellText(row, ColIp, strAddress, kKeepFlags);
    setCellText(row, ColMask, QString(), kKeepFlags);
    setCellText(row, ColGateway, QString(), kKeepFlags);
    // The switch alone edits DHCP: a text editor over it would only reset the row's edit record.
    QTableWidgetItem *pDhcp = ensureItem(row, ColDhcp);
    pDhcp->setFlags(pDhcp->flags() & kNotEditable);
    ui->ipTable->setCellWidget(row, ColDhcp, createToggleCell(kSwitchWidth, kSwitchHeight));
    setCellText(row, ColMac, QString(), kNotEditable);
    setCellText(row, ColFw, QString(), kNotEditable);
    QTableWidgetItem *pOperation = ensureItem(row, ColOperation);
    pOperation->setFlags(pOperation->flags() & kNotEditable);
    ui->ipTable->setCellWidget(row, ColOperation, createOperationCell(row));
    const QString strNoContact = ContactPolicy::refusalReason(strAddress);
    if (strNoContact.isEmpty()) {
        setRowState(row, RowState::Waiting);
    } else {
        setAddressTip(row, kNoContactTip.arg(strNoContact));
        setRowState(row, RowState::NoContact, strNoContact);
    }
    return true;
}

void ModifyModule::markSharedAddresses()
{
    for (int row = 0; row < m_devList.size(); ++row) {
        const QString &strAddress = m_devList.at(row).strIp;
        if (!m_conflicts.isShared(strAddress))
            continue;
        const ProgramWrite write(m_nProgramWrites);
        ensureItem(row, ColIp)->setBackground(kSharedAddressTint);
        setAddressTip(row, m_conflicts.describe(strAddress));
        if (m_rowExtraList.at(row).state == RowState::Waiting)
            setRowState(row, RowState::Waiting, m_conflicts.describe(strAddress));
    }
}

// Every row of a shared address says what its HTTP answers have shown so far.
void ModifyModule::refreshAddressTips(const QString &strAddress)
{
    if (!m_conflicts.isShared(strAddress))
        return;
    const QString strTip = m_conflicts.describe(strAddress);
    const QList<int> listRows = m_hashRowsByAddress.value(strAddress);
    for (int row : listRows)
        setAddressTip(row, m_rowExtraList.at(row).fill == RowFill::Unreached ? kUnreachedTip.arg(strTip) : strTip);
}

void ModifyModule::setAddressTip(int row, const QString &strTip)
{
    const ProgramWrite write(m_nProgramWrites);
    ensureItem(row, ColIp)->setToolTip(strTip);
}

void ModifyModule::slotSdkUpdateDevInfo(const DevInfo_S &stDevInfo)
{
    m_sdkDevList.append(stDevInfo);
    qDebug() << "slotSdkUpdateDevInfo --->" << m_sdkDevList.size();
}

void ModifyModule::slotSdkGetInfoFinished()
{
    m_nNextAsk = 0;
    askNextRows();
}

// A slice of rows per turn of the event loop, in row order: thousands of requests taken in
// one turn would freeze the window. "Search" comes back after the last.
void ModifyModule::askNextRows()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    const int nEnd = qMin(m_nNextAsk + kRowsAskedPerTurn, m_devList.size());
    for (; m_nNextAsk < nEnd; ++m_nNextAsk) {
        const QString &strIp = m_devList.at(m_nNextAsk).strIp;
        if (!ContactPolicy::mayContact(strIp))
            continue;
        m_ledger.beginAsking(m_nNextAsk);
        emit pHub->sigGetFwVersion(strIp);
        emit pHub->sigGetEnv(strIp);
        m_ledger.endAsking();
    }
    if (m_nNextAsk < m_devList.size()) {
        QTimer::singleShot(0, this, &ModifyModule::askNextRows);
        return;
    }
    m_bSearching = false;
    updateSearchButton();
}

// Replies find their row by the address the row was found at: the address cell is the
// user's to edit. Another camera's firmware is never copied onto an answer HTTP cannot reach.
void ModifyModule::slotUpdateFwVersion(const QString &strIp, const FwVersion_S &stFwVer)
{
    if (dropStaleReply("slotUpdateFwVersion", strIp))
        return;
    const QList<int> listRows = m_hashRowsByAddress.value(strIp);
    for (int row : listRows) {
        if (m_rowExtraList.at(row).fill == RowFill::Unreached || !cellText(row, ColFw).isEmpty())
            continue;
        copyFirmwareFields(stFwVer, m_devList[row]);
        setCellText(row, ColFw, firmwareText(stFwVer), kNotEditable);
        return;
    }
}

// A reply fills the first row of its address still waiting. When it carries the MAC an
// earlier row of the address already shows, an SDK report of another camera at that address
// completes the row; without one the row is that camera's second answer, or another device
// that HTTP does not reach, and is marked instead of filled with a copy.
void ModifyModule::slotUpdateEthInfo(const QString &strIp, EthInfo_S stEthInfo)
{
    if (dropStaleReply("slotUpdateEthInfo", strIp))
        return;
    m_conflicts.noteHttpMac(strIp, stEthInfo.strMacAddr);
    FwVersion_S stPendingFw;
    bool bMerged = false;
    const QList<int> listRows = m_hashRowsByAddress.value(strIp);
    for (int row : listRows) {
        const DevInfo_S &stRow = m_devList.at(row);
        if (!bMerged && stRow.strMacAddr == stEthInfo.strMacAddr && !m_sdkDevList.isEmpty())
            bMerged = mergeSdkRecord(strIp, stRow.strMacAddr, stEthInfo, stPendingFw);
        if (m_rowExtraList.at(row).fill != RowFill::Waiting)
            continue;
        if (!bMerged && showsMacBefore(row, stEthInfo.strMacAddr))
            markUnreached(row);
        else
            fillRow(row, stEthInfo, stPendingFw, bMerged);
        break;
    }
    refreshAddressTips(strIp);
}

bool ModifyModule::dropStaleReply(const char *szSlot, const QString &strIp) const
{
    if (!m_ledger.isDeliveringStale())
        return false;
    qDebug() << szSlot << "reply to a request sent before the latest search dropped:" << strIp;
    return true;
}

bool ModifyModule::mergeSdkRecord(const QString &strAddress, const QString &strMac, EthInfo_S &stEthInfo,
                                  FwVersion_S &stPendingFw)
{
    for (int nIndex = 0; nIndex < m_sdkDevList.size(); ++nIndex) {
        const DevInfo_S &stSdk = m_sdkDevList.at(nIndex);
        if (stSdk.strIPAddr != strAddress || stSdk.strMacAddr == strMac)
            continue;
        stEthInfo.strGateway = stSdk.strGateway;
        stEthInfo.strSubMask = stSdk.strSubMask;
        stEthInfo.strMacAddr = stSdk.strMacAddr;
        copyFirmwareFields(stSdk, stPendingFw);
        m_sdkDevList.removeAt(nIndex);
        qDebug() << "m_sdkDevList ---- >" << m_sdkDevList.size();
        logFirmwareFields(stPendingFw);
        return true;
    }
    return false;
}

bool ModifyModule::showsMacBefore(int row, const QString &strMac) const
{
    const QList<int> listRows = m_hashRowsByAddress.value(m_devList.at(row).strIp);
    for (int nEarlier : listRows) {
        if (nEarlier >= row)
            break;
        const RowFill fill = m_rowExtraList.at(nEarlier).fill;
        if ((fill == RowFill::Filled || fill == RowFill::Merged) && m_devList.at(nEarlier).strMacAddr == strMac)
            return true;
    }
    return false;
}

// The camera's values always become the row's record; a cell or switch the user has already
// changed keeps the user's value.
void ModifyModule::fillRow(int row, const EthInfo_S &stEthInfo, const FwVersion_S &stPendingFw, bool bMerged)
{
    copyNetworkFields(stEthInfo, m_devList[row]);
    m_rowExtraList[row].fill = bMerged ? RowFill::Merged : RowFill::Filled;
    if (bMerged)
        setRowState(row, RowState::Conflict,
                     QStringLiteral("completed from the SDK; shares its address with the camera HTTP reaches"));
    else
        setRowState(row, RowState::Filled,
                    m_conflicts.isShared(m_devList.at(row).strIp) ? m_conflicts.describe(m_devList.at(row).strIp) : QString());
    if (!isUserEdited(row, ColMask))
        setCellText(row, ColMask, stEthInfo.strSubMask, kKeepFlags);
    if (!isUserEdited(row, ColGateway))
        setCellText(row, ColGateway, stEthInfo.strGateway, kKeepFlags);
    setCellText(row, ColMac, stEthInfo.strMacAddr, kNotEditable);
    ToggleSwitch *pSwitch = m_toggleList.value(row);
    if (pSwitch && !m_rowExtraList.at(row).bDhcpEdited) {
        const ProgramWrite write(m_nProgramWrites);
        pSwitch->setChecked(stEthInfo.nDhcp != 0);
    }
    enableRowButtons(row);
    if (!hasFirmware(stPendingFw))
        return;
    const QString strFirmware = firmwareText(stPendingFw);
    setCellText(row, ColFw, strFirmware, kNotEditable);
    qDebug() << row << strFirmware;
    logNetworkFields(stEthInfo);
}

// The buttons come on so that "Save" can say why this answer is not written; a firmware text
// that reached the row can only be the reachable camera's.
void ModifyModule::markUnreached(int row)
{
    m_rowExtraList[row].fill = RowFill::Unreached;
    setRowState(row, RowState::Conflict, QStringLiteral("another answer at this address; HTTP reaches another device"));
    copyFirmwareFields(FwVersion_S(), m_devList[row]);
    setCellText(row, ColFw, QString(), kNotEditable);
    enableRowButtons(row);
    qDebug() << "slotUpdateEthInfo: row" << row << "is another answer at" << m_devList.at(row).strIp
             << "that HTTP does not reach";
}

void ModifyModule::enableRowButtons(int row)
{
    if (CTextButton *pSave = m_saveBtnList.value(row))
        pSave->setEnabled(true);
    if (CTextButton *pCancel = m_cancelBtnList.value(row))
        pCancel->setEnabled(true);
}

void ModifyModule::setRowState(int row, RowState state, const QString &strReason)
{
    m_rowExtraList[row].state = state;
    const ProgramWrite write(m_nProgramWrites);
    QTableWidgetItem *pItem = ensureItem(row, ColNo);
    pItem->setData(RowStateDelegate::RowStateRole, int(state));
    pItem->setToolTip(strReason.isEmpty() ? rowStateName(state) : kStateTip.arg(rowStateName(state), strReason));
    scheduleStatusRefresh();
}

// A read that ended without settings says why on a row still waiting; a reply that the
// parsers read has filled or marked its row already.
void ModifyModule::noteReadOutcome(int row, int nOutcome)
{
    if (row >= m_rowExtraList.size() || m_rowExtraList.at(row).state != RowState::Waiting)
        return;
    switch (nOutcome) {
    case RequestOutcome::Answered:
        return;
    case RequestOutcome::Unreadable:
    case RequestOutcome::Redirected:
    case RequestOutcome::HttpError:
        setRowState(row, RowState::Unreadable, RequestOutcome::outcomeText(nOutcome));
        return;
    case RequestOutcome::TooLarge:
        setRowState(row, RowState::TooLarge, RequestOutcome::outcomeText(nOutcome));
        return;
    default:
        setRowState(row, RowState::NoAnswer, RequestOutcome::outcomeText(nOutcome));
        return;
    }
}

// Replies of a large site come in bursts; the line is counted once per turn of the loop.
void ModifyModule::scheduleStatusRefresh()
{
    if (m_bStatusRefreshPending)
        return;
    m_bStatusRefreshPending = true;
    QTimer::singleShot(0, this, [this] {
        m_bStatusRefreshPending = false;
        refreshStatusLine();
    });
}

void ModifyModule::refreshStatusLine()
{
    applyFilter();
    const QString strSummary = siteSummaryText(siteSummary());
    const QString strText = m_strBatchNote.isEmpty() ? strSummary : kStatusWithNote.arg(strSummary, m_strBatchNote);
    ui->siteStatusText->setText(strText);
    ui->siteStatusText->setToolTip(strText);
}

SiteSummary_S ModifyModule::siteSummary() const
{
    SiteSummary_S stSummary;
    stSummary.nCameras = m_rowExtraList.size();
    stSummary.nConflicts = m_conflicts.sharedAddressCount();
    stSummary.searchedAt = m_searchTime;
    stSummary.nCap = m_bCapped ? SEARCH_MAX_RECORDS : 0;
    if (!ui->filterEdit->text().isEmpty()) {
        stSummary.nShown = 0;
        for (int row = 0; row < m_devList.size(); ++row)
            stSummary.nShown += ui->ipTable->isRowHidden(row) ? 0 : 1;
    }
    for (const RowExtra &extra : m_rowExtraList) {
        if (extra.fill == RowFill::Filled || extra.fill == RowFill::Merged)
            ++stSummary.nFilled;
        else if (extra.state == RowState::Waiting)
            ++stSummary.nWaiting;
        else if (rowStateIsUnanswered(extra.state))
            ++stSummary.nUnanswered;
    }
    return stSummary;
}

bool ModifyModule::isUserEdited(int row, int column) const
{
    return m_rowExtraList.value(row).nEditedColumns & columnBit(column);
}

void ModifyModule::slotGetEnvFinished()
{
}

void ModifyModule::recordCellChange(int row, int column)
{
    if (m_nProgramWrites == 0 && row < m_rowExtraList.size())
        m_rowExtraList[row].nEditedColumns |= columnBit(column);
    DevInfo_S stEdit = m_editMap.value(row);
    switch (column) {
    case ColIp:
        stEdit.strIPAddr = cellText(row, ColIp);
        break;
    case ColMask:
        stEdit.strSubMask = cellText(row, ColMask);
        break;
    case ColGateway:
        stEdit.strGateway = cellText(row, ColGateway);
        break;
    default:
        stEdit = DevInfo_S();
        break;
    }
    m_editMap.insert(row, stEdit);
}

void ModifyModule::slotToggleChanged(bool checked)
{
    const int row = m_toggleList.indexOf(qobject_cast<ToggleSwitch *>(sender()));
    if (row < 0)
        return;
    if (m_nProgramWrites == 0 && row < m_rowExtraList.size())
        m_rowExtraList[row].bDhcpEdited = true;
    DevInfo_S stEdit = m_editMap.value(row);
    stEdit.nDhcp = checked ? 1 : 0;
    m_editMap.insert(row, stEdit);
}

void ModifyModule::slotSave()
{
    const int row = m_saveBtnList.indexOf(qobject_cast<CTextButton *>(sender()));
    if (row >= 0) {
        if (refuseSave(row))
            return;
        m_nQuestionRow = row;
        m_curDevInfo = m_editMap.value(row);
        m_curDevInfo = completeDevInfo(row, m_curDevInfo);
        qDebug() << "slotSave -->" << row;
        qDebug() << "DevIP:" << m_curDevInfo.strIp << "DevPORT:" << m_curDevInfo.nPort;
        logNetworkFields(m_curDevInfo);
        logFirmwareFields(m_curDevInfo);
    }
    CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
    pPop->setTipText(kSaveQuestion);
    pPop->showPop();
}

DevInfo_S ModifyModule::completeDevInfo(int row, const DevInfo_S &stDevInfo) const
{
    const DevInfo_S stStored = m_devList.value(row);
    qDebug() << "completeDevInfo >> " << row << stStored.strIp;

    DevInfo_S stResult = stDevInfo;
    stResult.strIp = stStored.strIp;
    stResult.nPort = stStored.nPort;
    stResult.strMacAddr = stStored.strMacAddr;
    stResult.strDns1 = stStored.strDns1;
    stResult.strDns2 = stStored.strDns2;
    stResult.strCamVersion = stStored.strCamVersion;
    stResult.strArmVersion = stStored.strArmVersion;
    stResult.strAFVersion = stStored.strAFVersion;

    if (const QTableWidgetItem *pItem = ui->ipTable->item(row, ColIp))
        stResult.strIPAddr = pItem->text();
    if (const QTableWidgetItem *pItem = ui->ipTable->item(row, ColMask))
        stResult.strSubMask = pItem->text();
    if (const QTableWidgetItem *pItem = ui->ipTable->item(row, ColGateway))
        stResult.strGateway = pItem->text();

    if (stResult.nDhcp < 0) {
        const ToggleSwitch *pSwitch = m_toggleList.value(row);
        stResult.nDhcp = pSwitch && pSwitch->isChecked() ? 1 : 0;
    }
    return stResult;
}

// What makes a write to the row's camera unsafe: the toast's words and the reason; false
// when it may go out.
bool ModifyModule::findSaveRefusal(int row, QString *pToast, QString *pWhy) const
{
    const DevInfo_S &stRow = m_devList.at(row);
    const QString strNoContact = ContactPolicy::refusalReason(stRow.strIp);
    SaveRefusalText refusal;
    if (!strNoContact.isEmpty())
        refusal = {kNoContactRefusal.strToast, kNoContactRefusal.strWhy.arg(strNoContact)};
    else if (m_rowExtraList.at(row).fill == RowFill::Unreached)
        refusal = kUnreachedRefusal;
    else if (m_rowExtraList.at(row).fill == RowFill::Merged)
        refusal = kMergedRefusal;
    else if (m_ledger.hasPendingSave(row) || m_pBatchRun->isBusyWith(row))
        refusal = kInFlightRefusal;
    else if (!m_conflicts.reachesOnly(stRow.strIp, stRow.strMacAddr))
        refusal = m_conflicts.httpMacs(stRow.strIp).size() > 1 ? kAmbiguousRefusal : kMergedRefusal;
    *pToast = refusal.strToast;
    *pWhy = refusal.strWhy;
    return !refusal.strToast.isEmpty();
}

// Shows why a save of the row would be unsafe, if it would; true when it is refused.
bool ModifyModule::refuseSave(int row)
{
    QString strToast;
    QString strWhy;
    const bool bRefused = findSaveRefusal(row, &strToast, &strWhy);
    if (CTextButton *pSave = m_saveBtnList.value(row))
        pSave->setToolTip(strWhy);
    if (!bRefused)
        return false;
    qDebug() << "slotSave -->" << row << "refused:" << strWhy;
    ToastHintWidget::getInstance()->showTips(kToastFailure, strToast);
    return true;
}

// The answers may have changed while the question was open, so the row is judged again.
void ModifyModule::confirmSave()
{
    CTextHintPopWidget::getInstance()->hide();
    const int row = m_nQuestionRow;
    if (row >= 0 && refuseSave(row))
        return;
    if (!checkCurrentDevInfo()) {
        showToast(kToastFailure, kResultFormError);
        return;
    }
    sendSave(row);
}

// The mask goes out in the plain form every camera reads, and the row shows what was sent.
void ModifyModule::sendSave(int row)
{
    const QString strMask = plainMaskText(m_curDevInfo.strSubMask);
    if (row >= 0 && strMask != m_curDevInfo.strSubMask)
        setCellText(row, ColMask, strMask, kKeepFlags);
    m_curDevInfo.strSubMask = strMask;
    const DevInfo_S stSent = m_curDevInfo;
    m_curDevInfo = resetDevInfo();
    m_nQuestionRow = -1;
    sendWrite(row, stSent);
}

// One write, from a save or a batch; the row is -1 only for a save without a row.
void ModifyModule::sendWrite(int row, const DevInfo_S &stSent)
{
    if (row >= 0) {
        m_ledger.beginSave(row, stSent);
        setRowState(row, RowState::Saving, QStringLiteral("writing %1 to the camera").arg(stSent.strIPAddr));
    }
    emit CommonSignal::getInstance()->sigSetEthInfo(stSent.strIp, networkFieldsOf(stSent));
    m_ledger.endSaveSend();
    updateSearchButton();
}

bool ModifyModule::checkCurrentDevInfo() const
{
    CommonTool *pTool = CommonTool::getInstance();
    return pTool->checkIpValid(m_curDevInfo.strIPAddr) && pTool->checkMaskValid(m_curDevInfo.strSubMask)
        && pTool->isSameSubnet(m_curDevInfo.strGateway, m_curDevInfo.strIPAddr, m_curDevInfo.strSubMask);
}

void ModifyModule::slotUpdateEthStatus(const QString &strIp, int nStatus)
{
    if (dropStaleReply("slotUpdateEthStatus", strIp))
        return;
    int row = m_ledger.deliveringSaveRow();
    if (row < 0)
        row = m_ledger.pendingSaveRow(strIp);
    const bool bWritten = nStatus == kResultSuccess;
    // A batch tells its outcome once, at the end, instead of a toast per camera.
    const bool bBatch = row >= 0 && m_pBatchRun->isBusyWith(row);
    if (row >= 0) {
        settleSave(row, bWritten);
        if (bBatch)
            endBatchWrite(row, bWritten, kBatchRefused.arg(nStatus));
        if (bWritten)
            followReboot(row);
        else
            setRowState(row, RowState::NotWritten, kWriteRefused.arg(nStatus));
    }
    qDebug() << "slotUpdateEthStatus ---> " << strIp << nStatus;
    if (!bBatch)
        showToast(bWritten ? kToastSuccess : kToastFailure, bWritten ? kResultSuccess : kResultFailed);
    if (bWritten)
        emit CommonSignal::getInstance()->sigDevReboot(strIp);
}

// A refused or failed write leaves the camera as it was, so the stored record stays what
// "Cancel" must put back. The open question, if any, keeps its own record.
void ModifyModule::settleSave(int row, bool bWritten)
{
    const DevInfo_S stSaved = m_ledger.takePendingSave(row);
    if (bWritten && row < m_devList.size())
        m_devList[row] = stSaved;
    updateSearchButton();
}

// The row follows its camera to the written address, unless that address is unknown or
// out of this computer's reach: then it says so rather than asking in vain.
void ModifyModule::followReboot(int row)
{
    const DevInfo_S &stSaved = m_devList.at(row);
    const QString strUnwatchable = unwatchableReason(stSaved);
    if (!strUnwatchable.isEmpty()) {
        setRowState(row, RowState::Rebooting, strUnwatchable);
        m_pBatchRun->noteWatchEnded(row, false, kBatchNotBack.arg(strUnwatchable));
        return;
    }
    setRowState(row, RowState::Rebooting,
                kRebootingOnto.arg(stSaved.strIPAddr)
                    .arg(RebootWatch::REBOOT_POLL_INTERVAL_MS / kMsPerSecond)
                    .arg(RebootWatch::REBOOT_WATCH_LIMIT_MS / kMsPerSecond));
    m_pRebootWatch->watch(row, networkFieldsOf(stSaved));
}

QString ModifyModule::unwatchableReason(const DevInfo_S &stSaved) const
{
    if (stSaved.nDhcp > 0)
        return kDhcpNotFollowed;
    const int nPrefix = LocalAddresses::prefixLength(m_strSearchedFrom);
    if (nPrefix >= 0 && !QHostAddress(stSaved.strIPAddr).isInSubnet(QHostAddress(m_strSearchedFrom), nPrefix))
        return kOtherSubnet.arg(stSaved.strIPAddr, m_strSearchedFrom).arg(nPrefix);
    return QString();
}

// Proven back: the camera is now reached at its new address, by later saves and "Cancel" too.
void ModifyModule::markBack(int row)
{
    DevInfo_S &stRow = m_devList[row];
    if (stRow.strIp != stRow.strIPAddr) {
        // Whatever was known of the old address no longer concerns this row.
        const ProgramWrite write(m_nProgramWrites);
        ensureItem(row, ColIp)->setBackground(QBrush());
        setAddressTip(row, QString());
    }
    m_hashRowsByAddress[stRow.strIp].removeOne(row);
    QList<int> &listAtNew = m_hashRowsByAddress[stRow.strIPAddr];
    listAtNew.insert(std::lower_bound(listAtNew.begin(), listAtNew.end(), row), row);
    stRow.strIp = stRow.strIPAddr;
    m_conflicts.noteHttpMac(stRow.strIp, stRow.strMacAddr);
    setRowState(row, RowState::Back, kBackAt.arg(stRow.strIp, stRow.strMacAddr));
    m_pBatchRun->noteWatchEnded(row, true, QString());
}

void ModifyModule::markNotSeen(int row, const QString &strReason)
{
    setRowState(row, RowState::NotSeen, strReason);
    m_pBatchRun->noteWatchEnded(row, false, kBatchNotBack.arg(strReason));
}

// A search would stop every reboot watch and renumber the rows under a write or a batch.
void ModifyModule::updateSearchButton()
{
    const QStringList listWrites = m_ledger.pendingSaveAddresses();
    const bool bBatch = m_pBatchRun->isRunning();
    ui->toolButton->setEnabled(!m_bSearching && listWrites.isEmpty() && !bBatch);
    if (bBatch)
        ui->toolButton->setToolTip(kBatchRunning);
    else
        ui->toolButton->setToolTip(listWrites.isEmpty() ? QString() : kWritesInFlightTip.arg(listWrites.join(kAddressSeparator)));
    ui->assignBtn->setText(bBatch ? kCancelBatchText : kAssignText);
    ui->assignBtn->setEnabled(!m_bSearching);
}

void ModifyModule::slotRequestStarted(quint64 nRequest, const QString &, int nCmd)
{
    m_ledger.noteStarted(nRequest, nCmd == kCmdSetEnv);
}

void ModifyModule::slotReplyDelivering(quint64 nRequest, const QString &, int)
{
    m_ledger.noteDelivering(nRequest);
}

// A save whose request ended without a status failed: the network failures have already
// been shown through the hub, a reply without a status has not.
void ModifyModule::slotRequestFinished(quint64 nRequest, const QString &strIp, int nCmd, int nOutcome)
{
    const int nReadRow = m_ledger.readRow(nRequest);
    if (nCmd == kCmdGetEnv && nReadRow >= 0)
        noteReadOutcome(nReadRow, nOutcome);
    const int row = m_ledger.noteFinished(nRequest);
    if (row < 0)
        return;
    qDebug() << "slotRequestFinished: the write to" << strIp << "ended without a status:"
             << RequestOutcome::outcomeText(nOutcome);
    settleSave(row, false);
    setRowState(row, RowState::NotWritten, kWriteFailed.arg(RequestOutcome::outcomeText(nOutcome)));
    if (m_pBatchRun->isBusyWith(row))
        endBatchWrite(row, false, kBatchNoAnswer.arg(RequestOutcome::outcomeText(nOutcome)));
    else if (nOutcome == RequestOutcome::Answered || nOutcome == RequestOutcome::Unreadable)
        showToast(kToastFailure, kResultFailed);
}

void ModifyModule::slotCancel()
{
    const int row = m_cancelBtnList.indexOf(qobject_cast<CTextButton *>(sender()));
    restoreRow(row);
    m_curDevInfo = resetDevInfo();
}

void ModifyModule::restoreRow(int row)
{
    if (row < 0)
        return;
    const DevInfo_S stStored = m_devList.value(row);
    m_editMap.insert(row, stStored);
    showEditableValues(row, stStored.strIp, stStored);
    if (row < m_rowExtraList.size()) {
        m_rowExtraList[row].nEditedColumns = 0;
        m_rowExtraList[row].bDhcpEdited = false;
    }
}

// The address, mask, gateway and DHCP the row's editable cells and switch show, as the
// program's own writes: none of them counts as the user's edit.
void ModifyModule::showEditableValues(int row, const QString &strAddress, const DevInfo_S &stValues)
{
    setCellText(row, ColIp, strAddress, kKeepFlags);
    setCellText(row, ColMask, stValues.strSubMask, kKeepFlags);
    setCellText(row, ColGateway, stValues.strGateway, kKeepFlags);
    if (ToggleSwitch *pSwitch = m_toggleList.value(row)) {
        const ProgramWrite write(m_nProgramWrites);
        pSwitch->setChecked(stValues.nDhcp != 0);
    }
}

void ModifyModule::initSiteBar()
{
    // The site's counts, and below them a batch's summary, which may take two lines.
    ui->siteStatusText->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ui->siteStatusText->setWordWrap(true);
    ui->filterEdit->setStyleSheet(kTextFieldSheet);
    ui->filterEdit->setPlaceholderText(kFilterHint);
    ui->filterEdit->setClearButtonEnabled(true);
    connect(ui->filterEdit, &QLineEdit::textChanged, this, &ModifyModule::refreshStatusLine);
    ui->assignBtn->setStyleSheet(kAssignSheet);
    ui->assignBtn->setText(kAssignText);
    connect(ui->assignBtn, &QToolButton::released, this, &ModifyModule::assignOrCancel);
    ui->ipTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->ipTable, &QWidget::customContextMenuRequested, this, &ModifyModule::showRowMenu);
}

// A shortcut only works while its widget is shown, so Escape, held by the question, is taken
// only while the question is open (wherever the focus is); otherwise it stays the cell
// editor's.
void ModifyModule::initShortcuts()
{
    auto *pSearch = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(pSearch, &QShortcut::activated, this, [this] {
        if (ui->toolButton->isEnabled())
            searchIp();
    });
    CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
    auto *pEscape = new QShortcut(QKeySequence(Qt::Key_Escape), pPop, nullptr, nullptr, Qt::ApplicationShortcut);
    connect(pEscape, &QShortcut::activated, this, [] { emit CTextHintPopWidget::getInstance()->sigCancel(); });
    connect(this, &QObject::destroyed, pEscape, &QObject::deleteLater);
    ui->ipTable->installEventFilter(this);
}

bool ModifyModule::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    if (pWatched == ui->ipTable && pEvent->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(pEvent)->matches(QKeySequence::Copy)) {
        copyRows();
        return true;
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

void ModifyModule::showRowMenu(const QPoint &pos)
{
    const int row = ui->ipTable->rowAt(pos.y());
    QMenu menu(this);
    QAction *pAssign = menu.addAction(kAssignText, this, &ModifyModule::openBatchDialog);
    pAssign->setEnabled(ui->assignBtn->isEnabled() && !m_pBatchRun->isRunning());
    menu.addAction(kCopyText, this, &ModifyModule::copyRows);
    const QString strAddress = m_devList.value(row).strIp;
    QAction *pPage = menu.addAction(kWebPageText, this, [strAddress] { WebPageOpener::open(strAddress); });
    pPage->setEnabled(row >= 0 && WebPageOpener::canOpen(strAddress));
    menu.exec(ui->ipTable->viewport()->mapToGlobal(pos));
}

// The selected rows that are shown, top to bottom; every shown row when none is selected.
QList<int> ModifyModule::chosenRows() const
{
    QList<int> listRows;
    const QModelIndexList listSelected = ui->ipTable->selectionModel()->selectedRows();
    for (const QModelIndex &index : listSelected) {
        if (!ui->ipTable->isRowHidden(index.row()))
            listRows.append(index.row());
    }
    if (listRows.isEmpty()) {
        for (int row = 0; row < m_devList.size(); ++row) {
            if (!ui->ipTable->isRowHidden(row))
                listRows.append(row);
        }
    }
    std::sort(listRows.begin(), listRows.end());
    return listRows;
}

// The first seven columns as the table shows them, DHCP as on or off, and the row's state.
void ModifyModule::copyRows()
{
    QList<QStringList> listLines{kCsvHeader};
    const QList<int> listRows = chosenRows();
    for (int row : listRows) {
        const ToggleSwitch *pSwitch = m_toggleList.value(row);
        listLines.append({cellText(row, ColNo), cellText(row, ColIp), cellText(row, ColMask),
                          cellText(row, ColGateway), pSwitch && pSwitch->isChecked() ? kDhcpOn : kDhcpOff,
                          cellText(row, ColMac), cellText(row, ColFw), rowStateName(m_rowExtraList.at(row).state)});
    }
    QGuiApplication::clipboard()->setText(tableCsv(listLines));
}

// Hidden, never removed: row r stays element r of every list.
void ModifyModule::applyFilter()
{
    const QString strFilter = ui->filterEdit->text().trimmed();
    for (int row = 0; row < m_devList.size(); ++row) {
        // Each change lays out every row's cell widgets again: only real changes are made.
        const bool bHide = !strFilter.isEmpty() && !matchesFilter(row, strFilter);
        if (ui->ipTable->isRowHidden(row) != bHide)
            ui->ipTable->setRowHidden(row, bHide);
    }
}

bool ModifyModule::matchesFilter(int row, const QString &strFilter) const
{
    for (int column : {ColIp, ColMac, ColFw}) {
        if (cellText(row, column).contains(strFilter, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

void ModifyModule::assignOrCancel()
{
    if (m_pBatchRun->isRunning())
        m_pBatchRun->cancel();
    else
        openBatchDialog();
}

// The selected rows that may be written take part; the others are listed with the reason.
void ModifyModule::openBatchDialog()
{
    if (ui->ipTable->selectionModel()->selectedRows().isEmpty()) {
        ToastHintWidget::getInstance()->showTips(kToastFailure, kSelectFirst);
        return;
    }
    QList<BatchPlan::Entry_S> listCameras;
    QList<QPair<QString, QString>> listLeftOut;
    for (int row : chosenRows()) {
        const QString strWhy = batchRefusal(row);
        if (!strWhy.isEmpty()) {
            listLeftOut.append({m_devList.at(row).strIp, strWhy});
            continue;
        }
        BatchPlan::Entry_S stEntry;
        stEntry.nRow = row;
        stEntry.strMac = m_devList.at(row).strMacAddr;
        stEntry.strCurrent = m_devList.at(row).strIp;
        listCameras.append(stEntry);
    }
    QSet<QString> setHeld;
    for (const DevInfo_S &stDevInfo : qAsConst(m_devList))
        setHeld << stDevInfo.strIp << stDevInfo.strIPAddr;
    const QStringList listOwn = LocalAddresses::searchable();
    setHeld.unite(QSet<QString>(listOwn.cbegin(), listOwn.cend()));
    setHeld.remove(QString());
    if (!m_pBatchDialog) {
        m_pBatchDialog = new BatchAssignDialog(window());
        connect(m_pBatchDialog, &BatchAssignDialog::sigAssign, this, &ModifyModule::startBatch);
    }
    const DevInfo_S stFirst = listCameras.isEmpty() ? DevInfo_S() : m_devList.at(listCameras.first().nRow);
    m_pBatchDialog->open(listCameras, listLeftOut, setHeld, stFirst.strIp, stFirst.strSubMask, stFirst.strGateway);
}

QString ModifyModule::batchRefusal(int row) const
{
    const RowFill fill = m_rowExtraList.at(row).fill;
    if (ContactPolicy::mayContact(m_devList.at(row).strIp) && fill == RowFill::Waiting)
        return kNotFilled;
    QString strToast;
    QString strWhy;
    findSaveRefusal(row, &strToast, &strWhy);
    return strWhy;
}

// Static addresses for every camera of the plan; the table shows what is being written.
void ModifyModule::startBatch(const QList<BatchPlan::Entry_S> &listEntries, const QString &strMask,
                              const QString &strGateway)
{
    QList<QPair<int, DevInfo_S>> listWrites;
    for (const BatchPlan::Entry_S &stEntry : listEntries) {
        if (stEntry.strNew.isEmpty())
            continue;
        DevInfo_S stWrite = m_devList.at(stEntry.nRow);
        stWrite.strIPAddr = stEntry.strNew;
        stWrite.strSubMask = plainMaskText(strMask);
        stWrite.strGateway = strGateway;
        stWrite.nDhcp = 0;
        showEditableValues(stEntry.nRow, stWrite.strIPAddr, stWrite);
        listWrites.append({stEntry.nRow, stWrite});
    }
    qDebug() << "startBatch:" << listWrites.size() << "cameras";
    m_strBatchNote = kBatchWriting.arg(listWrites.size());
    m_pBatchRun->start(listWrites);
    updateSearchButton();
    refreshStatusLine();
}

// The plan's values were written into the row; a camera that did not take them keeps its own.
void ModifyModule::endBatchWrite(int row, bool bWritten, const QString &strWhy)
{
    m_pBatchRun->noteWriteEnded(row, bWritten, strWhy);
    if (!bWritten)
        restoreRow(row);
}

void ModifyModule::finishBatch(const QString &strSummary, bool bAllBack)
{
    qDebug() << "finishBatch:" << strSummary;
    m_strBatchNote = kBatchNote.arg(strSummary);
    updateSearchButton();
    refreshStatusLine();
    ToastHintWidget::getInstance()->showTips(bAllBack ? kToastSuccess : kToastFailure, bAllBack ? kBatchDone : kBatchFailed);
}
