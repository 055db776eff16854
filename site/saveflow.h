#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/devinfo_s.h"
#include "site/batchrun.h"
#include "site/rowstate.h"

class DeviceRow;
class DeviceRowList;
class RebootProof;
class ReplyMatcher;
class RequestLedger;
class SiteNotifier;

/**
 * Saving a row: the refusal of a row whose write could reach another camera, the question,
 * the address, mask and gateway checks (and that the address is a host of its subnet), the
 * write, its status, failure or unknown outcome, and the reboot order after a successful
 * write. Also "Cancel", which shows the row's stored values again.
 *
 * A write goes out only when the row's MAC is the one MAC its address answers with over HTTP,
 * and one at a time per camera. A row that asked its question is judged again when the
 * question is answered. The writes of a batch go the same way, without a toast per camera:
 * the batch tells its outcome at the end.
 */
class SaveFlow : public QObject
{
    Q_OBJECT

public:
    SaveFlow(DeviceRowList &rows, const ReplyMatcher &matcher, RequestLedger &ledger, BatchRun &batch,
             RebootProof &proof, SiteNotifier &notifier, QObject *parent = nullptr);

    /// "Save" of @p pRow (nullptr for none): refuses it with a toast, or asks the question.
    void ask(DeviceRow *pRow);
    /// The question was answered "yes": the values are checked and written.
    void confirm();
    /// "Cancel" of @p pRow: its stored values are shown again; the question's record is dropped.
    void cancel(DeviceRow *pRow);
    /// Shows @p pRow's stored values again.
    void restore(DeviceRow *pRow);
    /// A new search: the question and the pending writes are forgotten.
    void reset();

    /// Writes @p stSent to the camera of row @p nRowId (a save, or a batch's write).
    void sendWrite(quint64 nRowId, const DevInfo_S &stSent);
    /// The status @p nStatus of the write to @p strIp arrived.
    void takeStatus(const QString &strIp, int nStatus);
    /// The write of row @p nRowId ended without a status, with @p nOutcome; @p strOtherMac is
    /// the MAC that answered its check instead of the row's, if any.
    void takeUnanswered(quint64 nRowId, const QString &strIp, int nOutcome, const QString &strOtherMac);

    /// Why a write to @p pRow's camera is unsafe now: the toast's words in @p pToast and the
    /// reason; empty when it may go out.
    QString refusal(const DeviceRow *pRow, QString *pToast = nullptr) const;

private:
    bool refuse(DeviceRow *pRow);
    DevInfo_S collect(const DeviceRow *pRow) const;
    bool checkQuestionValues() const;
    void send();
    enum class Settled { Written, NotWritten, Unknown };

    void settle(DeviceRow *pRow, Settled settled);
    void endBatchWrite(DeviceRow *pRow, BatchRun::Write write, const QString &strWhy);
    void setState(DeviceRow *pRow, RowState state, const QString &strReason);

    DeviceRowList &m_rows;
    const ReplyMatcher &m_matcher;
    RequestLedger &m_ledger;
    BatchRun &m_batch;
    RebootProof &m_proof;
    SiteNotifier &m_notifier;
    // The record of the open question, and its row (0 for none).
    DevInfo_S m_stQuestion;
    quint64 m_nQuestionRow = 0;
};
