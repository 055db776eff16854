#pragma once

#include <QDir>
#include <QObject>
#include <QString>
#include <functional>

class BatchAssignDialog;
class CTextButton;
class Control;
class ModifyModule;
class QTableWidget;

/**
 * One tour of the program in the lab, the way a user would take it: a search, a save that
 * comes back, one that does not, a refused one, then a batch assignment. After each step
 * the whole window is saved as a PNG in the output folder. Every wait is bounded.
 */
class Tour : public QObject
{
    Q_OBJECT

public:
    Tour(Control &control, const QDir &outDir, QObject *parent = nullptr);

    /// Runs the tour; false, with the reason in error(), when a step did not come.
    bool run();
    QString error() const;

private:
    bool waitFor(const std::function<bool()> &isDone, int nTimeoutMs, const QString &strWhat);
    void shoot(const QString &strName);
    int rowOf(const QString &strAddress) const;
    bool saveRow(int row, const QString &strAddress);
    bool searchAndFill();
    bool showSavesAndWatch();
    bool showBatch();
    CTextButton *checkPlan(BatchAssignDialog *pDialog, const QString &strStart);
    bool showFactoryRun();
    bool showPlanFile();

    Control &m_control;
    ModifyModule *m_pView = nullptr;
    QTableWidget *m_pTable = nullptr;
    QDir m_outDir;
    QString m_strError;
};
