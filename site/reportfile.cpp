#include "site/reportfile.h"

#include <QFileInfo>
#include <QSaveFile>

#include "site/tablecsv.h"

namespace {
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
const QString kMsgNotAFile = QStringLiteral("%1 is not a regular file");
const QString kMsgCannotBegin = QStringLiteral("the report %1 cannot be begun: %2");
const QString kMsgCannotWrite = QStringLiteral("the report %1 cannot be written: %2");
const QString kMsgShortWrite = QStringLiteral("the disk took %1 of %2 bytes");
} // namespace

bool writeReportFile(const QString &strPath, const QStringList &listColumns, const QList<QStringList> &listRows,
                     QString *pReason)
{
    // QSaveFile would put its file in the place of a device, as root even of /dev/full.
    const QFileInfo info(strPath);
    if (info.exists() && !info.isFile()) {
        *pReason = kMsgNotAFile.arg(strPath);
        return false;
    }
    // Buffered, a write that fails when the buffer is flushed goes unnoticed and commit() puts
    // the cut file in place; unbuffered, a short write shows here and the file is dropped.
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *pReason = kMsgCannotBegin.arg(strPath, file.errorString());
        return false;
    }
    const QByteArray baReport = kByteOrderMark + tableCsv(QList<QStringList>{listColumns} + listRows).toUtf8();
    const qint64 nWritten = file.write(baReport);
    if (nWritten != baReport.size()) {
        // A write cut short reports no error of its own.
        const bool bShort = file.error() == QFileDevice::NoError;
        *pReason = kMsgCannotWrite.arg(strPath, bShort ? kMsgShortWrite.arg(nWritten).arg(baReport.size()) : file.errorString());
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *pReason = kMsgCannotWrite.arg(strPath, file.errorString());
        return false;
    }
    return true;
}
