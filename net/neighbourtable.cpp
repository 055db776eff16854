#include "net/neighbourtable.h"

#include <QFile>
#include <QList>

namespace {

constexpr char TABLE_PATH[] = "/proc/net/arp";
constexpr int ADDRESS_COLUMN = 0;
constexpr int FLAGS_COLUMN = 2;
constexpr int HEX_BASE = 16;
constexpr uint COMPLETE_FLAG = 0x2;

} // namespace

QString NeighbourTable::defaultPath()
{
    return QLatin1String(TABLE_PATH);
}

bool NeighbourTable::read(const QString &strPath, QByteArray *pTable)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *pTable = file.readAll();
    return true;
}

// The first line names the columns; each further line is one row.
NeighbourTable::Entry NeighbourTable::entryFor(const QByteArray &baTable, const QString &strAddress)
{
    const QByteArray baAddress = strAddress.toLatin1();
    const QList<QByteArray> listLines = baTable.split('\n');
    Entry entry = Absent;
    for (int nLine = 1; nLine < listLines.size(); ++nLine) {
        const QList<QByteArray> listColumns = listLines.at(nLine).simplified().split(' ');
        if (listColumns.size() <= FLAGS_COLUMN || listColumns.at(ADDRESS_COLUMN) != baAddress)
            continue;
        bool bRead = false;
        const uint nFlags = listColumns.at(FLAGS_COLUMN).toUInt(&bRead, HEX_BASE);
        if (bRead && (nFlags & COMPLETE_FLAG))
            return Complete;
        entry = Resolving;
    }
    return entry;
}
