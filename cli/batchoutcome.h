#pragma once

#include <QObject>
#include <QString>

class SiteModel;

/**
 * Follows a running batch on standard output: a line per camera as it is done with (its MAC,
 * the address it is reached at, how it ended) and the batch's summary at the end.
 */
class BatchOutcome : public QObject
{
    Q_OBJECT

public:
    /// Follows the batch of @p nWrites cameras that @p pSite is about to start.
    BatchOutcome(const SiteModel *pSite, int nWrites, QObject *parent = nullptr);

signals:
    /// The batch is over; @p bAllBack when every camera of it succeeded: back at its new
    /// address, or rebooted onto DHCP.
    void sigFinished(bool bAllBack);

private:
    void showCamera(quint64 nRowId, bool bSucceeded, const QString &strWhat);
    void finish(const QString &strSummary, bool bFailures);

    const SiteModel *m_pSite = nullptr;
    int m_nWrites = 0;
    int m_nSucceeded = 0;
};
