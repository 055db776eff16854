#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

/**
 * A plan giving static addresses to several cameras at once.
 *
 * The cameras, in the order given, take addresses counting up from the start address. An
 * address is skipped when any listed camera holds it, the plan has already given it, it is
 * the gateway, one of the computer's own, found busy by a probe, or refused by the address
 * check; counting stops at the end of the subnet that the mask and the gateway make. Every
 * planned address passes the address, mask and gateway checks.
 */
class BatchPlan
{
public:
    /// One camera of the plan.
    struct Entry_S
    {
        quint64 nRowId = 0;
        QString strMac;
        QString strCurrent;
        QString strNew; ///< empty when the subnet had no address left for it
        QString strMask;    ///< the camera's own mask, or empty for the plan's
        QString strGateway; ///< the camera's own gateway, or empty for the plan's
        QString strLabel;   ///< a plan file's label for the camera
        bool bDhcp = false; ///< DHCP instead of strNew: the camera keeps its values until the server gives others
    };

    /// Plans @p listCameras (row id, MAC, current address; strNew ignored) from @p strStart.
    BatchPlan(const QList<Entry_S> &listCameras, const QString &strStart, const QString &strMask,
              const QString &strGateway, const QSet<QString> &setHeld);

    /// Why no plan can be made ("the gateway is not in the start address's subnet"); empty when it can.
    QString error() const;
    /// The cameras with their new addresses, in the order given.
    QList<Entry_S> entries() const;
    /// The new addresses planned, in order.
    QStringList plannedAddresses() const;
    /// Addresses passed over because they were held (not those the address check refuses).
    QStringList skippedAddresses() const;

private:
    QString validate(const QString &strStart, const QString &strMask, const QString &strGateway) const;
    void assign(const QString &strStart, const QString &strMask, const QString &strGateway,
                const QSet<QString> &setHeld);

    QList<Entry_S> m_listEntries;
    QStringList m_listSkipped;
    QString m_strError;
};
