#pragma once

#include <QObject>
#include <QString>

class QLabel;
class QLineEdit;
class QTableWidget;
class SiteModel;

/**
 * The line below the device table and the filter beside it: the site's counts (while a
 * search listens, that it does and for how long), the notes below them (a batch's summary, a
 * journal that cannot be written), and the rows the filter hides (never removed).
 *
 * Replies of a large site come in bursts, so refresh() is counted once per turn of the event
 * loop. A note takes at most NOTE_LINES lines; the tooltip holds the whole text.
 */
class SiteStatusLine : public QObject
{
    Q_OBJECT

public:
    /// Lines a note below the counts may take.
    static constexpr int NOTE_LINES = 2;

    SiteStatusLine(QLabel *pLine, QLineEdit *pFilter, QTableWidget *pTable, const SiteModel *pSite,
                   QObject *parent = nullptr);

    /// Counts the site again on the next turn of the event loop.
    void refresh();
    /// Counts the site again now.
    void refreshNow();

private:
    int applyFilter();
    QString shortened(const QString &strText) const;

    QLabel *m_pLine = nullptr;
    QLineEdit *m_pFilter = nullptr;
    QTableWidget *m_pTable = nullptr;
    const SiteModel *m_pSite = nullptr;
    bool m_bPending = false;
};
