#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QString>

#include "core/ethinfo_s.h"
#include "core/quillbootsearch_s.h"

class QUdpSocket;

/**
 * The device model: the multicast search and the four device commands.
 *
 * A search binds UDP port 54361, joins 234.200.200.1 on the interface that owns the
 * chosen local address, sends one 76-byte request to port 54362 and listens for 2000 ms.
 * Every datagram read in that window becomes one record, up to SEARCH_MAX_RECORDS
 * (core/searchlimits.h; reaching it is logged, later datagrams are read and dropped); the
 * records are published with the hub's sigSearchResult 2000 ms after the first of them.
 * Datagrams are read a bounded number per turn of the event loop, so a flood delays
 * neither that publication nor the rest of the program. A window without any reply
 * ends with an empty sigSearchResult followed by sigGetEnvFinished. A search that cannot
 * start (empty address, bind, interface or join failure) publishes the same pair at once
 * and leaves the socket closed.
 *
 * The command slots each send one HTTP request through CHttp and return at once; the
 * replies come back through MainModel::onReply to dispatchReply, whose parsers publish
 * sigUpdateEthInfo, sigSetEthStatus and sigUpdateFwVersion. "SetEnv" and "Reboot" go on
 * a connection the program holds, to a camera checked first (CHttp::httpPostChecked):
 * the write only to the camera with the record's MAC, the reboot only to the camera of
 * the latest write to that address. The status of "SetEnv" and "Reboot" answers is also
 * told to RequestOutcome.
 */
class ModifyModel : public QObject
{
    Q_OBJECT

public:
    explicit ModifyModel(QObject *parent = nullptr);

    /**
     * Parses a successful reply and hands it to the parser that (nKind, nFlag) selects:
     * (0, 0) "GetEnv", (0, not 0) "SetEnv", (1, 0) "QueryVersion", (2, 1) "Reboot".
     * Bodies that are not valid JSON and other pairs publish nothing.
     */
    void dispatchReply(const QByteArray &baBody, int nKind, int nFlag, const QString &strIp);

public slots:
    /// Starts a search on the interface owning @p strIp; ignored while one is listening.
    void slotSearchNetwork(QString strIp);
    /// Asks the device at @p strIp for its firmware versions ("QueryVersion").
    void slotGetFwVersion(QString strIp);
    /// Asks the device at @p strIp for its network settings ("GetEnv").
    void slotGetEnv(QString strIp);
    /// Writes @p stEthInfo to the device at @p strIp ("SetEnv"), if it carries the record's MAC.
    void slotSetEthInfo(QString strIp, EthInfo_S stEthInfo);
    /// Orders the device at @p strIp to reboot ("Reboot"), if it is the camera of the latest
    /// write to that address; refused without such a write.
    void slotDevReboot(QString strIp);

private slots:
    void slotRecvMsg();

private:
    bool bindSearchSocket();
    bool joinSearchGroup(const QString &strIp);
    void sendSearchRequest();
    void abandonSearch();
    void closeSearchSocket();
    void keepNextReply();
    void dropNextReply();
    void stopSearch();
    void emitSearchResult();

    void dealGetEnv(const QJsonObject &root, const QString &strIp);
    void dealSetEnv(const QJsonObject &root, const QString &strIp);
    void dealQueryVersion(const QJsonObject &root, const QString &strIp);
    void dealDevReboot(const QJsonObject &root, const QString &strIp);

    QUdpSocket *m_pUdpSocket = nullptr;
    bool m_bSearching = false;
    QList<QuillbootSearch_S> m_listSearchResult;
    bool m_bReceived = false;
    bool m_bFirstReply = false;
};
