#include "ui/rowactions.h"

#include <QClipboard>
#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QTableWidget>

#include <algorithm>

#include "core/toastkind.h"
#include "site/devicecolumns.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/journal.h"
#include "site/plancheck.h"
#include "site/planfile.h"
#include "site/reportfile.h"
#include "site/sitemodel.h"
#include "site/sitenotifier.h"
#include "site/tablecsv.h"
#include "ui/batchassigndialog.h"
#include "ui/desktopopener.h"
#include "widgets/toasthintwidget.h"

namespace {
const QString kAssignText = QStringLiteral("Assign addresses...");
const QString kCopyText = QStringLiteral("Copy");
const QString kWebPageText = QStringLiteral("Open web page");
const QString kSelectFirst = QStringLiteral("Select cameras");
const QString kSharedText = QStringLiteral("Readdress the %1 cameras at %2...");
const QString kReportText = QStringLiteral("Save report...");
const QString kFileText = QStringLiteral("Assign from file...");
const QString kFileTitle = QStringLiteral("Plan file");
const QString kPlanFilter = QStringLiteral("Plan (*.csv *.txt);;All files (*)");
const QString kJournalText = QStringLiteral("Open journal folder");
const QString kReportTitle = QStringLiteral("Save report");
const QString kReportName = QStringLiteral("kestrova-report.csv");
const QString kReportFilter = QStringLiteral("CSV (*.csv)");
const QString kReportSaved = QStringLiteral("Report saved");
const QString kReportNotSaved = QStringLiteral("Report not saved");
} // namespace

RowActions::RowActions(QTableWidget *pTable, SiteModel *pSite, QObject *parent)
    : QObject(parent)
    , m_pTable(pTable)
    , m_pSite(pSite)
{
    connect(m_pSite->notifier(), &SiteNotifier::sigPlanDropped, this, [this] {
        if (m_pBatchDialog)
            m_pBatchDialog->hide();
    });
}

void RowActions::showMenu(const QPoint &pos, bool bAssignEnabled)
{
    const DeviceRow *pRow = m_pSite->rows().at(m_pTable->rowAt(pos.y()));
    QMenu menu(m_pTable);
    menu.addAction(kAssignText, this, &RowActions::openBatchDialog)->setEnabled(bAssignEnabled);
    if (pRow && pRow->isShared()) {
        const QString strShared = pRow->address();
        menu.addAction(kSharedText.arg(m_pSite->rows().rowsAt(strShared).size()).arg(strShared), this,
                       [this, strShared] { openSharedDialog(strShared); })
            ->setEnabled(bAssignEnabled);
    }
    menu.addAction(kFileText, this, &RowActions::choosePlanFile)->setEnabled(bAssignEnabled);
    menu.addAction(kCopyText, this, &RowActions::copy);
    const QString strAddress = pRow ? pRow->address() : QString();
    QAction *pPage = menu.addAction(kWebPageText, this, [strAddress] { DesktopOpener::open(strAddress); });
    pPage->setEnabled(pRow && DesktopOpener::canOpen(strAddress));
    menu.addSeparator();
    menu.addAction(kReportText, this, &RowActions::saveReport);
    menu.addAction(kJournalText, this, &RowActions::openJournalFolder)->setEnabled(m_pSite->journal());
    menu.exec(m_pTable->viewport()->mapToGlobal(pos));
}

void RowActions::copy()
{
    QList<QStringList> listLines{deviceCsvHeader()};
    for (int nIndex : chosenRows())
        listLines.append(deviceCsvLine(m_pSite->rows().at(nIndex)));
    QGuiApplication::clipboard()->setText(tableCsv(listLines));
}

void RowActions::saveReport()
{
    const QString strPath = QFileDialog::getSaveFileName(m_pTable->window(), kReportTitle,
                                                         QDir::home().filePath(kReportName), kReportFilter);
    if (strPath.isEmpty())
        return;
    QList<QStringList> listLines;
    for (int nIndex : shownRows())
        listLines.append(deviceReportLine(m_pSite->rows().at(nIndex)));
    QString strReason;
    const bool bSaved = writeReportFile(strPath, deviceReportHeader(), listLines, &strReason);
    qDebug() << "saveReport:" << strPath << (bSaved ? QStringLiteral("saved") : strReason);
    ToastHintWidget::getInstance()->showTips(bSaved ? ToastSuccess : ToastFailure, bSaved ? kReportSaved : kReportNotSaved);
}

void RowActions::openJournalFolder()
{
    if (Journal *pJournal = m_pSite->journal())
        DesktopOpener::openFolder(pJournal->folderPath());
}

// The selected rows that may be written take part; the others are listed with the reason.
// The rows of one address answered more than once, all selected, are cameras out of the box.
void RowActions::openBatchDialog()
{
    if (m_pTable->selectionModel()->selectedRows().isEmpty()) {
        ToastHintWidget::getInstance()->showTips(ToastFailure, kSelectFirst);
        return;
    }
    QList<quint64> listRowIds;
    QSet<QString> setAddresses;
    for (int nIndex : chosenRows()) {
        listRowIds.append(m_pSite->rows().at(nIndex)->id());
        setAddresses.insert(m_pSite->rows().at(nIndex)->address());
    }
    const QString strOnly = setAddresses.size() == 1 ? *setAddresses.cbegin() : QString();
    if (!strOnly.isEmpty() && listRowIds.size() > 1 && listRowIds.size() == m_pSite->rows().rowsAt(strOnly).size()) {
        openSharedDialog(strOnly);
        return;
    }
    showDialog(m_pSite->openPlan(listRowIds));
}

void RowActions::choosePlanFile()
{
    const QString strPath =
        QFileDialog::getOpenFileName(m_pTable->window(), kFileTitle, QDir::homePath(), kPlanFilter);
    if (!strPath.isEmpty())
        openPlanFile(strPath);
}

// A file that is no plan changes nothing: the question says why and offers nothing to confirm.
void RowActions::openPlanFile(const QString &strPath)
{
    const QString strName = QFileInfo(strPath).fileName();
    const PlanFile plan = PlanFile::read(strPath);
    if (!plan.error().isEmpty()) {
        dialog()->openFilePlan(strName, {}, {}, plan.error());
        return;
    }
    auto *pCheck = new PlanCheck(m_pSite, this);
    connect(pCheck, &PlanCheck::sigReady, this, [this, pCheck, strName] {
        dialog()->openFilePlan(strName, pCheck->lines(), pCheck->writes(), QString());
        pCheck->deleteLater();
    });
    pCheck->planAddresses(plan.lines(), plan.refusals());
}

void RowActions::openSharedDialog(const QString &strShared)
{
    showDialog(m_pSite->openSharedPlan(strShared));
}

BatchAssignDialog *RowActions::dialog()
{
    if (!m_pBatchDialog) {
        m_pBatchDialog = new BatchAssignDialog(m_pTable->window());
        connect(m_pBatchDialog, &BatchAssignDialog::sigAssign, m_pSite, &SiteModel::startBatch);
        connect(m_pBatchDialog, &BatchAssignDialog::sigAssignShared, m_pSite, &SiteModel::startSharedBatch);
        connect(m_pBatchDialog, &BatchAssignDialog::sigClosed, m_pSite, &SiteModel::closePlan);
        connect(m_pBatchDialog, &BatchAssignDialog::sigFromFile, this, &RowActions::choosePlanFile);
    }
    return m_pBatchDialog;
}

void RowActions::showDialog(const BatchAssignment::PlanInput_S &stInput)
{
    dialog()->open(stInput.listCameras, stInput.listLeftOut, stInput.setHeld, stInput.strStart,
                         stInput.strMask, stInput.strGateway, stInput.strShared);
}

QList<int> RowActions::chosenRows() const
{
    QList<int> listRows;
    const QModelIndexList listSelected = m_pTable->selectionModel()->selectedRows();
    for (const QModelIndex &index : listSelected) {
        if (!m_pTable->isRowHidden(index.row()))
            listRows.append(index.row());
    }
    std::sort(listRows.begin(), listRows.end());
    return listRows.isEmpty() ? shownRows() : listRows;
}

QList<int> RowActions::shownRows() const
{
    QList<int> listRows;
    for (int nIndex = 0; nIndex < m_pTable->rowCount(); ++nIndex) {
        if (!m_pTable->isRowHidden(nIndex))
            listRows.append(nIndex);
    }
    return listRows;
}
