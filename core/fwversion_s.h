#pragma once

#include <QMetaType>
#include <QString>

// Firmware versions of one camera, each as "V%1.%2.%3".
struct FwVersion_S
{
    QString strCamVersion;
    QString strArmVersion;
    QString strAFVersion;
};

Q_DECLARE_METATYPE(FwVersion_S)
