#pragma once

#include <QJsonValue>

// A whole JSON number within the signed 32-bit range, else nDefault: cameras' numbers are
// read as integers only when they are exactly that.
int jsonInt(const QJsonValue &value, int nDefault);
