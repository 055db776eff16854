#include "ui/sitestatusline.h"

#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTimer>

#include "core/searchlimits.h"
#include "site/devicecolumns.h"
#include "site/devicerowlist.h"
#include "site/sitemodel.h"
#include "ui/textfieldsheet.h"
#include "widgets/cfontfamily.h"

namespace {
const QString kStatusSheet = QStringLiteral("QLabel{font:14px @family;color:#666666;}");
const QString kFilterHint = QStringLiteral("Filter address, MAC, firmware");
const QChar kLineBreak('\n');
} // namespace

SiteStatusLine::SiteStatusLine(QLabel *pLine, QLineEdit *pFilter, QTableWidget *pTable, const SiteModel *pSite,
                               QObject *parent)
    : QObject(parent)
    , m_pLine(pLine)
    , m_pFilter(pFilter)
    , m_pTable(pTable)
    , m_pSite(pSite)
{
    m_pLine->setStyleSheet(CFontFamily::getInstance()->styleSheet(kStatusSheet));
    m_pLine->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_pLine->setWordWrap(true);
    m_pFilter->setStyleSheet(CFontFamily::getInstance()->styleSheet(kTextFieldSheet));
    m_pFilter->setPlaceholderText(kFilterHint);
    m_pFilter->setClearButtonEnabled(true);
    connect(m_pFilter, &QLineEdit::textChanged, this, &SiteStatusLine::refreshNow);
}

void SiteStatusLine::refresh()
{
    if (m_bPending)
        return;
    m_bPending = true;
    QTimer::singleShot(0, this, [this] {
        m_bPending = false;
        refreshNow();
    });
}

void SiteStatusLine::refreshNow()
{
    const int nShown = applyFilter();
    QString strText;
    if (m_pSite->isListening()) {
        strText = siteSearchingText(m_pSite->searchedFrom(), SEARCH_WINDOW_MS);
    } else {
        SiteSummary_S stSummary = m_pSite->summary();
        if (!m_pFilter->text().isEmpty())
            stSummary.nShown = nShown;
        strText = (QStringList{siteSummaryText(stSummary)} + m_pSite->notes()).join(kLineBreak);
    }
    m_pLine->setText(shortened(strText));
    m_pLine->setToolTip(strText);
}

// Each change lays out every row's cell widgets again, so only real changes are made.
// Returns the rows shown.
int SiteStatusLine::applyFilter()
{
    const QString strFilter = m_pFilter->text().trimmed();
    const DeviceRowList &rows = m_pSite->rows();
    int nShown = 0;
    for (int nIndex = 0; nIndex < m_pTable->rowCount() && nIndex < rows.size(); ++nIndex) {
        const bool bHide = !strFilter.isEmpty() && !deviceRowMatches(rows.at(nIndex), strFilter);
        if (m_pTable->isRowHidden(nIndex) != bHide)
            m_pTable->setRowHidden(nIndex, bHide);
        nShown += bHide ? 0 : 1;
    }
    return nShown;
}

QString SiteStatusLine::shortened(const QString &strText) const
{
    const QFontMetrics metrics(m_pLine->font());
    const int nWidth = m_pLine->width() * NOTE_LINES;
    QStringList listLines = strText.split(kLineBreak);
    for (QString &strLine : listLines)
        strLine = metrics.elidedText(strLine, Qt::ElideRight, nWidth);
    return listLines.join(kLineBreak);
}
