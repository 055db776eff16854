#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

#include "site/planfile.h"

/**
 * A plan file's lines matched with the cameras of the current search: what to write to
 * which camera, and what not to write, with why.
 *
 * A line is refused when its MAC or its address is on another line as well (both lines are
 * refused), when no camera of the search, or more than one, answers with its MAC, when its
 * address fails the checks a single save runs (address, mask, gateway in the address's
 * subnet, not the gateway itself, neither the network nor the broadcast address of its
 * subnet), when another camera of the search answers at its address now (so swaps and
 * chains are refused rather than ordered), or when the address is in use. A line asking for
 * the address its camera has already is kept, marked as nothing to do.
 */
class PlanMatch
{
public:
    /// A camera of the current search.
    struct Camera_S
    {
        quint64 nId = 0;    ///< stable for the search
        QString strMac;     ///< in any notation MacAddress reads
        QString strAddress; ///< where it answers now
    };

    /// A camera the plan keeps.
    struct Entry_S
    {
        quint64 nId = 0;
        int nLine = 0;      ///< the plan file's line
        QString strMac;     ///< in the cameras' form
        QString strCurrent;
        QString strNew;
        QString strMask;    ///< in the plain dotted form
        QString strGateway;
        QString strLabel;
        bool bAlreadyThere = false; ///< it answers at strNew already: nothing to write
    };

    /// A line the plan leaves out.
    struct Refusal_S
    {
        int nLine = 0;
        QString strMac;
        QString strAddress;
        QString strReason; ///< short, for a table column
    };

    /// Matches @p listLines with @p listCameras. @p setInUse holds the addresses no camera may
    /// take: held by listed cameras, the computer's own, those of writes in flight.
    PlanMatch(const QList<PlanFile::Line_S> &listLines, const QList<Camera_S> &listCameras,
              const QSet<QString> &setInUse);

    /// The cameras to write, and those with nothing to do, in file order.
    QList<Entry_S> entries() const;
    /// The lines left out, in file order.
    QList<Refusal_S> refusals() const;
    /// The text for an entry marked bAlreadyThere: "already at this address: nothing to do".
    static QString alreadyThereText();

private:
    void index(const QList<PlanFile::Line_S> &listLines, const QList<Camera_S> &listCameras);
    void match(const PlanFile::Line_S &stLine);
    QString duplicateReason(const PlanFile::Line_S &stLine) const;
    QString cameraReason(const PlanFile::Line_S &stLine) const;
    QString checkReason(const PlanFile::Line_S &stLine) const;
    QString occupiedReason(const PlanFile::Line_S &stLine, const Camera_S &stCamera) const;

    QHash<QString, QList<int>> m_hashLinesByMac;
    QHash<QString, QList<int>> m_hashLinesByAddress;
    QHash<QString, QList<Camera_S>> m_hashCamerasByMac;
    QHash<QString, QString> m_hashMacByAddress;
    QSet<QString> m_setInUse;
    QList<Entry_S> m_listEntries;
    QList<Refusal_S> m_listRefusals;
};
