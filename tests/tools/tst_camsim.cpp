#include <QtNetwork>
#include <QtTest>

#include <functional>

#include "core/quillbootsearch_s.h"
#include "support/teststep.h"

namespace {

const QString kSimPath = QStringLiteral(KESTROVA_CAMSIM_PATH);
constexpr quint16 kHttpPort = 18480;
constexpr quint16 kReplyPort = 54361;
constexpr quint16 kSearchPort = 54362;
constexpr quint32 kMagic = 0x12564387u;
constexpr int kReadyTimeoutMs = 10000;
constexpr int kAnswerTimeoutMs = 5000;
constexpr int kSilenceMs = 500;
constexpr int kUsageExit = 64;
const QString kGroup = QStringLiteral("234.200.200.1");
const QByteArray kGetEnvJson = R"({"GetEnv":{"NetWork":{"nChannel":-1}}})";
const QByteArray kQueryVersionJson = R"({"QueryState":{"QueryVersion":{}}})";
const QByteArray kRebootJson = R"({"SysCtrl":{"Reboot":{}}})";
const QByteArray kFormType = "application/x-www-form-urlencoded";

QString camAddress(int nCamera)
{
    return QStringLiteral("127.77.0.%1").arg(10 + nCamera);
}

QStringList baseArguments()
{
    return {QStringLiteral("--interface"), QStringLiteral("lo"), QStringLiteral("--http-port"), QString::number(kHttpPort),
            QStringLiteral("--base-address"), camAddress(0), QStringLiteral("--exit-with-parent")};
}

QByteArray searchRequest(quint32 nRequestId, quint32 nMagic = kMagic, int nSize = kSearchRecordSize)
{
    QByteArray baRequest(kSearchRecordSize, '\0');
    qToLittleEndian<quint32>(nMagic, baRequest.data());
    qToLittleEndian<quint32>(nRequestId, baRequest.data() + 4);
    return baRequest.left(nSize);
}

QByteArray setEnvJson(const QString &strIp, const QString &strMask, const QString &strGateway, int nByValid)
{
    const QJsonObject objEth {{"bDefault", 1}, {"byValid", nByValid}, {"szGateway", strGateway},
                              {"szIPAddr", strIp}, {"szMacAddr", "02:00:00:00:00:01"}, {"szSubMask", strMask}};
    const QJsonObject objDns {{"szDns1", "9.9.9.9"}, {"szDns2", "149.112.112.112"}};
    const QJsonObject objNetWork {{"stDns", objDns}, {"stEth", QJsonArray {objEth}}};
    return QJsonDocument(QJsonObject {{"SetEnv", QJsonObject {{"NetWork", objNetWork}}}}).toJson(QJsonDocument::Compact);
}

bool waitUntil(const std::function<bool()> &fnDone, int nTimeoutMs = kAnswerTimeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!fnDone()) {
        if (timer.elapsed() > nTimeoutMs)
            return false;
        QTest::qWait(10);
    }
    return true;
}

struct HttpResult_S
{
    bool bFinished = false;
    int nStatus = 0;
    QByteArray baBody;
    QJsonObject objBody;
};

// The HTTP status, headers and body of a raw answer.
struct RawAnswer_S
{
    QByteArray baHead;
    QByteArray baBody;
    int nStatus = 0;
};

RawAnswer_S splitAnswer(const QByteArray &baAnswer)
{
    RawAnswer_S stAnswer;
    const int nEnd = baAnswer.indexOf("\r\n\r\n");
    stAnswer.baHead = nEnd < 0 ? baAnswer : baAnswer.left(nEnd);
    stAnswer.baBody = nEnd < 0 ? QByteArray() : baAnswer.mid(nEnd + 4);
    if (stAnswer.baHead.startsWith("HTTP/1.1 "))
        stAnswer.nStatus = stAnswer.baHead.mid(9, 3).toInt();
    return stAnswer;
}

// The body of a chunked answer without its framing; what cannot be read as chunks is left out.
QByteArray dechunked(const QByteArray &baChunked)
{
    QByteArray baBody;
    int nPos = 0;
    while (nPos < baChunked.size()) {
        const int nLineEnd = baChunked.indexOf("\r\n", nPos);
        bool bOk = false;
        const int nSize = baChunked.mid(nPos, nLineEnd - nPos).toInt(&bOk, 16);
        if (nLineEnd < 0 || !bOk || nSize == 0)
            break;
        baBody += baChunked.mid(nLineEnd + 2, nSize);
        nPos = nLineEnd + 2 + nSize + 2;
    }
    return baBody;
}

// The first "stEth" record of a "GetEnv" answer.
QJsonObject ethOf(const QJsonObject &objBody)
{
    return objBody.value("stValue").toObject().value("stEth").toArray().first().toObject();
}

} // namespace

class TestCamSim : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void searchOneReplyPerCamera_data();
    void searchOneReplyPerCamera();
    void searchIgnoresMalformedRequests_data();
    void searchIgnoresMalformedRequests();
    void getEnvAndQueryVersionReportTheCamera();
    void requestLogShowsWhatWasSent_data();
    void requestLogShowsWhatWasSent();
    void setEnvChangesTheSettings();
    void setEnvRefusedWithStatus();
    void rebootMovesTheCamera();
    void badInputGetsAnErrorReply_data();
    void badInputGetsAnErrorReply();
    void delayHoldsTheAnswer();
    void silentHttpCameraRefusesConnections();
    void hostileSearchReplies_data();
    void hostileSearchReplies();
    void hostileHttpAnswers_data();
    void hostileHttpAnswers();
    void connectionStaysWithItsCamera_data();
    void connectionStaysWithItsCamera();
    void closeAfterReply_data();
    void closeAfterReply();
    void rebootStatus_data();
    void rebootStatus();
    void setEnvDropAppliesAndAnswersNothing();
    void factoryCamerasServeOneAtATime();
    void camerasAreDeterministicFromTheSeed();
    void invalidOptionsAreRefused_data();
    void invalidOptionsAreRefused();

private:
    bool startSim(const QStringList &listExtra);
    void stopSim();
    QStringList lines(const QString &strTag) const;
    QString lastLine(const QString &strTag) const;
    QHash<QString, QString> cameraFields(int nCamera) const;
    QList<QByteArray> search(int nExpected, quint32 nRequestId = 0xA1B2C3D4u);
    HttpResult_S command(const QString &strCmd, const QString &strAddress, const QByteArray &baJson);
    QNetworkReply *sendCommand(const QString &strCmd, const QString &strAddress, const QByteArray &baJson);
    QByteArray rawExchange(const QString &strAddress, const QByteArray &baRequest, int nTimeoutMs = kAnswerTimeoutMs);
    QList<RawAnswer_S> getEnvsOnOneConnection(const QString &strAddress, int nRequests);
    QString cameraOfMac(const QString &strMac) const;
    QStringList cameraLinesOfRun(const QStringList &listExtra);
    void verifyPlausibleFlood(int nCount);
    void verifyOversizedBody(const RawAnswer_S &stAnswer, const QString &strFraming);
    void verifyGzipBomb(const RawAnswer_S &stAnswer);

    QProcess *m_pSim = nullptr;
    QByteArray m_baOutput;
    QUdpSocket *m_pSearch = nullptr;
    QNetworkAccessManager *m_pNam = nullptr;
    QList<QByteArray> m_listDatagrams;
};

void TestCamSim::init()
{
    m_baOutput.clear();
    m_listDatagrams.clear();
    m_pNam = new QNetworkAccessManager(this);
    m_pNam->setProxy(QNetworkProxy::NoProxy);
    m_pSearch = new QUdpSocket(this);
    if (!m_pSearch->bind(QHostAddress::LocalHost, kReplyPort))
        QSKIP("the search reply port 54361 is taken on loopback");
    m_pSearch->setMulticastInterface(QNetworkInterface::interfaceFromName(QStringLiteral("lo")));
    connect(m_pSearch, &QUdpSocket::readyRead, this, [this]() {
        while (m_pSearch->hasPendingDatagrams())
            m_listDatagrams << m_pSearch->receiveDatagram().data();
    });
}

void TestCamSim::cleanup()
{
    stopSim();
    delete m_pSearch;
    m_pSearch = nullptr;
    delete m_pNam;
    m_pNam = nullptr;
}

bool TestCamSim::startSim(const QStringList &listExtra)
{
    m_pSim = new QProcess(this);
    m_pSim->setProcessChannelMode(QProcess::MergedChannels);
    connect(m_pSim, &QProcess::readyRead, this, [this]() { m_baOutput += m_pSim->readAll(); });
    m_pSim->start(kSimPath, baseArguments() + listExtra);
    const bool bReady = waitUntil([this]() { return !lines(QStringLiteral("READY")).isEmpty()
                                                     || m_pSim->state() == QProcess::NotRunning; },
                                  kReadyTimeoutMs);
    if (!bReady || lines(QStringLiteral("READY")).isEmpty())
        qWarning().noquote() << "kestrova-camsim did not start:" << m_baOutput;
    return bReady && !lines(QStringLiteral("READY")).isEmpty();
}

void TestCamSim::stopSim()
{
    if (!m_pSim)
        return;
    m_pSim->terminate();
    if (!m_pSim->waitForFinished(kAnswerTimeoutMs))
        m_pSim->kill();
    m_pSim->waitForFinished(kAnswerTimeoutMs);
    delete m_pSim;
    m_pSim = nullptr;
}

QStringList TestCamSim::lines(const QString &strTag) const
{
    QStringList listLines;
    for (const QString &strLine : QString::fromUtf8(m_baOutput).split(QLatin1Char('\n'))) {
        if (strLine.startsWith(strTag + QLatin1Char(' ')))
            listLines << strLine;
    }
    return listLines;
}

QString TestCamSim::lastLine(const QString &strTag) const
{
    const QStringList listLines = lines(strTag);
    return listLines.isEmpty() ? QString() : listLines.constLast();
}

QHash<QString, QString> TestCamSim::cameraFields(int nCamera) const
{
    QHash<QString, QString> hashFields;
    for (const QString &strLine : lines(QStringLiteral("CAMERA"))) {
        if (!strLine.startsWith(QStringLiteral("CAMERA cam=%1 ").arg(nCamera)))
            continue;
        for (const QString &strField : strLine.split(QLatin1Char(' ')).mid(1))
            hashFields.insert(strField.section(QLatin1Char('='), 0, 0), strField.section(QLatin1Char('='), 1));
    }
    return hashFields;
}

QList<QByteArray> TestCamSim::search(int nExpected, quint32 nRequestId)
{
    m_listDatagrams.clear();
    const int nLogged = lines(QStringLiteral("SEARCH-REPLY")).size();
    m_pSearch->writeDatagram(searchRequest(nRequestId), QHostAddress(kGroup), kSearchPort);
    waitUntil([&]() { return m_listDatagrams.size() >= nExpected && lines(QStringLiteral("SEARCH-REPLY")).size() - nLogged >= nExpected; });
    return m_listDatagrams;
}

// Sends a command in the form the tool uses for it.
QNetworkReply *TestCamSim::sendCommand(const QString &strCmd, const QString &strAddress, const QByteArray &baJson)
{
    QUrl url(QStringLiteral("http://%1:%2/ajaxcom").arg(strAddress).arg(kHttpPort));
    QUrlQuery query;
    if (strCmd == QLatin1String("GetEnv")) {
        query.addQueryItem(QStringLiteral("szCmd"), QString::fromLatin1(QUrl::toPercentEncoding(QString::fromUtf8(baJson))));
        url.setQuery(query);
        return m_pNam->get(QNetworkRequest(url));
    }
    query.addQueryItem(QStringLiteral("szCmd"), QString::fromUtf8(baJson));
    if (strCmd == QLatin1String("QueryVersion")) {
        QNetworkRequest request(url);
        request.setHeader(QNetworkRequest::ContentTypeHeader, kFormType);
        return m_pNam->post(request, query.toString(QUrl::FullyEncoded).toUtf8());
    }
    url.setQuery(query);
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::ContentTypeHeader, kFormType);
    return m_pNam->post(request, QByteArray());
}

HttpResult_S TestCamSim::command(const QString &strCmd, const QString &strAddress, const QByteArray &baJson)
{
    HttpResult_S stResult;
    QNetworkReply *pReply = sendCommand(strCmd, strAddress, baJson);
    stResult.bFinished = waitUntil([pReply]() { return pReply->isFinished(); });
    stResult.nStatus = pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    stResult.baBody = pReply->readAll();
    stResult.objBody = QJsonDocument::fromJson(stResult.baBody).object();
    pReply->deleteLater();
    return stResult;
}

QByteArray TestCamSim::rawExchange(const QString &strAddress, const QByteArray &baRequest, int nTimeoutMs)
{
    QTcpSocket socket;
    socket.connectToHost(strAddress, kHttpPort);
    if (!socket.waitForConnected(nTimeoutMs))
        return QByteArray();
    socket.write(baRequest);
    QByteArray baAnswer;
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < nTimeoutMs) {
        socket.waitForReadyRead(50);
        baAnswer += socket.readAll();
    }
    return baAnswer + socket.readAll();
}

// Sends up to nRequests keep-alive "GetEnv"s one after the other on one connection; stops
// when the camera closes it.
QList<RawAnswer_S> TestCamSim::getEnvsOnOneConnection(const QString &strAddress, int nRequests)
{
    const QByteArray baRequest = "GET /ajaxcom?szCmd=" + QUrl::toPercentEncoding(QString::fromLatin1(kGetEnvJson)) + " HTTP/1.1\r\n\r\n";
    QList<RawAnswer_S> listAnswers;
    QTcpSocket socket;
    socket.connectToHost(strAddress, kHttpPort);
    for (int nRequest = 0; nRequest < nRequests && socket.waitForConnected(kAnswerTimeoutMs); ++nRequest) {
        socket.write(baRequest);
        QByteArray baAnswer;
        QElapsedTimer timer;
        timer.start();
        while (!baAnswer.endsWith('}') && socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < kAnswerTimeoutMs) {
            socket.waitForReadyRead(50);
            baAnswer += socket.readAll();
        }
        if (baAnswer.isEmpty())
            break;
        listAnswers << splitAnswer(baAnswer);
    }
    return listAnswers;
}

QString TestCamSim::cameraOfMac(const QString &strMac) const
{
    for (const QString &strLine : lines(QStringLiteral("CAMERA"))) {
        if (strLine.contains(QStringLiteral(" mac=") + strMac + QLatin1Char(' ')))
            return strLine.section(QLatin1Char(' '), 1, 1);
    }
    return QString();
}

QStringList TestCamSim::cameraLinesOfRun(const QStringList &listExtra)
{
    m_baOutput.clear();
    if (!startSim(listExtra))
        return {};
    const QStringList listLines = lines(QStringLiteral("CAMERA"));
    stopSim();
    return listLines;
}

void TestCamSim::searchOneReplyPerCamera_data()
{
    QTest::addColumn<QStringList>("listArguments");
    QTest::addColumn<QStringList>("listExpected");
    QTest::newRow("three cameras") << QStringList {"--cameras", "3"} << QStringList {camAddress(0), camAddress(1), camAddress(2)};
    QTest::newRow("shared address") << QStringList {"--cameras", "3", "--shared-address"}
                                    << QStringList {camAddress(0), camAddress(0), camAddress(2)};
    QTest::newRow("address list") << QStringList {"--addresses", "127.77.0.40,127.77.0.30"}
                                  << QStringList {"127.77.0.40", "127.77.0.30"};
}

void TestCamSim::searchOneReplyPerCamera()
{
    QFETCH(QStringList, listArguments);
    QFETCH(QStringList, listExpected);
    QVERIFY(startSim(listArguments));
    const QList<QByteArray> listReplies = search(listExpected.size(), 0x01020304u);
    QCOMPARE(listReplies.size(), listExpected.size());
    QStringList listTexts;
    for (const QByteArray &baReply : listReplies) {
        QCOMPARE(baReply.size(), kSearchRecordSize);
        const QuillbootSearch_S stRecord = searchRecordFromBytes(baReply);
        QCOMPARE(searchRecordPort(stRecord), qint32(kHttpPort));
        QCOMPARE(qFromLittleEndian<quint32>(baReply.constData() + 4), 0x01020304u);
        QVERIFY(baReply.indexOf('\0', 12) > 12);
        listTexts << searchRecordAddress(stRecord);
    }
    listTexts.sort();
    listExpected.sort();
    QCOMPARE(listTexts, listExpected);
    QCOMPARE(lines(QStringLiteral("SEARCH")).size(), 1);
    QVERIFY(lines(QStringLiteral("SEARCH")).constFirst().startsWith("SEARCH from=127.0.0.1:54361 size=76 magic=0x12564387 id=0x01020304"));
    QCOMPARE(lines(QStringLiteral("SEARCH-REPLY")).size(), listExpected.size());
}

void TestCamSim::searchIgnoresMalformedRequests_data()
{
    QTest::addColumn<QByteArray>("baRequest");
    QTest::addColumn<QString>("strReason");
    QTest::newRow("short") << searchRequest(7, kMagic, 10) << "size";
    QTest::newRow("long") << searchRequest(7) + QByteArray(24, '\0') << "size";
    QTest::newRow("wrong magic") << searchRequest(7, 0x11111111u) << "magic";
}

void TestCamSim::searchIgnoresMalformedRequests()
{
    QFETCH(QByteArray, baRequest);
    QFETCH(QString, strReason);
    QVERIFY(startSim({"--cameras", "2"}));
    m_pSearch->writeDatagram(baRequest, QHostAddress(kGroup), kSearchPort);
    QTRY_COMPARE(lines(QStringLiteral("SEARCH")).size(), 1);
    QVERIFY(lines(QStringLiteral("SEARCH")).constFirst().endsWith(QStringLiteral(" ignored=") + strReason));
    QCOMPARE(search(2).size(), 2);
    QCOMPARE(lines(QStringLiteral("SEARCH-REPLY")).size(), 2);
}

void TestCamSim::getEnvAndQueryVersionReportTheCamera()
{
    QVERIFY(startSim({"--cameras", "2", "--seed", "5"}));
    const QHash<QString, QString> hashCamera = cameraFields(1);
    const HttpResult_S stEnv = command(QStringLiteral("GetEnv"), camAddress(1), kGetEnvJson);
    QVERIFY(stEnv.bFinished);
    QCOMPARE(stEnv.nStatus, 200);
    const QJsonObject objValue = stEnv.objBody.value("stValue").toObject();
    const QJsonObject objEth = objValue.value("stEth").toArray().first().toObject();
    QCOMPARE(objEth.value("szIPAddr").toString(), camAddress(1));
    QCOMPARE(objEth.value("szSubMask").toString(), QStringLiteral("255.255.0.0"));
    QCOMPARE(objEth.value("szGateway").toString(), QStringLiteral("127.77.0.1"));
    QCOMPARE(objEth.value("szMacAddr").toString(), hashCamera.value("mac"));
    QCOMPARE(objEth.value("byValid").toInt(), hashCamera.value("byValid").toInt());
    QCOMPARE((objEth.value("byValid").toInt() >> 1) & 1, hashCamera.value("dhcp").toInt());
    QCOMPARE(objValue.value("stDns").toObject().value("szDns1").toString(), hashCamera.value("dns1"));
    QCOMPARE(objValue.value("stDns").toObject().value("szDns2").toString(), hashCamera.value("dns2"));

    const HttpResult_S stVersion = command(QStringLiteral("QueryVersion"), camAddress(1), kQueryVersionJson);
    QCOMPARE(stVersion.nStatus, 200);
    const QJsonObject objVersions = stVersion.objBody.value("stValue").toObject();
    QCOMPARE(objVersions.value("dwCamVersion").toVariant().toLongLong(), hashCamera.value("dwCamVersion").toLongLong());
    QCOMPARE(objVersions.value("dwArmVersion").toVariant().toLongLong(), hashCamera.value("dwArmVersion").toLongLong());
    QCOMPARE(objVersions.value("dwAFVersion").toVariant().toLongLong(), hashCamera.value("dwAFVersion").toLongLong());
    const quint32 dwCam = objVersions.value("dwCamVersion").toVariant().toUInt();
    QCOMPARE(QStringLiteral("V%1.%2.%3").arg(dwCam >> 16 & 0xFF).arg(dwCam >> 8 & 0xFF).arg(dwCam & 0xFF),
             hashCamera.value("versions").section(QLatin1Char(','), 0, 0));
    QVERIFY(hashCamera.value("mac") != cameraFields(0).value("mac"));
}

void TestCamSim::requestLogShowsWhatWasSent_data()
{
    QTest::addColumn<QString>("strCmd");
    QTest::addColumn<QByteArray>("baJson");
    QTest::addColumn<QString>("strExpected");
    QTest::newRow("GetEnv") << "GetEnv" << kGetEnvJson
                            << "REQ cam=0 ip=127.77.0.10 cmd=GetEnv method=GET "
                               "target=/ajaxcom?szCmd=%7B%22GetEnv%22%3A%7B%22NetWork%22%3A%7B%22nChannel%22%3A-1%7D%7D%7D body= "
                               "json={\"GetEnv\":{\"NetWork\":{\"nChannel\":-1}}} from=127.0.0.1:";
    QTest::newRow("QueryVersion") << "QueryVersion" << kQueryVersionJson
                                  << "REQ cam=0 ip=127.77.0.10 cmd=QueryVersion method=POST target=/ajaxcom "
                                     "body=szCmd=%7B%22QueryState%22:%7B%22QueryVersion%22:%7B%7D%7D%7D "
                                     "json={\"QueryState\":{\"QueryVersion\":{}}} from=127.0.0.1:";
    QTest::newRow("Reboot") << "Reboot" << kRebootJson
                            << "REQ cam=0 ip=127.77.0.10 cmd=Reboot method=POST "
                               "target=/ajaxcom?szCmd=%7B%22SysCtrl%22:%7B%22Reboot%22:%7B%7D%7D%7D body= "
                               "json={\"SysCtrl\":{\"Reboot\":{}}} from=127.0.0.1:";
}

void TestCamSim::requestLogShowsWhatWasSent()
{
    QFETCH(QString, strCmd);
    QFETCH(QByteArray, baJson);
    QFETCH(QString, strExpected);
    QVERIFY(startSim({"--cameras", "1"}));
    const HttpResult_S stResult = command(strCmd, camAddress(0), baJson);
    QCOMPARE(stResult.nStatus, 200);
    QTRY_COMPARE(lines(QStringLiteral("REPLY")).size(), 1);
    QCOMPARE(lines(QStringLiteral("REQ")).size(), 1);
    QVERIFY2(lines(QStringLiteral("REQ")).constFirst().startsWith(strExpected), qPrintable(lines(QStringLiteral("REQ")).constFirst()));
    QVERIFY(lines(QStringLiteral("REPLY")).constFirst().startsWith(
        QStringLiteral("REPLY cam=0 ip=127.77.0.10 cmd=%1 status=200 body={").arg(strCmd)));
}

void TestCamSim::setEnvChangesTheSettings()
{
    QVERIFY(startSim({"--cameras", "2"}));
    const HttpResult_S stSet = command(QStringLiteral("SetEnv"), camAddress(1),
                                       setEnvJson("127.77.0.61", "255.255.255.0", "127.77.0.254", 7));
    QCOMPARE(stSet.nStatus, 200);
    QCOMPARE(stSet.baBody, QByteArray(R"({"nRetVal":0})"));
    const HttpResult_S stEnv = command(QStringLiteral("GetEnv"), camAddress(1), kGetEnvJson);
    const QJsonObject objValue = stEnv.objBody.value("stValue").toObject();
    const QJsonObject objEth = objValue.value("stEth").toArray().first().toObject();
    QCOMPARE(objEth.value("szIPAddr").toString(), QStringLiteral("127.77.0.61"));
    QCOMPARE(objEth.value("szSubMask").toString(), QStringLiteral("255.255.255.0"));
    QCOMPARE(objEth.value("szGateway").toString(), QStringLiteral("127.77.0.254"));
    QCOMPARE(objEth.value("byValid").toInt(), 7);
    QCOMPARE(objEth.value("szMacAddr").toString(), cameraFields(1).value("mac"));
    QCOMPARE(objValue.value("stDns").toObject().value("szDns1").toString(), QStringLiteral("9.9.9.9"));
    QTRY_COMPARE(lines(QStringLiteral("SETENV")).size(), 1);
    QVERIFY(lines(QStringLiteral("SETENV")).constFirst().startsWith("SETENV cam=1 ip=127.77.0.11 was=127.77.0.11 now=127.77.0.61 "));
    // Until the reboot the camera stays where it was.
    QStringList listTexts;
    for (const QByteArray &baReply : search(2))
        listTexts << searchRecordAddress(searchRecordFromBytes(baReply));
    QVERIFY(listTexts.contains(camAddress(1)));
    const HttpResult_S stOther = command(QStringLiteral("GetEnv"), camAddress(0), kGetEnvJson);
    QCOMPARE(stOther.objBody.value("stValue").toObject().value("stEth").toArray().first().toObject().value("szIPAddr").toString(),
             camAddress(0));
}

void TestCamSim::setEnvRefusedWithStatus()
{
    QVERIFY(startSim({"--cameras", "2", "--setenv-status", "1:0"}));
    const QByteArray baJson = setEnvJson("127.77.0.62", "255.255.0.0", "127.77.0.1", 5);
    const HttpResult_S stRefused = command(QStringLiteral("SetEnv"), camAddress(0), baJson);
    QCOMPARE(stRefused.nStatus, 200);
    QCOMPARE(stRefused.objBody.value("nRetVal").toInt(), 1);
    const HttpResult_S stEnv = command(QStringLiteral("GetEnv"), camAddress(0), kGetEnvJson);
    QCOMPARE(stEnv.objBody.value("stValue").toObject().value("stEth").toArray().first().toObject().value("szIPAddr").toString(),
             camAddress(0));
    QVERIFY(lines(QStringLiteral("SETENV")).isEmpty());
    QCOMPARE(command(QStringLiteral("SetEnv"), camAddress(1), baJson).objBody.value("nRetVal").toInt(), 0);
}

void TestCamSim::rebootMovesTheCamera()
{
    QVERIFY(startSim({"--cameras", "3", "--reboot-ms", "1500"}));
    QCOMPARE(command(QStringLiteral("SetEnv"), camAddress(2), setEnvJson("127.77.0.50", "255.255.0.0", "127.77.0.1", 5))
                 .objBody.value("nRetVal").toInt(), 0);
    const HttpResult_S stReboot = command(QStringLiteral("Reboot"), camAddress(2), kRebootJson);
    QCOMPARE(stReboot.nStatus, 200);
    QCOMPARE(stReboot.baBody, QByteArray(R"({"nRetVal":0})"));
    QTRY_COMPARE(lines(QStringLiteral("REBOOT")), QStringList {"REBOOT cam=2 from=127.77.0.12 to=127.77.0.50 silent-ms=1500"});

    // Silent: no search reply, no HTTP listener.
    if (lines(QStringLiteral("BACK")).isEmpty()) {
        QCOMPARE(search(2).size(), 2);
        QVERIFY(rawExchange(camAddress(2), "GET / HTTP/1.1\r\n\r\n", kSilenceMs).isEmpty());
    }

    QTRY_COMPARE_WITH_TIMEOUT(lines(QStringLiteral("BACK")), QStringList {"BACK cam=2 ip=127.77.0.50"}, kAnswerTimeoutMs);
    QStringList listTexts;
    for (const QByteArray &baReply : search(3))
        listTexts << searchRecordAddress(searchRecordFromBytes(baReply));
    listTexts.sort();
    QCOMPARE(listTexts, (QStringList {camAddress(0), camAddress(1), "127.77.0.50"}));
    const HttpResult_S stEnv = command(QStringLiteral("GetEnv"), QStringLiteral("127.77.0.50"), kGetEnvJson);
    QCOMPARE(stEnv.nStatus, 200);
    QTRY_VERIFY(lastLine(QStringLiteral("REQ")).startsWith("REQ cam=2 ip=127.77.0.50 cmd=GetEnv "));
    QVERIFY(rawExchange(camAddress(2), "GET / HTTP/1.1\r\n\r\n", kSilenceMs).isEmpty());
}

void TestCamSim::badInputGetsAnErrorReply_data()
{
    QTest::addColumn<QByteArray>("baRequest");
    QTest::addColumn<int>("nStatus");
    QTest::addColumn<QString>("strCmd");
    const QByteArray baTail = " HTTP/1.1\r\nConnection: close\r\n\r\n";
    QTest::newRow("unknown command") << "GET /ajaxcom?szCmd=%7B%22Format%22%3A%7B%7D%7D" + baTail << 400 << "-";
    QTest::newRow("broken JSON") << "GET /ajaxcom?szCmd=%7B%22GetEnv%22%3A" + baTail << 400 << "-";
    QTest::newRow("JSON array") << "GET /ajaxcom?szCmd=%5B1%5D" + baTail << 400 << "-";
    QTest::newRow("no szCmd") << "GET /ajaxcom?x=1" + baTail << 400 << "-";
    QTest::newRow("szCmd twice") << "GET /ajaxcom?szCmd=%7B%7D&szCmd=%7B%7D" + baTail << 400 << "-";
    QTest::newRow("double-encoded") << "GET /ajaxcom?szCmd=%257B%2522GetEnv%2522%253A%257B%257D%257D" + baTail << 400 << "-";
    QTest::newRow("GetEnv by POST")
        << QByteArray("POST /ajaxcom?szCmd=%7B%22GetEnv%22%3A%7B%22NetWork%22%3A%7B%7D%7D%7D HTTP/1.1\r\nConnection: close\r\n"
                      "Content-Length: 0\r\n\r\n")
        << 400 << "GetEnv";
    QTest::newRow("QueryVersion in the query")
        << QByteArray("POST /ajaxcom?szCmd=%7B%22QueryState%22%3A%7B%22QueryVersion%22%3A%7B%7D%7D%7D HTTP/1.1\r\n"
                      "Connection: close\r\n\r\n")
        << 400 << "QueryVersion";
    QTest::newRow("SetEnv without stEth")
        << QByteArray("POST /ajaxcom?szCmd=%7B%22SetEnv%22%3A%7B%22NetWork%22%3A%7B%7D%7D%7D HTTP/1.1\r\nConnection: close\r\n\r\n")
        << 400
        << "SetEnv";
    QTest::newRow("SetEnv bad address")
        << "POST /ajaxcom?szCmd=" + QUrl::toPercentEncoding(QString::fromLatin1(setEnvJson("1.2.3", "255.255.0.0", "1.2.3.4", 5)))
               + baTail
        << 400 << "SetEnv";
    QTest::newRow("other path") << "GET /cgi-bin/x" + baTail << 404 << "-";
    QTest::newRow("garbage") << QByteArray("\x01\x02 nonsense\r\n\r\n") << 400 << "";
    QTest::newRow("bad header") << QByteArray("GET /ajaxcom HTTP/1.1\r\nno colon here\r\n\r\n") << 400 << "";
    QTest::newRow("head too large") << "GET /ajaxcom HTTP/1.1\r\nX: " + QByteArray(20000, 'a') + "\r\n\r\n" << 431 << "";
    QTest::newRow("body too large") << QByteArray("POST /ajaxcom HTTP/1.1\r\nContent-Length: 1000000\r\n\r\nabc") << 413 << "";
    QTest::newRow("chunked") << QByteArray("POST /ajaxcom HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n") << 501 << "";
}

void TestCamSim::badInputGetsAnErrorReply()
{
    QFETCH(QByteArray, baRequest);
    QFETCH(int, nStatus);
    QFETCH(QString, strCmd);
    QVERIFY(startSim({"--cameras", "1"}));
    const RawAnswer_S stAnswer = splitAnswer(rawExchange(camAddress(0), baRequest));
    QCOMPARE(stAnswer.nStatus, nStatus);
    const QJsonObject objError = QJsonDocument::fromJson(stAnswer.baBody).object();
    QCOMPARE(objError.value("nRetVal").toInt(), -1);
    QVERIFY(!objError.value("szError").toString().isEmpty());
    QTRY_COMPARE(lines(QStringLiteral("REPLY")).size(), 1);
    if (strCmd.isEmpty())
        QCOMPARE(lines(QStringLiteral("BAD")).size(), 1);
    else
        QVERIFY(lines(QStringLiteral("REQ")).constFirst().startsWith(QStringLiteral("REQ cam=0 ip=127.77.0.10 cmd=%1 ").arg(strCmd)));
    QCOMPARE(command(QStringLiteral("GetEnv"), camAddress(0), kGetEnvJson).nStatus, 200);
}

void TestCamSim::delayHoldsTheAnswer()
{
    QVERIFY(startSim({"--cameras", "2", "--delay-ms", "800:0"}));
    QStringList listOrder;
    QNetworkReply *pSlow = sendCommand(QStringLiteral("GetEnv"), camAddress(0), kGetEnvJson);
    QNetworkReply *pFast = sendCommand(QStringLiteral("GetEnv"), camAddress(1), kGetEnvJson);
    connect(pSlow, &QNetworkReply::finished, this, [&listOrder]() { listOrder << "slow"; });
    connect(pFast, &QNetworkReply::finished, this, [&listOrder]() { listOrder << "fast"; });
    QTRY_COMPARE(listOrder.size(), 2);
    QCOMPARE(listOrder, (QStringList {"fast", "slow"}));
    QCOMPARE(pSlow->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 200);
    delete pSlow;
    delete pFast;
}

void TestCamSim::silentHttpCameraRefusesConnections()
{
    QVERIFY(startSim({"--cameras", "3", "--silent-http", "1"}));
    QCOMPARE(search(3).size(), 3);
    QVERIFY(cameraFields(2).value("http") == QLatin1String("off"));
    QTcpSocket socket;
    socket.connectToHost(camAddress(2), kHttpPort);
    QVERIFY(!socket.waitForConnected(kAnswerTimeoutMs));
    QCOMPARE(socket.error(), QAbstractSocket::ConnectionRefusedError);
    QCOMPARE(command(QStringLiteral("GetEnv"), camAddress(1), kGetEnvJson).nStatus, 200);
}

void TestCamSim::hostileSearchReplies_data()
{
    QTest::addColumn<QString>("strMode");
    QTest::addColumn<QStringList>("listTexts");
    QTest::newRow("bad-address") << "bad-address"
                                 << QStringList {camAddress(0), "evil.example", "127.77.0.11:18480/x?", "127.77.0.11#",
                                                 "127.77.0.11" + QString(53, QLatin1Char('1'))};
    QTest::newRow("random-bytes") << "random-bytes" << QStringList {};
    QTest::newRow("flood") << "flood" << QStringList {};
    QTest::newRow("plausible-flood") << "plausible-flood" << QStringList {};
}

void TestCamSim::hostileSearchReplies()
{
    QFETCH(QString, strMode);
    QFETCH(QStringList, listTexts);
    // Few enough that the socket's receive buffer holds them all.
    constexpr int kFloodCount = 100;
    QVERIFY(startSim({"--cameras", "1", "--hostile", strMode, "--flood-count", QString::number(kFloodCount)}));
    QCOMPARE(cameraFields(1).value("hostile"), strMode);
    m_pSearch->writeDatagram(searchRequest(9), QHostAddress(kGroup), kSearchPort);
    if (strMode == QLatin1String("flood")) {
        QTRY_COMPARE(lines(QStringLiteral("FLOOD-DONE")), QStringList {QStringLiteral("FLOOD-DONE cam=1 sent=%1").arg(kFloodCount)});
        QTRY_VERIFY(m_listDatagrams.size() > 2);
        QVERIFY(m_listDatagrams.size() <= kFloodCount + 2);
        QCOMPARE(lines(QStringLiteral("SEARCH-REPLY")).size(), 2);
        return;
    }
    if (strMode == QLatin1String("plausible-flood")) {
        STEP(verifyPlausibleFlood(kFloodCount));
        return;
    }
    const int nExpected = strMode == QLatin1String("random-bytes") ? 3 : listTexts.size();
    QTRY_COMPARE(m_listDatagrams.size(), nExpected);
    QStringList listReceived;
    for (const QByteArray &baReply : qAsConst(m_listDatagrams))
        listReceived << searchRecordAddress(searchRecordFromBytes(baReply));
    if (strMode == QLatin1String("random-bytes")) {
        QVERIFY(listReceived.contains(camAddress(0)));
        QVERIFY(!listReceived.contains(camAddress(1)));
        return;
    }
    listReceived.sort();
    listTexts.sort();
    QCOMPARE(listReceived, listTexts);
}

// The flood's replies reach the requester as well-formed records, each with an address of
// the camera subnet (127.77.0.0/16) that no camera has, all distinct, from the top down.
void TestCamSim::verifyPlausibleFlood(int nCount)
{
    const QString strFirst = QStringLiteral("127.77.255.254");
    QTRY_COMPARE(lines(QStringLiteral("FLOOD-DONE")), QStringList {QStringLiteral("FLOOD-DONE cam=1 sent=%1").arg(nCount)});
    QVERIFY(lastLine(QStringLiteral("FLOOD")).endsWith(QStringLiteral(" count=%1 first=%2 last=127.77.255.155").arg(nCount).arg(strFirst)));
    QTRY_COMPARE(m_listDatagrams.size(), nCount + 2);
    QSet<QString> setAddresses;
    const QHostAddress subnet(QStringLiteral("127.77.0.0"));
    for (const QByteArray &baReply : qAsConst(m_listDatagrams)) {
        QCOMPARE(baReply.size(), kSearchRecordSize);
        const QuillbootSearch_S stRecord = searchRecordFromBytes(baReply);
        QCOMPARE(qFromLittleEndian<quint32>(baReply.constData()), kMagic);
        QCOMPARE(qFromLittleEndian<quint32>(baReply.constData() + 4), 9u);
        const QHostAddress address(searchRecordAddress(stRecord));
        QVERIFY(address.isInSubnet(subnet, 16));
        setAddresses.insert(address.toString());
    }
    QCOMPARE(setAddresses.size(), nCount + 2);
    QVERIFY(setAddresses.contains(strFirst));
    QVERIFY(setAddresses.contains(camAddress(0)));
    QVERIFY(setAddresses.contains(camAddress(1)));
}

void TestCamSim::hostileHttpAnswers_data()
{
    QTest::addColumn<QString>("strMode");
    QTest::addColumn<QStringList>("listExtra");
    QTest::newRow("invalid-json") << "invalid-json" << QStringList {};
    QTest::newRow("redirect") << "redirect" << QStringList {};
    QTest::newRow("oversized-body") << "oversized-body" << QStringList {};
    QTest::newRow("oversized-body chunked") << "oversized-body" << QStringList {"--oversize-framing", "chunked"};
    QTest::newRow("oversized-body until close") << "oversized-body" << QStringList {"--oversize-framing", "close"};
    QTest::newRow("gzip-bomb") << "gzip-bomb" << QStringList {"--bomb-mb", "4"};
    QTest::newRow("random-bytes") << "random-bytes" << QStringList {};
    QTest::newRow("trickle") << "trickle" << QStringList {};
    QTest::newRow("never-answer") << "never-answer" << QStringList {};
}

void TestCamSim::hostileHttpAnswers()
{
    QFETCH(QString, strMode);
    QFETCH(QStringList, listExtra);
    QVERIFY(startSim(QStringList {"--cameras", "1", "--hostile", strMode, "--oversize-mb", "1", "--trickle-ms", "1"} + listExtra));
    const QByteArray baRequest = "GET /ajaxcom?szCmd=" + QUrl::toPercentEncoding(QString::fromLatin1(kGetEnvJson))
        + " HTTP/1.1\r\nConnection: close\r\n\r\n";
    const QByteArray baAnswer = rawExchange(camAddress(1), baRequest, strMode == QLatin1String("never-answer") ? kSilenceMs : kAnswerTimeoutMs);
    const RawAnswer_S stAnswer = splitAnswer(baAnswer);
    QJsonParseError parseError;
    QJsonDocument::fromJson(stAnswer.baBody, &parseError);
    if (strMode == QLatin1String("invalid-json")) {
        QCOMPARE(stAnswer.nStatus, 200);
        QVERIFY(parseError.error != QJsonParseError::NoError);
    } else if (strMode == QLatin1String("redirect")) {
        QCOMPARE(stAnswer.nStatus, 302);
        QCOMPARE(lines(QStringLiteral("TRAP")), QStringList {"TRAP ip=127.77.0.12 port=18480"});
        QVERIFY(stAnswer.baHead.contains("\r\nLocation: http://127.77.0.12:18480/ajaxcom?szCmd="));
        QCOMPARE(splitAnswer(rawExchange(QStringLiteral("127.77.0.12"), baRequest)).nStatus, 404);
        QTRY_VERIFY(lastLine(QStringLiteral("REQ")).startsWith("REQ cam=trap ip=127.77.0.12 cmd=GetEnv "));
    } else if (strMode == QLatin1String("oversized-body")) {
        STEP(verifyOversizedBody(stAnswer, listExtra.value(1)));
    } else if (strMode == QLatin1String("gzip-bomb")) {
        STEP(verifyGzipBomb(stAnswer));
    } else if (strMode == QLatin1String("random-bytes")) {
        QCOMPARE(baAnswer.size(), 1024);
        QCOMPARE(stAnswer.nStatus, 0);
    } else if (strMode == QLatin1String("trickle")) {
        QCOMPARE(stAnswer.nStatus, 200);
        QCOMPARE(parseError.error, QJsonParseError::NoError);
    } else {
        QVERIFY(baAnswer.isEmpty());
        QTRY_VERIFY(lastLine(QStringLiteral("REPLY")).endsWith(" status=- hostile=never-answer"));
    }
    QCOMPARE(command(QStringLiteral("GetEnv"), camAddress(0), kGetEnvJson).nStatus, 200);
}

// One MiB of JSON, framed as asked: with its length, in chunks, or until the close.
void TestCamSim::verifyOversizedBody(const RawAnswer_S &stAnswer, const QString &strFraming)
{
    constexpr int kBodyBytes = 1048576;
    QCOMPARE(stAnswer.nStatus, 200);
    QByteArray baBody = stAnswer.baBody;
    if (strFraming == QLatin1String("chunked")) {
        QVERIFY(stAnswer.baHead.contains("\r\nTransfer-Encoding: chunked"));
        QVERIFY(!stAnswer.baHead.contains("Content-Length"));
        baBody = dechunked(stAnswer.baBody);
    } else if (strFraming == QLatin1String("close")) {
        QVERIFY(!stAnswer.baHead.contains("Content-Length"));
        QVERIFY(!stAnswer.baHead.contains("Transfer-Encoding"));
        QVERIFY(stAnswer.baHead.contains("\r\nConnection: close"));
    } else {
        QVERIFY(stAnswer.baHead.contains("\r\nContent-Length: 1048576"));
    }
    QCOMPARE(baBody.size(), kBodyBytes);
    QJsonParseError parseError;
    QJsonDocument::fromJson(baBody, &parseError);
    QCOMPARE(parseError.error, QJsonParseError::NoError);
}

// Under a hundredth of its inflated size on the wire; inflated by the network layer, which
// asks for gzip by default, it is 4 MiB of spaces (rounded up to 1 + a multiple of 258).
void TestCamSim::verifyGzipBomb(const RawAnswer_S &stAnswer)
{
    constexpr int kInflatedBytes = 4 * 1048576;
    constexpr int kCopy = 258;
    QCOMPARE(stAnswer.nStatus, 200);
    QVERIFY(stAnswer.baHead.contains("\r\nContent-Encoding: gzip"));
    QVERIFY(stAnswer.baBody.startsWith(QByteArray::fromHex("1f8b08")));
    QVERIFY(stAnswer.baBody.size() < kInflatedBytes / 100);
    const HttpResult_S stInflated = command(QStringLiteral("GetEnv"), camAddress(1), kGetEnvJson);
    QCOMPARE(stInflated.nStatus, 200);
    QCOMPARE(stInflated.baBody.size(), 1 + (kInflatedBytes - 1 + kCopy - 1) / kCopy * kCopy);
    QCOMPARE(stInflated.baBody.count(' '), stInflated.baBody.size());
}

void TestCamSim::connectionStaysWithItsCamera_data()
{
    QTest::addColumn<QString>("strMode");
    QTest::addColumn<QStringList>("listExpected");
    QTest::newRow("first") << "first" << QStringList {"cam=0", "cam=0", "cam=0", "cam=0", "cam=0", "cam=0"};
    QTest::newRow("alternate") << "alternate" << QStringList {"cam=0", "cam=1", "cam=0", "cam=1", "cam=0", "cam=1"};
    QTest::newRow("random") << "random" << QStringList {};
}

// Each connection to the shared address is served, request after request, by the camera
// it reached: its MAC in every answer, its index in every REQ line.
void TestCamSim::connectionStaysWithItsCamera()
{
    QFETCH(QString, strMode);
    QFETCH(QStringList, listExpected);
    QVERIFY(startSim({"--cameras", "3", "--shared-address", "--shared-serving", strMode}));
    QStringList listServed;
    for (int nConnection = 0; nConnection < 6; ++nConnection) {
        const QList<RawAnswer_S> listAnswers = getEnvsOnOneConnection(camAddress(0), 2);
        QCOMPARE(listAnswers.size(), 2);
        const QString strMac = ethOf(QJsonDocument::fromJson(listAnswers.at(0).baBody).object()).value("szMacAddr").toString();
        QCOMPARE(ethOf(QJsonDocument::fromJson(listAnswers.at(1).baBody).object()).value("szMacAddr").toString(), strMac);
        listServed << cameraOfMac(strMac);
    }
    QTRY_COMPARE(lines(QStringLiteral("REQ")).size(), 12);
    QStringList listLogged;
    for (const QString &strLine : lines(QStringLiteral("REQ")))
        listLogged << strLine.section(QLatin1Char(' '), 1, 1);
    for (int nConnection = 0; nConnection < listServed.size(); ++nConnection)
        QCOMPARE(listLogged.mid(2 * nConnection, 2), QStringList({listServed.at(nConnection), listServed.at(nConnection)}));
    if (!listExpected.isEmpty())
        QCOMPARE(listServed, listExpected);
    else
        QVERIFY2(listServed.contains("cam=0") && listServed.contains("cam=1"), qPrintable(listServed.join(' ')));
}

void TestCamSim::closeAfterReply_data()
{
    QTest::addColumn<QString>("strOption");
    QTest::addColumn<int>("nCamera");
    QTest::addColumn<bool>("bCloses");
    QTest::newRow("every camera") << "--close-after-reply" << 0 << true;
    QTest::newRow("the camera named") << "--close-after-reply:1" << 1 << true;
    QTest::newRow("another camera") << "--close-after-reply:1" << 0 << false;
}

void TestCamSim::closeAfterReply()
{
    QFETCH(QString, strOption);
    QFETCH(int, nCamera);
    QFETCH(bool, bCloses);
    QVERIFY(startSim({"--cameras", "2", strOption}));
    QCOMPARE(cameraFields(nCamera).value("close-after-reply"), QString::fromLatin1(bCloses ? "on" : "off"));
    const QList<RawAnswer_S> listAnswers = getEnvsOnOneConnection(camAddress(nCamera), 2);
    QCOMPARE(listAnswers.size(), bCloses ? 1 : 2);
    QCOMPARE(listAnswers.constFirst().nStatus, 200);
    QCOMPARE(listAnswers.constFirst().baHead.contains("\r\nConnection: close"), bCloses);
}

void TestCamSim::rebootStatus_data()
{
    QTest::addColumn<QString>("strOption");
    QTest::addColumn<int>("nRetVal");
    QTest::newRow("refused") << "3:1" << 3;
    QTest::newRow("another camera refuses") << "3:0" << 0;
}

void TestCamSim::rebootStatus()
{
    QFETCH(QString, strOption);
    QFETCH(int, nRetVal);
    QVERIFY(startSim({"--cameras", "2", "--reboot-status", strOption}));
    QCOMPARE(command(QStringLiteral("Reboot"), camAddress(1), kRebootJson).objBody.value("nRetVal").toInt(), nRetVal);
    if (nRetVal == 0)
        QTRY_COMPARE(lines(QStringLiteral("REBOOT")).size(), 1);
    QCOMPARE(command(QStringLiteral("GetEnv"), camAddress(1), kGetEnvJson).nStatus, nRetVal == 0 ? 0 : 200);
    QCOMPARE(lines(QStringLiteral("REBOOT")).size(), nRetVal == 0 ? 1 : 0);
}

void TestCamSim::setEnvDropAppliesAndAnswersNothing()
{
    QVERIFY(startSim({"--cameras", "2", "--hostile", "setenv-drop:1"}));
    const QByteArray baSetEnv = "POST /ajaxcom?szCmd="
        + QUrl::toPercentEncoding(QString::fromLatin1(setEnvJson("127.77.0.63", "255.255.0.0", "127.77.0.1", 5)))
        + " HTTP/1.1\r\nContent-Length: 0\r\n\r\n";
    QTcpSocket socket;
    socket.connectToHost(camAddress(1), kHttpPort);
    QVERIFY(socket.waitForConnected(kAnswerTimeoutMs));
    socket.write(baSetEnv);
    QVERIFY(socket.waitForDisconnected(kAnswerTimeoutMs));
    QVERIFY(socket.readAll().isEmpty());
    QTRY_VERIFY(lastLine(QStringLiteral("REPLY")).endsWith(" cmd=SetEnv status=- hostile=setenv-drop"));
    QVERIFY(lastLine(QStringLiteral("SETENV")).startsWith("SETENV cam=1 ip=127.77.0.11 was=127.77.0.11 now=127.77.0.63 "));
    QCOMPARE(ethOf(command(QStringLiteral("GetEnv"), camAddress(1), kGetEnvJson).objBody).value("szIPAddr").toString(), "127.77.0.63");
    QCOMPARE(command(QStringLiteral("Reboot"), camAddress(1), kRebootJson).baBody, QByteArray(R"({"nRetVal":0})"));
    QTRY_COMPARE(lines(QStringLiteral("REBOOT")).size(), 1);
}

// The first factory camera serves the shared address; once it has rebooted onto another
// one, nobody does for the handover time, then the next one does.
void TestCamSim::factoryCamerasServeOneAtATime()
{
    const QString strFactory = QStringLiteral("127.77.0.50");
    QVERIFY(startSim({"--cameras", "1", "--factory", "2", "--factory-address", strFactory, "--handover-ms", "600", "--reboot-ms", "200"}));
    QCOMPARE(lines(QStringLiteral("FACTORY")), QStringList {"FACTORY ip=127.77.0.50 cameras=2 first=1 handover-ms=600"});
    QStringList listTexts;
    for (const QByteArray &baReply : search(3))
        listTexts << searchRecordAddress(searchRecordFromBytes(baReply));
    QCOMPARE(listTexts.count(strFactory), 2);
    QCOMPARE(ethOf(command(QStringLiteral("GetEnv"), strFactory, kGetEnvJson).objBody).value("szMacAddr").toString(),
             cameraFields(1).value("mac"));
    QCOMPARE(command(QStringLiteral("SetEnv"), strFactory, setEnvJson("127.77.0.64", "255.255.0.0", "127.77.0.1", 5)).nStatus, 200);
    QCOMPARE(command(QStringLiteral("Reboot"), strFactory, kRebootJson).nStatus, 200);
    if (lines(QStringLiteral("HANDOVER")).isEmpty())
        QVERIFY(rawExchange(strFactory, "GET / HTTP/1.1\r\n\r\n", kSilenceMs).isEmpty());
    QTRY_COMPARE(lines(QStringLiteral("HANDOVER")), QStringList {"HANDOVER ip=127.77.0.50 from=1 to=2"});
    QCOMPARE(ethOf(command(QStringLiteral("GetEnv"), strFactory, kGetEnvJson).objBody).value("szMacAddr").toString(),
             cameraFields(2).value("mac"));
    QTRY_COMPARE(lines(QStringLiteral("BACK")), QStringList {"BACK cam=1 ip=127.77.0.64"});
    QCOMPARE(ethOf(command(QStringLiteral("GetEnv"), QStringLiteral("127.77.0.64"), kGetEnvJson).objBody).value("szMacAddr").toString(),
             cameraFields(1).value("mac"));
}

void TestCamSim::camerasAreDeterministicFromTheSeed()
{
    const QStringList listArguments {"--cameras", "40", "--seed", "7"};
    const QStringList listFirst = cameraLinesOfRun(listArguments);
    QCOMPARE(listFirst.size(), 40);
    QCOMPARE(cameraLinesOfRun(listArguments), listFirst);
    QSet<QString> setMacs;
    for (const QString &strLine : listFirst)
        setMacs.insert(strLine.section(QStringLiteral(" mac="), 1).section(QLatin1Char(' '), 0, 0));
    QCOMPARE(setMacs.size(), 40);
    QVERIFY(cameraLinesOfRun({"--cameras", "40", "--seed", "8"}) != listFirst);
}

void TestCamSim::invalidOptionsAreRefused_data()
{
    QTest::addColumn<QStringList>("listArguments");
    QTest::newRow("unknown hostile mode") << QStringList {"--interface", "lo", "--hostile", "bogus"};
    QTest::newRow("hostile camera out of range") << QStringList {"--interface", "lo", "--cameras", "2", "--hostile", "flood:5"};
    QTest::newRow("no interface") << QStringList {"--cameras", "2"};
    QTest::newRow("bad mask") << QStringList {"--interface", "lo", "--mask", "255.0.255.0"};
    QTest::newRow("bad address") << QStringList {"--interface", "lo", "--addresses", "127.77.0.10,300.1.1.1"};
    QTest::newRow("shared with one camera") << QStringList {"--interface", "lo", "--cameras", "1", "--shared-address"};
    QTest::newRow("unknown framing") << QStringList {"--interface", "lo", "--oversize-framing", "gzip"};
    QTest::newRow("bomb too large") << QStringList {"--interface", "lo", "--bomb-mb", "4096"};
    QTest::newRow("unknown serving") << QStringList {"--interface", "lo", "--shared-serving", "last"};
    QTest::newRow("closing camera out of range") << QStringList {"--interface", "lo", "--cameras", "2", "--close-after-reply:2"};
    QTest::newRow("factory without address") << QStringList {"--interface", "lo", "--factory", "2"};
}

void TestCamSim::invalidOptionsAreRefused()
{
    QFETCH(QStringList, listArguments);
    QProcess process;
    process.start(kSimPath, listArguments);
    QVERIFY(process.waitForFinished(kAnswerTimeoutMs));
    QCOMPARE(process.exitCode(), kUsageExit);
    QVERIFY(process.readAllStandardError().startsWith("kestrova-camsim: "));
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

QTEST_GUILESS_MAIN(TestCamSim)
#include "tst_camsim.moc"
