#include "support/logcapture.h"

#include <QMutex>
#include <QMutexLocker>

namespace {
QMutex s_mutex;
QStringList s_listMessages;
} // namespace

LogCapture::LogCapture()
{
    {
        QMutexLocker locker(&s_mutex);
        s_listMessages.clear();
    }
    m_previous = qInstallMessageHandler(&LogCapture::record);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
}

QStringList LogCapture::messages()
{
    QMutexLocker locker(&s_mutex);
    return s_listMessages;
}

void LogCapture::record(QtMsgType, const QMessageLogContext &, const QString &strMessage)
{
    QMutexLocker locker(&s_mutex);
    s_listMessages.append(strMessage);
}
