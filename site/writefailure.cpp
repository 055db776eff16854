#include "site/writefailure.h"

namespace {
const QString kMsgShortWrite = QStringLiteral("the disk took %1 of %2 bytes");
} // namespace

QString writeFailureText(const QFileDevice &file, qint64 nWritten, qint64 nWanted)
{
    if (file.error() != QFileDevice::NoError)
        return file.errorString();
    return kMsgShortWrite.arg(nWritten).arg(nWanted);
}
