#include "site/sitejournal.h"

#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/journal.h"
#include "site/searchcycle.h"
#include "site/sitenotifier.h"

namespace {

Journal::Settings_S settingsOf(const DevInfo_S &stRecord)
{
    Journal::Settings_S stSettings;
    stSettings.strAddress = stRecord.strIPAddr;
    stSettings.strMask = stRecord.strSubMask;
    stSettings.strGateway = stRecord.strGateway;
    stSettings.bDhcp = stRecord.nDhcp > 0;
    return stSettings;
}

const QString kUnwritable = QStringLiteral("The journal cannot be written: %1");

} // namespace

SiteJournal::SiteJournal(const DeviceRowList &rows, const SearchCycle &search, SiteNotifier &notifier, QObject *parent)
    : QObject(parent)
    , m_rows(rows)
    , m_search(search)
    , m_notifier(notifier)
{
    connect(&m_notifier, &SiteNotifier::sigWriteSent, this, &SiteJournal::noteSent);
    connect(&m_notifier, &SiteNotifier::sigWriteEvent, this, &SiteJournal::noteEvent);
    connect(&m_notifier, &SiteNotifier::sigRowsCleared, this, [this] { m_hashWrites.clear(); });
}

void SiteJournal::setJournal(Journal *pJournal)
{
    if (m_pJournal)
        m_pJournal->disconnect(this);
    m_pJournal = pJournal;
    m_strProblem.clear();
    if (!m_pJournal)
        return;
    connect(m_pJournal, &Journal::sigUnwritable, this, [this](const QString &strReason) {
        m_strProblem = kUnwritable.arg(strReason);
        emit m_notifier.sigStatusChanged();
    });
}

Journal *SiteJournal::journal() const
{
    return m_pJournal;
}

QString SiteJournal::problem() const
{
    return m_strProblem;
}

// The row's record still holds the camera's settings: it takes the written ones only once
// the camera has confirmed them.
void SiteJournal::noteSent(quint64 nRowId, const DevInfo_S &stSent)
{
    const DeviceRow *pRow = m_rows.find(nRowId);
    if (!pRow)
        return;
    m_hashWrites.insert(nRowId, {pRow->record(), stSent});
    noteEvent(nRowId, int(Journal::Event::WriteSent), QString());
}

void SiteJournal::noteEvent(quint64 nRowId, int nEvent, const QString &strDetail)
{
    if (!m_pJournal || !m_hashWrites.contains(nRowId))
        return;
    const Write_S &stWrite = m_hashWrites[nRowId];
    Journal::Entry_S stEntry;
    stEntry.eEvent = Journal::Event(nEvent);
    stEntry.strLocal = m_search.searchedFrom();
    stEntry.strMac = stWrite.stAfter.strMacAddr;
    stEntry.strReachedAt = stWrite.stAfter.strIp;
    stEntry.stBefore = settingsOf(stWrite.stBefore);
    stEntry.stAfter = settingsOf(stWrite.stAfter);
    stEntry.strDetail = strDetail;
    m_pJournal->record(stEntry);
}
