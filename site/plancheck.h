#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include "site/batchplan.h"
#include "site/planfile.h"
#include "site/planmatch.h"

class AddressProbe;
class SiteModel;

/**
 * The plan of a plan file (or of one camera named on the command line), made from the site
 * model's last search with the checks the window's batch plan makes: the lines are matched
 * with the cameras a plan may name and the addresses held (PlanMatch); a camera a batch would
 * leave out (a shared address, a write in flight, ...) is left out with the batch's reason;
 * the new addresses are probed as "Check plan" probes them, and one found taken is refused as
 * in use. DHCP for one camera needs no probe.
 *
 * Making a plan opens it in the site model (a search waits until it is started or closed).
 */
class PlanCheck : public QObject
{
    Q_OBJECT

public:
    /// One line of the plan: a camera to write, one already at its address, or a line refused.
    struct Line_S
    {
        enum Kind { Write, AlreadyThere, Refused };
        Kind kind = Refused;
        int nLine = 0;       ///< the plan file's line; 0 for a camera named on the command line
        QString strMac;
        QString strCurrent;  ///< where the camera answers now; empty when not found
        QString strWanted;   ///< the address it is to get, or "DHCP"
        QString strMask;
        QString strGateway;
        QString strLabel;
        QString strReason;   ///< why it is refused
    };

    explicit PlanCheck(SiteModel *pSite, QObject *parent = nullptr);

    /// Plans static addresses from @p listLines, with @p listFileRefusals (lines of the file
    /// that are no plan line) refused as they are; sigReady follows once probed.
    void planAddresses(const QList<PlanFile::Line_S> &listLines, const QList<PlanFile::Refusal_S> &listFileRefusals);
    /// Plans DHCP for the camera with MAC @p strMac; sigReady follows.
    void planDhcp(const QString &strMac);

    /// The plan's lines in the file's order.
    QList<Line_S> lines() const;
    /// The cameras to write, each with its own mask and gateway, or DHCP.
    QList<BatchPlan::Entry_S> writes() const;
    /// The lines refused.
    int refusedCount() const;

signals:
    void sigReady();

private:
    QHash<QString, QString> leftOut(const QList<quint64> &listRowIds) const;
    void addressesProbed(const QSet<QString> &setTaken);
    void addRefused(int nLine, const QString &strMac, const QString &strWanted, const QString &strReason);
    QString currentAddressOf(const QString &strMac) const;

    SiteModel *m_pSite = nullptr;
    AddressProbe *m_pProbe = nullptr;
    QList<PlanFile::Line_S> m_listFileLines;
    QList<PlanFile::Refusal_S> m_listFileRefusals;
    QList<PlanMatch::Camera_S> m_listCameras;
    QSet<QString> m_setHeld;
    QHash<QString, QString> m_hashLeftOut;
    QList<BatchPlan::Entry_S> m_listWrites;
    QList<Line_S> m_listLines;
};
