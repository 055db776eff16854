#pragma once

#include <QList>
#include <QObject>

#include "site/batchassignment.h"

class BatchAssignDialog;
class QPoint;
class QTableWidget;
class SiteModel;

/**
 * What the rows' context menu offers for the chosen rows of the device table (the selected
 * rows that are shown, or every shown row when none is selected): copying them as CSV with
 * their states, a row's web page, and readdressing them with a batch plan, whose question
 * lies over the whole window and closes when a search ends the plan.
 */
class RowActions : public QObject
{
    Q_OBJECT

public:
    RowActions(QTableWidget *pTable, SiteModel *pSite, QObject *parent = nullptr);

    /// The context menu at @p pos in the table's viewport; "Assign addresses..." only when
    /// @p bAssignEnabled.
    void showMenu(const QPoint &pos, bool bAssignEnabled);
    /// Puts the chosen rows on the clipboard as CSV.
    void copy();
    /// The batch plan's question for the selected rows, or a toast asking to select some.
    void openBatchDialog();
    /// The batch plan's question for the cameras that share @p strShared.
    void openSharedDialog(const QString &strShared);
    /// Asks for a plan file, and opens its plan.
    void choosePlanFile();
    /// The checked plan of the plan file at @p strPath, in the batch plan's question.
    void openPlanFile(const QString &strPath);
    /// Asks where to save the as-built report of the shown rows, and saves it.
    void saveReport();
    /// Opens the journal's folder on the desktop.
    void openJournalFolder();

private:
    BatchAssignDialog *dialog();
    void showDialog(const BatchAssignment::PlanInput_S &stInput);
    QList<int> chosenRows() const;
    QList<int> shownRows() const;

    QTableWidget *m_pTable = nullptr;
    SiteModel *m_pSite = nullptr;
    BatchAssignDialog *m_pBatchDialog = nullptr;
};
