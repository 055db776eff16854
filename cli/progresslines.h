#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include "site/rowstate.h"

class Journal;
class SiteModel;

/**
 * What the window shows as it happens, as lines on standard error: the search listening, the
 * cameras that answered, a line per camera whenever its state changes (settings read, no
 * answer, saving, rebooting, back, ...), the site model's result messages (the window's
 * toasts) and a journal that cannot be written. No line is ever redrawn.
 */
class ProgressLines : public QObject
{
    Q_OBJECT

public:
    ProgressLines(const SiteModel *pSite, const Journal *pJournal, QObject *parent = nullptr);

private:
    void showListening(const QString &strLocalIp);
    void showAnswers(int nFirst, int nCount);
    void showRowChange(int nIndex);

    const SiteModel *m_pSite = nullptr;
    // The state last shown of each row, by its id.
    QHash<quint64, RowState> m_hashShown;
};
