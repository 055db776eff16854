#include "site/reportfile.h"

#include <QFileInfo>
#include <QSaveFile>

#include "site/tablecsv.h"
#include "site/writefailure.h"

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
const QString kMsgNotAFile = QStringLiteral("%1 is not a regular file");
const QString kMsgCannotBegin = QStringLiteral("the report %1 cannot be begun: %2");
const QString kMsgCannotWrite = QStringLiteral("the report %1 cannot be written: %2");

// QSaveFile would put its file in the place of a device, as root even of /dev/full.
bool isReplaceable(const QString &strPath)
{
    const QFileInfo info(strPath);
    return !info.exists() || info.isFile();
}

QByteArray reportBytes(const QStringList &listColumns, const QList<QStringList> &listRows)
{
    return kByteOrderMark + tableCsv(QList<QStringList>{listColumns} + listRows).toUtf8();
}

} // namespace

// Buffered, a write that fails when the buffer is flushed goes unnoticed and commit() puts
// the cut file in place; unbuffered, a short write shows at once and the file is dropped.
bool writeReportFile(const QString &strPath, const QStringList &listColumns, const QList<QStringList> &listRows,
                     QString *pReason)
{
    if (!isReplaceable(strPath)) {
        *pReason = kMsgNotAFile.arg(strPath);
        return false;
    }
    QSaveFile file(strPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *pReason = kMsgCannotBegin.arg(strPath, file.errorString());
        return false;
    }
    const QByteArray baReport = reportBytes(listColumns, listRows);
    const qint64 nWritten = file.write(baReport);
    if (nWritten != baReport.size()) {
        *pReason = kMsgCannotWrite.arg(strPath, writeFailureText(file, nWritten, baReport.size()));
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *pReason = kMsgCannotWrite.arg(strPath, file.errorString());
        return false;
    }
    return true;
}
