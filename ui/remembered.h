#pragma once

#include <QByteArray>
#include <QString>

/**
 * The window's choices kept from one run to the next (QSettings, in the user's config
 * folder): the local address last searched from, the window's size and position, and the
 * batch plan's last mask and gateway. Nothing about cameras is kept: every search starts
 * fresh. Each program keeps its own file, named after the application.
 */
class Remembered
{
public:
    /// The local address last searched from; empty when none.
    static QString localAddress();
    static void setLocalAddress(const QString &strAddress);
    /// The window's geometry as QWidget::saveGeometry() gave it; empty when none.
    static QByteArray windowGeometry();
    static void setWindowGeometry(const QByteArray &baGeometry);
    /// The mask and gateway of the last batch plan confirmed; empty when none.
    static QString planMask();
    static QString planGateway();
    static void setPlanValues(const QString &strMask, const QString &strGateway);

    Remembered() = delete;
};
