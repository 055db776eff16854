#pragma once

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include "site/batchplan.h"
#include "site/planfile.h"
#include "site/planmatch.h"

class AddressProbe;
class SiteModel;

/**
 * The plan of `set` and `apply`, made from the site model's last search with the checks the
 * window makes: a plan file's lines (or the one line of `set`) are matched with the cameras
 * a plan may name and the addresses held (PlanMatch); a camera the window would leave out of
 * a batch (a shared address, a write in flight, ...) is left out with the window's reason;
 * the new addresses are probed as "Check plan" probes them, and one found taken is refused
 * as in use. `set --dhcp` plans DHCP for one camera, which needs no probe.
 *
 * Making a plan opens it in the site model (a search waits until it is started or closed).
 */
class ConsolePlan : public QObject
{
    Q_OBJECT

public:
    explicit ConsolePlan(SiteModel *pSite, QObject *parent = nullptr);

    /// Plans static addresses from @p listLines, with @p listFileRefusals (lines of the file
    /// that are no plan line) refused as they are; sigReady follows once probed.
    void planAddresses(const QList<PlanFile::Line_S> &listLines, const QList<PlanFile::Refusal_S> &listFileRefusals);
    /// Plans DHCP for the camera with MAC @p strMac; sigReady follows.
    void planDhcp(const QString &strMac);

    /// The cameras to write, each with its own mask and gateway, or DHCP.
    QList<BatchPlan::Entry_S> writes() const;
    /// The lines of the plan, in the plan file's order: what each camera gets, or why it is
    /// not written.
    QStringList text() const;
    /// The lines not written for a reason (a camera already at its address is not one).
    int refusedCount() const;

signals:
    void sigReady();

private:
    struct Line_S
    {
        int nLine = 0;
        QString strText;
    };

    QHash<QString, QString> leftOut(const QList<quint64> &listRowIds) const;
    void addressesProbed(const QSet<QString> &setTaken);
    void addLine(int nLine, const QString &strMac, const QString &strText);
    void addRefused(int nLine, const QString &strMac, const QString &strWanted, const QString &strReason);
    QString currentAddressOf(const QString &strMac) const;

    SiteModel *m_pSite = nullptr;
    AddressProbe *m_pProbe = nullptr;
    QList<PlanFile::Line_S> m_listLines;
    QList<PlanFile::Refusal_S> m_listFileRefusals;
    QList<PlanMatch::Camera_S> m_listCameras;
    QSet<QString> m_setHeld;
    QHash<QString, QString> m_hashLeftOut;
    QList<BatchPlan::Entry_S> m_listWrites;
    QList<Line_S> m_listText;
    int m_nRefused = 0;
};
