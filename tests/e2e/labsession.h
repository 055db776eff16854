#pragma once

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include "labcamera_s.h"
#include "labline_s.h"

/**
 * The network lab a test runs in, read from the variables tools/lab/kestrova-lab sets
 * (KESTROVA_LAB_LOG, KESTROVA_LAB_TOOL_ADDRESS, KESTROVA_LAB_ADDRESSES) and from the
 * simulator's log, which is read afresh on every call. Only complete lines count, so a
 * line being written is never half seen.
 */
class LabSession
{
public:
    LabSession();

    /// True inside the lab: its log exists and the tool side's address is known.
    bool isAvailable() const;
    /// Why isAvailable() is false, ready for a skip message.
    QString unavailableReason() const;

    QString toolAddress() const;
    /// Every camera-side address, the redirect trap included.
    QStringList addresses() const;
    /// The redirect trap's address; empty when the lab has none.
    QString trapAddress() const;

    /// Log lines from position @p nFrom on; with @p strTag only those of that tag, and
    /// with @p hashMatch only those whose fields have these values.
    QList<LabLine_S> lines(int nFrom = 0, const QString &strTag = QString(),
                           const QHash<QString, QString> &hashMatch = {}) const;
    /// Complete lines in the log so far: the position the next line will have.
    int lineCount() const;
    /// Waits at most @p nTimeoutMs for a line as lines() selects it; true when one came.
    bool waitForLine(int nFrom, const QString &strTag, const QHash<QString, QString> &hashMatch,
                     int nTimeoutMs) const;

    /// The cameras in index order, with the settings and address they have now.
    QList<LabCamera_S> cameras() const;
    /// The camera of index @p strCam; a default record when there is none.
    LabCamera_S camera(const QString &strCam) const;

    /// REQ lines from @p nFrom on that went anywhere but @p setAllowed, or to the trap.
    QStringList requestsOutside(const QSet<QString> &setAllowed, int nFrom) const;

    /// The "stEth" element of the "SetEnv" command a REQ line carries.
    static QJsonObject setEnvEth(const LabLine_S &stRequest);

private:
    static LabLine_S parseLine(int nIndex, const QString &strLine);
    static bool matches(const LabLine_S &stLine, const QString &strTag, const QHash<QString, QString> &hashMatch);
    static LabCamera_S cameraFrom(const LabLine_S &stLine);
    QStringList completeLines() const;

    QString m_strLog;
    QString m_strToolAddress;
    QStringList m_listAddresses;
};
