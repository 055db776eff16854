#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QObject>
#include <QRandomGenerator>
#include <QTimer>
#include <QUdpSocket>

#include "tools/camsim/camsimconfig_s.h"
#include "tools/camsim/simcamera_s.h"

class CameraFleet;
class RequestLog;

// Answers the multicast search: listens on 234.200.200.1:54362, joined on one interface
// only, and for each well-formed 76-byte request sends one 76-byte reply per camera that
// is not rebooting to the requester's address, port 54361. Hostile cameras spoil their
// replies; a flood camera adds a bounded burst of random datagrams, a plausible-flood
// camera one of well-formed replies with addresses of the camera subnet that no camera
// uses (from the top of the subnet down), both paced in batches.
class SearchResponder : public QObject
{
    Q_OBJECT

public:
    SearchResponder(const CamSimConfig_S &stConfig, CameraFleet *pFleet, RequestLog *pLog, QObject *pParent = nullptr);

    // Binds and joins; on failure returns false with the reason in strError.
    bool start(QString &strError);

private slots:
    void slotReadDatagrams();
    void slotSendFloodBatch();

private:
    void answerDatagram(const QNetworkDatagram &datagram);
    bool isSearchRequest(const QByteArray &baData, QString &strReason) const;
    void answerAsCamera(const SimCamera_S &stCamera, const QByteArray &baRequest, const QHostAddress &requester);
    QList<QByteArray> repliesOf(const SimCamera_S &stCamera, const QByteArray &baRequest);
    QByteArray replyRecord(const QByteArray &baRequest, const QByteArray &baAddressText) const;
    QList<QByteArray> badAddressTexts(const SimCamera_S &stCamera) const;
    QByteArray randomBytes(int nSize);
    void sendReply(int nCamera, const QByteArray &baReply, const QHostAddress &requester);
    void startFlood(int nCamera, const QHostAddress &requester, const QByteArray &baRequest, bool bPlausible);
    QByteArray floodDatagram();
    static QStringList plausibleAddresses(const CamSimConfig_S &stConfig, const CameraFleet &fleet);

    CamSimConfig_S m_stConfig;
    CameraFleet *m_pFleet;
    RequestLog *m_pLog;
    QUdpSocket m_groupSocket;
    QUdpSocket m_sendSocket;
    int m_nInterfaceIndex = 0;
    QRandomGenerator m_random;
    QTimer m_floodTimer;
    QHostAddress m_floodTarget;
    QByteArray m_baFloodRequest;
    bool m_bPlausibleFlood = false;
    QStringList m_listPlausible;
    int m_nFloodCamera = -1;
    int m_nFloodLeft = 0;
    int m_nFloodSent = 0;
};
