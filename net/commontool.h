#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class QThread;

// The callback handed to the device SDK's search: parses one JSON report (any text, even
// nullptr, is survived; unusable reports are dropped after the log line), queries the
// camera's firmware versions and publishes the record with sigSdkUpdateDevInfo from the
// calling thread. The integer is ignored. After CommonTool::shutDown, and until the next
// search starts, it does nothing at all.
void fdQuillSearchCB(int nContext, const char *szReport);

// The process-wide utility object: hosts the SDK search and offers the name lookups and
// the address checks. Created without a parent on first use, on whatever thread, and kept
// on the application's main thread; never destroyed.
class CommonTool : public QObject
{
    Q_OBJECT

public:
    // The instance, created on the first call; safe from any thread, never null.
    static CommonTool *getInstance();

    // Starts an SDK search on a worker thread of its own and returns at once. Ignored while
    // the thread of an earlier search still exists (running, or finished but not yet
    // deleted). Every search that starts ends with one sigSdkGetInfoFinished on the GUI
    // thread, after all of its sigSdkUpdateDevInfo, unless shutDown comes first. Call on
    // the GUI thread.
    void getDevInfo();

    // For the program's shut-down: from now on SDK reports are dropped unread and the end of
    // a search publishes nothing, so nothing reaches the hub while the program is torn
    // down. Then waits for a running search's thread, at most 2000 ms; a thread that takes
    // longer is left to finish on its own. The next getDevInfo accepts reports again. Call
    // on the GUI thread.
    void shutDown();

    // See the free functions of the same names.
    QString getCmdName(int nCmd) const;
    QString getResultName(int nResult) const;
    int getCmdIndex(const QString &strName) const;
    bool checkIpValid(const QString &strIp) const;
    bool checkMaskValid(const QString &strMask) const;
    bool isSameSubnet(const QString &strFirst, const QString &strSecond, const QString &strMask) const;

private:
    explicit CommonTool(QObject *parent = nullptr);

    static void runSdkSearch();
    void finishSdkSearch();

    QPointer<QThread> m_pSearchThread;
};
