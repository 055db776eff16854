#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>

#include "bench/camerareads.h"

class QNetworkAccessManager;
class QNetworkReply;

/**
 * The floor of Qt's own HTTP client: the reference client's work (bench/refclient.h) done
 * through one QNetworkAccessManager and nothing else. Each camera is asked "QueryVersion"
 * and then "GetEnv", with the program's request bytes, the second once the first has been
 * answered, at most CameraReads::MAX_AT_ONCE cameras at once; every reply is parsed as
 * JSON. No queue of the program's, no timeouts or size caps, no table.
 */
class QtFloorClient : public QObject
{
    Q_OBJECT

public:
    /// Its CPU time is the whole process's: this thread and the manager's.
    using Result_S = CameraReads::Result_S;

    explicit QtFloorClient(const QStringList &listAddresses, QObject *parent = nullptr);
    /// Asks every camera once, running the event loop, and returns the figures; gives up
    /// after @p nTimeoutMs.
    Result_S run(int nTimeoutMs);

signals:
    /// Every camera has been asked and has answered or failed.
    void sigDone();

private:
    void askNext();
    void sendStep(int nCamera, int nStep);
    void takeReply(QNetworkReply *pReply, int nCamera, int nStep);
    void endCamera(bool bAnswered);

    QStringList m_listAddresses;
    QNetworkAccessManager *m_pManager = nullptr;
    int m_nNext = 0;
    int m_nEnded = 0;
    Result_S m_stResult;
};
