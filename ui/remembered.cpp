#include "ui/remembered.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

const QString kLocalAddressKey = QStringLiteral("search/localAddress");
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kPlanMaskKey = QStringLiteral("plan/mask");
const QString kPlanGatewayKey = QStringLiteral("plan/gateway");

QSettings settings()
{
    return QSettings(QCoreApplication::applicationName(), QCoreApplication::applicationName());
}

} // namespace

QString Remembered::localAddress()
{
    return settings().value(kLocalAddressKey).toString();
}

void Remembered::setLocalAddress(const QString &strAddress)
{
    settings().setValue(kLocalAddressKey, strAddress);
}

QByteArray Remembered::windowGeometry()
{
    return settings().value(kGeometryKey).toByteArray();
}

void Remembered::setWindowGeometry(const QByteArray &baGeometry)
{
    settings().setValue(kGeometryKey, baGeometry);
}

QString Remembered::planMask()
{
    return settings().value(kPlanMaskKey).toString();
}

QString Remembered::planGateway()
{
    return settings().value(kPlanGatewayKey).toString();
}

void Remembered::setPlanValues(const QString &strMask, const QString &strGateway)
{
    QSettings stored = settings();
    stored.setValue(kPlanMaskKey, strMask);
    stored.setValue(kPlanGatewayKey, strGateway);
}
