#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>

#include "core/devinfo_s.h"

class DeviceRowList;
class Journal;
class SearchCycle;
class SiteNotifier;

/**
 * Puts every write attempt of the site and each of its outcomes into a Journal as it happens:
 * the local address searched from, the camera's MAC and the address it was reached at, its
 * settings before the write and the values written. Without a journal it records nothing.
 */
class SiteJournal : public QObject
{
    Q_OBJECT

public:
    SiteJournal(const DeviceRowList &rows, const SearchCycle &search, SiteNotifier &notifier,
                QObject *parent = nullptr);

    /// The journal to write to; nullptr for none (the default). Not owned.
    void setJournal(Journal *pJournal);
    Journal *journal() const;
    /// Why the journal cannot be written, once it failed; empty while it works.
    QString problem() const;

private:
    struct Write_S
    {
        DevInfo_S stBefore;
        DevInfo_S stAfter;
    };

    void noteSent(quint64 nRowId, const DevInfo_S &stSent);
    void noteEvent(quint64 nRowId, int nEvent, const QString &strDetail);

    const DeviceRowList &m_rows;
    const SearchCycle &m_search;
    SiteNotifier &m_notifier;
    QPointer<Journal> m_pJournal;
    QHash<quint64, Write_S> m_hashWrites;
    QString m_strProblem;
};
