#pragma once

#include <QString>
#include <QtGlobal>

// A firmware version word as the cameras report it: bits 23-16, 15-8 and 7-0 as
// "V%1.%2.%3" in decimal; the highest byte is ignored, so 0 gives "V0.0.0".
QString versionText(quint32 nWord);
