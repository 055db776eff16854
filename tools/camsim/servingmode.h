#pragma once

#include <QString>

// How a new HTTP connection to an address that several cameras can serve picks its camera.
// Every request on the connection then goes to that camera.
enum class ServingMode {
    First,     // the lowest camera index
    Alternate, // round robin over the cameras there, one step per new connection
    Random,    // drawn from a generator seeded by --seed
};

struct ServingModeName {
    ServingMode eMode;
    const char *pszName;
};

constexpr ServingModeName kServingModeNames[] = {
    {ServingMode::First, "first"},
    {ServingMode::Alternate, "alternate"},
    {ServingMode::Random, "random"},
};

// Sets eMode and returns true when strName is one of the names above.
inline bool servingModeFromName(const QString &strName, ServingMode &eMode)
{
    for (const ServingModeName &stName : kServingModeNames) {
        if (strName == QLatin1String(stName.pszName)) {
            eMode = stName.eMode;
            return true;
        }
    }
    return false;
}
