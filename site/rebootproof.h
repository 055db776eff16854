#pragma once

#include <QObject>
#include <QString>

#include "core/devinfo_s.h"

class BatchRun;
class DeviceRow;
class DeviceRowList;
class RebootWatch;
class ReplyMatcher;
class SearchCycle;
class SiteNotifier;

/**
 * The follow-up after a camera was written and ordered to reboot: its row follows the camera
 * to the written address and says whether it came back there, with its own MAC and the values
 * written. A camera on DHCP, or moved outside the subnet of the local address the search ran
 * from, is not asked: its new address is unknown, or this computer may not reach it; the row
 * says so instead.
 *
 * A camera back at its new address is reached there from then on, by later saves and
 * "Cancel" too.
 */
class RebootProof : public QObject
{
    Q_OBJECT

public:
    RebootProof(DeviceRowList &rows, ReplyMatcher &matcher, BatchRun &batch, const SearchCycle &search,
                SiteNotifier &notifier, QObject *parent = nullptr);

    /// Follows the camera of @p pRow, whose record holds the values just written.
    void follow(DeviceRow *pRow);
    /// Stops every watch (a new search); nothing is reported for them afterwards.
    void stopAll();

private:
    QString unwatchableReason(const DevInfo_S &stSaved) const;
    void markBack(int nKey);
    void markNotSeen(int nKey, const QString &strReason);

    DeviceRowList &m_rows;
    ReplyMatcher &m_matcher;
    BatchRun &m_batch;
    const SearchCycle &m_search;
    SiteNotifier &m_notifier;
    RebootWatch *m_pWatch = nullptr;
};
