#pragma once

#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "site/batchplan.h"
#include "site/plancheck.h"

namespace Ui {
class BatchAssignDialog;
}

class AddressProbe;

/**
 * The question before a batch assignment, over the whole window like the other pop-ups:
 * start address, mask and gateway (static addresses: DHCP goes off), and the plan they
 * make for the chosen cameras. "Check plan" plans, then checks every planned address for
 * a device already answering there and plans again around those found; only a checked
 * plan can be confirmed, once, with "Assign". Rows that cannot take part are listed with
 * the reason and left out. For cameras that share one address (cameras out of the box), the
 * plan gives one address per answer there, and says how long the run one camera at a time
 * will take.
 */
class BatchAssignDialog : public QWidget
{
    Q_OBJECT

public:
    /// How many times a plan is redone around addresses found taken before it gives up.
    static constexpr int PLAN_ROUNDS = 8;

    explicit BatchAssignDialog(QWidget *parent = nullptr);
    ~BatchAssignDialog() override;

    /**
     * Opens the question for @p listCameras (row, MAC, current address), with
     * @p listLeftOut (current address and the reason) shown apart; @p setHeld are the
     * addresses in use. The fields start from @p strStart, @p strMask and @p strGateway.
     */
    void open(const QList<BatchPlan::Entry_S> &listCameras, const QList<QPair<QString, QString>> &listLeftOut,
              const QSet<QString> &setHeld, const QString &strStart, const QString &strMask,
              const QString &strGateway, const QString &strShared = QString());

    /// Shows the checked plan of the plan file @p strFileName: its lines, and @p listWrites to
    /// confirm; @p strError instead when the file is no plan.
    void openFilePlan(const QString &strFileName, const QList<PlanCheck::Line_S> &listLines,
                      const QList<BatchPlan::Entry_S> &listWrites, const QString &strError);

signals:
    /// The user confirmed the checked plan: @p listEntries with their new addresses.
    void sigAssign(QList<BatchPlan::Entry_S> listEntries, QString strMask, QString strGateway);
    /// The user confirmed the checked plan for the cameras that share @p strShared.
    void sigAssignShared(QString strShared, QList<BatchPlan::Entry_S> listEntries, QString strMask, QString strGateway);
    /// The user asks for a plan from a file.
    void sigFromFile();
    /// The question was closed, whether confirmed or not.
    void sigClosed();

protected:
    void hideEvent(QHideEvent *pEvent) override;

private:
    void setupLook();
    void checkPlan();
    void planAround(const QSet<QString> &setTaken);
    void probeFinished(const QSet<QString> &setTaken);
    void showPlan(const QList<BatchPlan::Entry_S> &listEntries, bool bPlanned);
    void showMode(bool bFile);
    void setNote(const QString &strNote);
    void fieldsEdited();
    void confirm();

    Ui::BatchAssignDialog *ui;
    AddressProbe *m_pProbe = nullptr;
    QList<BatchPlan::Entry_S> m_listCameras;
    QList<QPair<QString, QString>> m_listLeftOut;
    QSet<QString> m_setHeld;
    QSet<QString> m_setFoundTaken;
    QList<BatchPlan::Entry_S> m_listPlanned;
    QString m_strShared;
    bool m_bFile = false;
    // The addresses of the probe under way (none: no probe, or one abandoned by an edit), and
    // of the last probe that ended.
    QStringList m_listProbing;
    QStringList m_listProbed;
    int m_nRound = 0;
};
