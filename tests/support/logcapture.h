#pragma once

#include <QStringList>
#include <QtGlobal>

/**
 * Collects every message logged, from any thread, while it exists. The collection starts
 * empty with each capture and stays readable after the capture is gone; the handler in
 * place before is restored on destruction.
 */
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture &) = delete;
    LogCapture &operator=(const LogCapture &) = delete;

    // The messages of the latest capture, in the order they were logged.
    static QStringList messages();

private:
    static void record(QtMsgType, const QMessageLogContext &, const QString &strMessage);

    QtMessageHandler m_previous = nullptr;
};
