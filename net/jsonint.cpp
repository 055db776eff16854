#include "net/jsonint.h"

#include <cmath>
#include <limits>

int jsonInt(const QJsonValue &value, int nDefault)
{
    if (!value.isDouble())
        return nDefault;
    const double dValue = value.toDouble();
    if (std::trunc(dValue) != dValue || dValue < std::numeric_limits<qint32>::min()
        || dValue > std::numeric_limits<qint32>::max())
        return nDefault;
    return int(dValue);
}
