#include "core/versiontext.h"

namespace {
constexpr char VERSION_FORMAT[] = "V%1.%2.%3";
constexpr quint32 VERSION_PART_MASK = 0xFF;
constexpr int VERSION_MAJOR_SHIFT = 16;
constexpr int VERSION_MINOR_SHIFT = 8;
}

QString versionText(quint32 nWord)
{
    return QString::fromLatin1(VERSION_FORMAT)
        .arg((nWord >> VERSION_MAJOR_SHIFT) & VERSION_PART_MASK)
        .arg((nWord >> VERSION_MINOR_SHIFT) & VERSION_PART_MASK)
        .arg(nWord & VERSION_PART_MASK);
}
