#include "ui/modifymodule.h"

#include "ui_modifymodule.h"

#include <QDebug>
#include <QHeaderView>
#include <QKeyEvent>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>

#include "net/localaddresses.h"
#include "site/devicecolumns.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/hubrequests.h"
#include "site/sitemodel.h"
#include "site/sitenotifier.h"
#include "ui/remembered.h"
#include "ui/rowactions.h"
#include "ui/rowcells.h"
#include "ui/rowstatedelegate.h"
#include "ui/sitestatusline.h"
#include "widgets/cfontfamily.h"
#include "widgets/ctextbutton.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"
#include "widgets/toggleswitch.h"

namespace {

// Share of the table width per column; they add up to 1.
constexpr double kColumnFactors[DeviceColumnCount] = {0.0613, 0.1341, 0.1341, 0.1341,
                                                      0.0841, 0.1591, 0.1591, 0.1341};
// The view's width minus this is the table's inner width (margins and frame).
constexpr int kTableInset = 52;
// Widths until the first resize replaces them.
constexpr int kInitialNoColumnWidth = 30;
constexpr int kInitialColumnWidth = 115;
constexpr int kHeaderHeight = 40;
constexpr int kRowHeight = 30;
constexpr int kHeaderFontSize = 16;
constexpr int kTableFontSize = 14;
constexpr int kComboFontSize = 16;

const QString kHeaderSheet = QStringLiteral(
    "QHeaderView::section{background:#F5F9FA;color:#666666;font:%1px @family;border: 0px;"
    "border-right: 1px solid #DCE5EB;border-bottom: 1px solid #DCE5EB;padding: 4px 6px;}"
    "QHeaderView::section:last {border-right: none;}");
const QString kTableSheet = QStringLiteral(
    "QTableWidget#ipTable{color:#333333;font:%1px @family;border: 1px solid #DCE5EB;}"
    "QTableWidget#ipTable::item:selected {background-color: #EDF7FE;color: #333333;}");
const QString kScrollBarSheet = QStringLiteral(
    "QScrollBar{background:#F1F1F1;width:6px;border-radius:3px;}"
    "QScrollBar::handle{background:#E5E5E5;border-radius:3px;}"
    "QScrollBar::sub-line,QScrollBar::add-line{width:0px;height:0px;border:none;}");
const QString kSearchSheet = QStringLiteral(
    "QToolButton{border-radius:4px;background:#00B7FF;font:16px @family;color:#FFFFFF;padding-left: 12px;}"
    "QToolButton:disabled{    background:#CCCCCC;    color:#999999;}");
const QString kAssignSheet = QStringLiteral(
    "QToolButton{border-radius:4px;background:#00B7FF;font:14px @family;color:#FFFFFF;}"
    "QToolButton:disabled{background:#CCCCCC;color:#999999;}");
const QString kDownImage = QStringLiteral(":/res/down.png");

const QString kAssignText = QStringLiteral("Assign addresses...");
const QString kCancelBatchText = QStringLiteral("Cancel batch");

// A font size in the shortest general form: 16 stays 16, 24.5 stays 24.5.
QString scaledSheet(const QString &strSheet, int nSize, double scale)
{
    return CFontFamily::getInstance()->styleSheet(strSheet.arg(nSize * scale, 0, 'g', -1));
}

QString kitSheet(const QString &strSheet)
{
    return CFontFamily::getInstance()->styleSheet(strSheet);
}

} // namespace

ModifyModule::ModifyModule(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ModifyModule)
    , m_pSite(new SiteModel(this))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_MouseTracking);
    m_pCells = new RowCells(ui->ipTable, m_pSite->rows(), this);
    m_pActions = new RowActions(ui->ipTable, m_pSite, this);
    m_pStatus = new SiteStatusLine(ui->siteStatusText, ui->filterEdit, ui->ipTable, m_pSite, this);
    initTable();
    initLocalIp();
    initConnect();
    initSiteBar();
    initShortcuts();
    linkSite();
}

ModifyModule::~ModifyModule()
{
    delete ui;
}

void ModifyModule::setScale(double scale)
{
    m_scale = scale;
    applyTableStyleSheets();
    m_pCells->setButtonFontSize(int(m_btnFontSize * m_scale));
}

SiteModel *ModifyModule::siteModel() const
{
    return m_pSite;
}

void ModifyModule::initTable()
{
    ui->bg->setBackgroundColor(QColor("#F5F9FA"));
    ui->bg1->setBackgroundColor(QColor("#FFFFFF"));
    ui->localIpText->setText(QStringLiteral("Computer IP "));
    ui->localIpText->setFontFamily(CFontFamily::getInstance()->family());
    ui->localIpText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ui->localIpText->setFontSize(m_textFontSize);

    QTableWidget *pTable = ui->ipTable;
    pTable->setColumnCount(DeviceColumnCount);
    pTable->setHorizontalHeaderLabels(deviceColumnHeaders());
    pTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QHeaderView *pHeader = pTable->horizontalHeader();
    pHeader->setSectionResizeMode(QHeaderView::Fixed);
    pHeader->setSectionsClickable(false);
    pHeader->setFixedHeight(kHeaderHeight);
    pTable->verticalHeader()->hide();
    pTable->verticalHeader()->setDefaultSectionSize(kRowHeight);
    pTable->setColumnWidth(ColNo, kInitialNoColumnWidth);
    for (int nColumn = ColIp; nColumn < DeviceColumnCount; ++nColumn)
        pTable->setColumnWidth(nColumn, kInitialColumnWidth);
    pTable->setItemDelegateForColumn(ColNo, new RowStateDelegate(pTable));
    pTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    pTable->setShowGrid(false);
    applyTableStyleSheets();
    pTable->verticalScrollBar()->setStyleSheet(kScrollBarSheet);

    CComboBox *pCombo = ui->localIpCombo;
    pCombo->setRadius(4);
    pCombo->setBorder(1, QColor("#B8C4D1"));
    pCombo->setFontSize(kComboFontSize);
    pCombo->setPadding(10, 0, 0, 0);
    pCombo->setArrowGeometry(5, 10, 5);
    pCombo->setArrowImages(kDownImage, kDownImage);
    pCombo->setPopupOffset(3);
    ui->toolButton->setStyleSheet(kitSheet(kSearchSheet));
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
    const int nRemembered = listAddress.indexOf(Remembered::localAddress());
    if (nRemembered > 0)
        ui->localIpCombo->setCurrentIndex(nRemembered);
}

void ModifyModule::initConnect()
{
    connect(ui->toolButton, &QToolButton::released, this, &ModifyModule::searchIp);
    CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
    connect(pPop, &CTextHintPopWidget::sigCancel, this, [] { CTextHintPopWidget::getInstance()->hide(); });
    connect(pPop, &CTextHintPopWidget::sigSure, this, &ModifyModule::confirmSave);
}

void ModifyModule::initSiteBar()
{
    // The site's counts, and below them a batch's summary, which may take two lines.
    ui->assignBtn->setStyleSheet(kitSheet(kAssignSheet));
    ui->assignBtn->setText(kAssignText);
    connect(ui->assignBtn, &QToolButton::released, this, &ModifyModule::assignOrCancel);
    ui->ipTable->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->ipTable, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        m_pActions->showMenu(pos, ui->assignBtn->isEnabled() && !m_pSite->isBatchRunning());
    });
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

// The model asks and the view sends: no other part of the site talks to the hub. What the
// model says changed is shown.
void ModifyModule::linkSite()
{
    SiteNotifier *pSite = m_pSite->notifier();
    sendSiteRequestsToHub(pSite, this);

    connect(pSite, &SiteNotifier::sigRowsCleared, m_pCells, &RowCells::clear);
    connect(pSite, &SiteNotifier::sigListening, m_pStatus, &SiteStatusLine::refreshNow);
    connect(pSite, &SiteNotifier::sigRowsAppended, m_pCells, &RowCells::insert);
    connect(pSite, &SiteNotifier::sigRowChanged, this, [this](int nIndex) {
        m_pCells->refresh(nIndex);
        m_pStatus->refresh();
    });
    connect(pSite, &SiteNotifier::sigStatusChanged, m_pStatus, &SiteStatusLine::refresh);
    connect(pSite, &SiteNotifier::sigSearchStateChanged, this, &ModifyModule::refreshSearchState);
    connect(pSite, &SiteNotifier::sigToast, this,
            [](int nKind, const QString &strText) { ToastHintWidget::getInstance()->showTips(nKind, strText); });
    connect(pSite, &SiteNotifier::sigQuestion, this, &ModifyModule::showQuestion);
    connect(m_pCells, &RowCells::sigRowWidgets, this, &ModifyModule::connectRowWidgets);
    connect(m_pCells, &RowCells::sigCellEdited, this, &ModifyModule::editCell);
    connect(m_pCells, &RowCells::sigInserted, m_pStatus, &SiteStatusLine::refreshNow);
    connect(m_pCells, &RowCells::sigInserted, this, &ModifyModule::refreshSearchState);
}

void ModifyModule::resizeEvent(QResizeEvent *event)
{
    const int nWidth = width() - kTableInset;
    for (int nColumn = 0; nColumn < DeviceColumnCount; ++nColumn)
        ui->ipTable->setColumnWidth(nColumn, int(nWidth * kColumnFactors[nColumn]));
    QWidget::resizeEvent(event);
}

bool ModifyModule::eventFilter(QObject *pWatched, QEvent *pEvent)
{
    if (pWatched == ui->ipTable && pEvent->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(pEvent)->matches(QKeySequence::Copy)) {
        m_pActions->copy();
        return true;
    }
    return QWidget::eventFilter(pWatched, pEvent);
}

void ModifyModule::searchIp()
{
    if (m_pSite->search(ui->localIpCombo->currentText()))
        Remembered::setLocalAddress(ui->localIpCombo->currentText());
}

void ModifyModule::slotSearchResult(const QList<QuillbootSearch_S> &listQuillbootSearch)
{
    m_pSite->takeSearchResult(listQuillbootSearch);
}

void ModifyModule::slotSdkUpdateDevInfo(const DevInfo_S &stDevInfo)
{
    m_pSite->takeSdkReport(stDevInfo);
}

void ModifyModule::slotSdkGetInfoFinished()
{
    m_pSite->takeSdkFinished();
}

void ModifyModule::slotUpdateFwVersion(const QString &strIp, const FwVersion_S &stFwVer)
{
    m_pSite->takeFirmware(strIp, stFwVer);
}

void ModifyModule::slotUpdateEthInfo(const QString &strIp, EthInfo_S stEthInfo)
{
    m_pSite->takeSettings(strIp, stEthInfo);
}

void ModifyModule::slotGetEnvFinished()
{
}

void ModifyModule::connectRowWidgets(ToggleSwitch *pSwitch, CTextButton *pSave, CTextButton *pCancel)
{
    connect(pSwitch, &ToggleSwitch::checkedChanged, this, &ModifyModule::slotToggleChanged);
    connect(pSave, &CTextButton::released, this, &ModifyModule::slotSave);
    connect(pCancel, &CTextButton::released, this, &ModifyModule::slotCancel);
}

void ModifyModule::editCell(int nIndex, int nColumn, const QString &strText)
{
    const DeviceRow *pRow = m_pSite->rows().at(nIndex);
    if (!pRow)
        return;
    if (nColumn == ColIp)
        m_pSite->editAddress(pRow->id(), strText);
    else if (nColumn == ColMask)
        m_pSite->editMask(pRow->id(), strText);
    else if (nColumn == ColGateway)
        m_pSite->editGateway(pRow->id(), strText);
}

void ModifyModule::slotToggleChanged(bool checked)
{
    if (!m_pCells->isProgramWrite())
        m_pSite->editDhcp(rowIdOf(sender()), checked);
}

quint64 ModifyModule::rowIdOf(const QObject *pSender)
{
    return pSender ? pSender->property(RowCells::ROW_ID_PROPERTY).toULongLong() : 0;
}

void ModifyModule::slotSave()
{
    m_pSite->askSave(rowIdOf(sender()));
}

void ModifyModule::showQuestion(const QString &strQuestion)
{
    CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
    pPop->setTipText(strQuestion);
    pPop->showPop();
}

void ModifyModule::confirmSave()
{
    CTextHintPopWidget::getInstance()->hide();
    m_pSite->confirmSave();
}

void ModifyModule::slotCancel()
{
    m_pSite->cancelRow(rowIdOf(sender()));
}

void ModifyModule::slotUpdateEthStatus(const QString &strIp, int nStatus)
{
    m_pSite->takeWriteStatus(strIp, nStatus);
}

void ModifyModule::slotRequestStarted(quint64 nRequest, const QString &, int nCmd)
{
    m_pSite->noteRequestStarted(nRequest, nCmd);
}

void ModifyModule::slotReplyDelivering(quint64 nRequest, const QString &, int)
{
    m_pSite->noteReplyDelivering(nRequest);
}

void ModifyModule::slotRequestFinished(quint64 nRequest, const QString &strIp, int nCmd, int nOutcome)
{
    m_pSite->noteRequestFinished(nRequest, strIp, nCmd, nOutcome);
}

void ModifyModule::slotReplyStatus(quint64 nRequest, int nStatus)
{
    m_pSite->noteReplyStatus(nRequest, nStatus);
}

void ModifyModule::slotOtherCamera(quint64 nRequest, const QString &, const QString &strMac)
{
    m_pSite->noteOtherCamera(nRequest, strMac);
}

// "Search" comes back once the table shows every row of the last one.
void ModifyModule::refreshSearchState()
{
    ui->toolButton->setEnabled(m_pSite->canSearch() && !m_pCells->isInserting());
    ui->toolButton->setToolTip(m_pSite->searchBlocker());
    ui->assignBtn->setText(m_pSite->isBatchRunning() ? kCancelBatchText : kAssignText);
    ui->assignBtn->setEnabled(!m_pSite->isSearching());
}

void ModifyModule::assignOrCancel()
{
    if (m_pSite->isBatchRunning())
        m_pSite->cancelBatch();
    else
        m_pActions->openBatchDialog();
}
