#include <QtTest>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/mainmodel.h"
#include "core/ethinfo_s.h"
#include "net/chttp.h"
#include "net/modifymodel.h"
#include "support/fakehttpcamera.h"
#include "support/hubrecorder.h"
#include "support/logcapture.h"

namespace {

const QString kDeviceIp = QStringLiteral("10.0.0.7");
const QByteArray kFormType = "application/x-www-form-urlencoded";
const QString kFinished = QStringLiteral("finished");
constexpr int kWaitMs = 10000;

EthInfo_S sampleEthInfo(int nDhcp)
{
    EthInfo_S stEthInfo;
    stEthInfo.strIPAddr = QStringLiteral("192.168.1.100");
    stEthInfo.strSubMask = QStringLiteral("255.255.255.0");
    stEthInfo.strGateway = QStringLiteral("192.168.1.1");
    stEthInfo.strMacAddr = QStringLiteral("00:11:22:33:44:55");
    stEthInfo.nDhcp = nDhcp;
    stEthInfo.strDns1 = QStringLiteral("8.8.8.8");
    stEthInfo.strDns2 = QStringLiteral("8.8.4.4");
    return stEthInfo;
}

EthInfo_S ethInfo(const QStringList &listTexts, int nDhcp)
{
    EthInfo_S stEthInfo;
    stEthInfo.strIPAddr = listTexts.value(0);
    stEthInfo.strSubMask = listTexts.value(1);
    stEthInfo.strGateway = listTexts.value(2);
    stEthInfo.strMacAddr = listTexts.value(3);
    stEthInfo.nDhcp = nDhcp;
    stEthInfo.strDns1 = listTexts.value(4);
    stEthInfo.strDns2 = listTexts.value(5);
    return stEthInfo;
}

QByteArray getEnvBody(const QByteArray &baEth, const QByteArray &baDns = QByteArray())
{
    QByteArray baValue = R"("stEth":)" + baEth;
    if (!baDns.isEmpty())
        baValue += R"(,"stDns":)" + baDns;
    return R"({"stValue":{)" + baValue + "}}";
}

const QByteArray kFullEth =
    R"([{"szIPAddr":"192.168.1.64","szSubMask":"255.255.255.0","szGateway":"192.168.1.1","szMacAddr":"AA:BB:CC:DD:EE:FF","byValid":7}])";
const QByteArray kFullDns = R"({"szDns1":"8.8.8.8","szDns2":"1.1.1.1"})";
const QStringList kFullTexts{"192.168.1.64", "255.255.255.0", "192.168.1.1", "AA:BB:CC:DD:EE:FF", "8.8.8.8", "1.1.1.1"};

QByteArray validBody(const QByteArray &baValid)
{
    return getEnvBody(R"([{"szIPAddr":"1.2.3.4","byValid":)" + baValid + "}]");
}

} // namespace

class TestDeviceCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void requestsByteExact_data();
    void requestsByteExact();
    void setEnvDocument_data();
    void setEnvDocument();
    void repliesReachParsers_data();
    void repliesReachParsers();
    void dispatchByKindAndFlag_data();
    void dispatchByKindAndFlag();
    void getEnvReply_data();
    void getEnvReply();
    void setEnvReply_data();
    void setEnvReply();
    void queryVersionReply_data();
    void queryVersionReply();
    void rebootReply_data();
    void rebootReply();

private:
    void sendCommand(const QString &strCmd, const QString &strIp, const EthInfo_S &stEthInfo);
    bool sendAndWait(const QString &strCmd, const EthInfo_S &stEthInfo);

    MainModel *m_pMainModel = nullptr;
    ModifyModel *m_pModel = nullptr;
    FakeHttpCamera *m_pCamera = nullptr;
    HubRecorder *m_pRecorder = nullptr;
};

void TestDeviceCommands::init()
{
    m_pMainModel = new MainModel;
    m_pModel = m_pMainModel->getModifyModel();
    CHttp::getInstance()->setReceiver(m_pMainModel);
    m_pCamera = new FakeHttpCamera;
    QVERIFY(m_pCamera->listen(QHostAddress::LocalHost));
    m_pCamera->setGetEnvMac(sampleEthInfo(0).strMacAddr);
    m_pRecorder = new HubRecorder;
}

void TestDeviceCommands::cleanup()
{
    delete m_pRecorder;
    m_pRecorder = nullptr;
    CHttp::destroyInstance();
    delete m_pCamera;
    m_pCamera = nullptr;
    delete m_pMainModel;
    m_pMainModel = nullptr;
    m_pModel = nullptr;
}

void TestDeviceCommands::sendCommand(const QString &strCmd, const QString &strIp, const EthInfo_S &stEthInfo)
{
    if (strCmd == QLatin1String("GetEnv"))
        m_pModel->slotGetEnv(strIp);
    else if (strCmd == QLatin1String("SetEnv"))
        m_pModel->slotSetEthInfo(strIp, stEthInfo);
    else if (strCmd == QLatin1String("QueryVersion"))
        m_pModel->slotGetFwVersion(strIp);
    else if (strCmd == QLatin1String("Reboot"))
        m_pModel->slotDevReboot(strIp);
}

// Sends one command to the fake camera; true once the batch has ended. A "Reboot" follows a
// write, whose events are dropped.
bool TestDeviceCommands::sendAndWait(const QString &strCmd, const EthInfo_S &stEthInfo)
{
    if (strCmd == QLatin1String("Reboot")) {
        m_pCamera->setReply(QStringLiteral("SetEnv"), R"({"nRetVal":0})");
        if (!sendAndWait(QStringLiteral("SetEnv"), stEthInfo))
            return false;
        m_pRecorder->m_listEvents.clear();
    }
    if (strCmd == QLatin1String("SetEnv"))
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("^slotSetEthInfo: ")));
    sendCommand(strCmd, m_pCamera->hostPort(), stEthInfo);
    return QTest::qWaitFor([this] { return m_pRecorder->m_listEvents.contains(kFinished); }, kWaitMs);
}

void TestDeviceCommands::requestsByteExact_data()
{
    QTest::addColumn<QString>("strCmd");
    QTest::addColumn<QByteArray>("baMethod");
    QTest::addColumn<QByteArray>("baTarget");
    QTest::addColumn<QByteArray>("baBody");
    QTest::addColumn<QByteArray>("baContentType");
    QTest::addColumn<QByteArray>("baJson");

    QTest::newRow("GetEnv") << QStringLiteral("GetEnv") << QByteArray("GET")
                            << QByteArray("/ajaxcom?szCmd=%7B%22GetEnv%22%3A%7B%22NetWork%22%3A%7B%22nChannel%22%3A-1%7D%7D%7D")
                            << QByteArray() << QByteArray() << QByteArray(R"({"GetEnv":{"NetWork":{"nChannel":-1}}})");
    QTest::newRow("SetEnv")
        << QStringLiteral("SetEnv") << QByteArray("POST")
        << QByteArray("/ajaxcom?szCmd=%7B%22SetEnv%22:%7B%22NetWork%22:%7B%22stDns%22:%7B%22szDns1%22:%228.8.8.8%22,"
                      "%22szDns2%22:%228.8.4.4%22%7D,%22stEth%22:[%7B%22bDefault%22:1,%22byValid%22:7,"
                      "%22szGateway%22:%22192.168.1.1%22,%22szIPAddr%22:%22192.168.1.100%22,"
                      "%22szMacAddr%22:%2200:11:22:33:44:55%22,%22szSubMask%22:%22255.255.255.0%22%7D]%7D%7D%7D")
        << QByteArray() << kFormType
        << QByteArray(R"({"SetEnv":{"NetWork":{"stDns":{"szDns1":"8.8.8.8","szDns2":"8.8.4.4"},"stEth":[{"bDefault":1,)"
                      R"("byValid":7,"szGateway":"192.168.1.1","szIPAddr":"192.168.1.100","szMacAddr":"00:11:22:33:44:55",)"
                      R"("szSubMask":"255.255.255.0"}]}}})");
    QTest::newRow("QueryVersion") << QStringLiteral("QueryVersion") << QByteArray("POST") << QByteArray("/ajaxcom")
                                  << QByteArray("szCmd=%7B%22QueryState%22:%7B%22QueryVersion%22:%7B%7D%7D%7D")
                                  << kFormType << QByteArray(R"({"QueryState":{"QueryVersion":{}}})");
    QTest::newRow("Reboot") << QStringLiteral("Reboot") << QByteArray("POST")
                            << QByteArray("/ajaxcom?szCmd=%7B%22SysCtrl%22:%7B%22Reboot%22:%7B%7D%7D%7D") << QByteArray()
                            << kFormType << QByteArray(R"({"SysCtrl":{"Reboot":{}}})");
}

// Only "QueryVersion" sets its content type; the other POSTs get the same form default,
// and a GET carries none. "SetEnv" and "Reboot" come after the check's "GetEnv".
void TestDeviceCommands::requestsByteExact()
{
    QFETCH(QString, strCmd);
    QFETCH(QByteArray, baMethod);
    QFETCH(QByteArray, baTarget);
    QFETCH(QByteArray, baBody);
    QFETCH(QByteArray, baContentType);
    QFETCH(QByteArray, baJson);

    QVERIFY(sendAndWait(strCmd, sampleEthInfo(1)));
    QCOMPARE(m_pCamera->commands().count(strCmd), 1);
    const FakeHttpCamera::Request request = m_pCamera->requests().last();
    QCOMPARE(request.method, baMethod);
    QCOMPARE(request.target, baTarget);
    QCOMPARE(request.body, baBody);
    QCOMPARE(request.headers.value("content-type"), baContentType);
    QCOMPARE(request.headers.contains("content-type"), !baContentType.isEmpty());
    QCOMPARE(request.headers.value("host"), m_pCamera->hostPort().toLatin1());
    if (baMethod == "POST")
        QCOMPARE(request.headers.value("content-length"), QByteArray::number(baBody.size()));
    QCOMPARE(request.cmdJson, baJson);
    QCOMPARE(request.command, strCmd);
}

void TestDeviceCommands::setEnvDocument_data()
{
    QTest::addColumn<EthInfo_S>("stEthInfo");
    QTest::addColumn<int>("nValid");

    QTest::newRow("DHCP not reported") << sampleEthInfo(-1) << 5;
    QTest::newRow("DHCP off") << sampleEthInfo(0) << 5;
    QTest::newRow("DHCP on") << sampleEthInfo(1) << 7;
    QTest::newRow("DHCP above one") << sampleEthInfo(2) << 7;
    EthInfo_S stNonAscii = sampleEthInfo(0);
    stNonAscii.strDns2 = QString::fromUtf8("résolveur-名前");
    QTest::newRow("non-ASCII text") << stNonAscii << 5;
}

// The camera decodes the query back to the same document.
void TestDeviceCommands::setEnvDocument()
{
    QFETCH(EthInfo_S, stEthInfo);
    QFETCH(int, nValid);

    QVERIFY(sendAndWait(QStringLiteral("SetEnv"), stEthInfo));
    QCOMPARE(m_pCamera->commands(), (QStringList{"GetEnv", "SetEnv"}));
    const FakeHttpCamera::Request request = m_pCamera->requests().last();
    QJsonParseError parseError;
    const QJsonObject root = QJsonDocument::fromJson(request.cmdJson, &parseError).object();
    QCOMPARE(parseError.error, QJsonParseError::NoError);
    QCOMPARE(root.keys(), QStringList{"SetEnv"});
    const QJsonObject network = root.value("SetEnv").toObject().value("NetWork").toObject();
    QCOMPARE(network.keys(), (QStringList{"stDns", "stEth"}));
    const QJsonObject dns = network.value("stDns").toObject();
    QCOMPARE(dns.value("szDns1").toString(), stEthInfo.strDns1);
    QCOMPARE(dns.value("szDns2").toString(), stEthInfo.strDns2);
    const QJsonArray listEth = network.value("stEth").toArray();
    QCOMPARE(listEth.size(), 1);
    const QJsonObject eth = listEth.first().toObject();
    QCOMPARE(eth.keys(), (QStringList{"bDefault", "byValid", "szGateway", "szIPAddr", "szMacAddr", "szSubMask"}));
    QCOMPARE(eth.value("bDefault").toInt(-1), 1);
    QCOMPARE(eth.value("byValid").toInt(-1), nValid);
    QCOMPARE(eth.value("szGateway").toString(), stEthInfo.strGateway);
    QCOMPARE(eth.value("szIPAddr").toString(), stEthInfo.strIPAddr);
    QCOMPARE(eth.value("szMacAddr").toString(), stEthInfo.strMacAddr);
    QCOMPARE(eth.value("szSubMask").toString(), stEthInfo.strSubMask);
}

void TestDeviceCommands::repliesReachParsers_data()
{
    QTest::addColumn<QString>("strCmd");
    QTest::addColumn<QByteArray>("baReply");
    QTest::addColumn<QStringList>("listExpected");
    QTest::addColumn<QString>("strLog");

    QTest::newRow("GetEnv") << QStringLiteral("GetEnv") << getEnvBody(kFullEth, kFullDns)
                            << QStringList{"eth:127.0.0.1:192.168.1.64:1", kFinished} << QString();
    QTest::newRow("SetEnv") << QStringLiteral("SetEnv") << QByteArray(R"({"nRetVal":0})")
                            << QStringList{"status:127.0.0.1:0", kFinished} << QString();
    QTest::newRow("QueryVersion") << QStringLiteral("QueryVersion")
                                  << QByteArray(R"({"stValue":{"dwCamVersion":131073,"dwArmVersion":66048,"dwAFVersion":65536}})")
                                  << QStringList{"fw:127.0.0.1:V2.0.1:V1.2.0:V1.0.0", kFinished} << QString();
    QTest::newRow("Reboot") << QStringLiteral("Reboot") << QByteArray(R"({"nRetVal":0})") << QStringList{kFinished}
                            << QStringLiteral("dealDevReboot[127.0.0.1]: 0");
    QTest::newRow("GetEnv malformed") << QStringLiteral("GetEnv") << QByteArray(R"({"stValue":)")
                                      << QStringList{kFinished} << QString();
    QTest::newRow("SetEnv empty body") << QStringLiteral("SetEnv") << QByteArray() << QStringList{kFinished}
                                       << QString();
}

// Over the wire: the address in every signal is the host the command was sent to.
void TestDeviceCommands::repliesReachParsers()
{
    QFETCH(QString, strCmd);
    QFETCH(QByteArray, baReply);
    QFETCH(QStringList, listExpected);
    QFETCH(QString, strLog);
    m_pCamera->setReply(strCmd, baReply);
    if (!strLog.isEmpty())
        QTest::ignoreMessage(QtDebugMsg, qPrintable(strLog));

    QVERIFY(sendAndWait(strCmd, sampleEthInfo(0)));
    QCOMPARE(m_pRecorder->m_listEvents, listExpected);
}

void TestDeviceCommands::dispatchByKindAndFlag_data()
{
    QTest::addColumn<int>("nKind");
    QTest::addColumn<int>("nFlag");
    QTest::addColumn<QString>("strExpected");

    QTest::newRow("0,0 GetEnv") << 0 << 0 << QStringLiteral("eth:10.0.0.7:1.2.3.4:1");
    QTest::newRow("0,1 SetEnv") << 0 << 1 << QStringLiteral("status:10.0.0.7:3");
    QTest::newRow("0,-4 SetEnv") << 0 << -4 << QStringLiteral("status:10.0.0.7:3");
    QTest::newRow("1,0 QueryVersion") << 1 << 0 << QStringLiteral("fw:10.0.0.7:V0.0.5:V0.0.0:V0.0.0");
    QTest::newRow("1,1 nothing") << 1 << 1 << QString();
    QTest::newRow("2,1 Reboot logs only") << 2 << 1 << QString();
    QTest::newRow("2,0 nothing") << 2 << 0 << QString();
    QTest::newRow("3,0 nothing") << 3 << 0 << QString();
    QTest::newRow("-1,0 nothing") << -1 << 0 << QString();
}

void TestDeviceCommands::dispatchByKindAndFlag()
{
    QFETCH(int, nKind);
    QFETCH(int, nFlag);
    QFETCH(QString, strExpected);
    const QByteArray baBody = R"({"nRetVal":3,"stValue":{"dwCamVersion":5,"stEth":[{"szIPAddr":"1.2.3.4","byValid":2}]}})";
    if (nKind == 2 && nFlag == 1)
        QTest::ignoreMessage(QtDebugMsg, "dealDevReboot[10.0.0.7]: 3");

    m_pModel->dispatchReply(baBody, nKind, nFlag, kDeviceIp);
    QCOMPARE(m_pRecorder->m_listEvents, strExpected.isEmpty() ? QStringList() : QStringList{strExpected});
}

void TestDeviceCommands::getEnvReply_data()
{
    QTest::addColumn<QByteArray>("baBody");
    QTest::addColumn<bool>("bEmitted");
    QTest::addColumn<EthInfo_S>("stExpected");

    const QStringList listAddressOnly{"1.2.3.4"};
    QTest::newRow("full settings") << getEnvBody(kFullEth, kFullDns) << true << ethInfo(kFullTexts, 1);
    const QList<QPair<QByteArray, int>> listValid = {{"7", 1}, {"2", 1}, {"6", 1}, {"5", 0}, {"1", 0}, {"4", 0},
                                                     {"0", 0}, {"\"7\"", 0}, {"7.5", 0}, {"true", 0}, {"3e9", 0}};
    for (const auto &valid : listValid)
        QTest::addRow("byValid %s", valid.first.constData()) << validBody(valid.first) << true
                                                              << ethInfo(listAddressOnly, valid.second);
    QTest::newRow("byValid missing") << getEnvBody(R"([{"szIPAddr":"1.2.3.4"}])") << true << ethInfo(listAddressOnly, 0);
    QTest::newRow("two elements, first read")
        << getEnvBody(R"([{"szIPAddr":"1.2.3.4","byValid":5},{"szIPAddr":"5.6.7.8","byValid":7}])") << true
        << ethInfo(listAddressOnly, 0);
    QTest::newRow("no stDns") << getEnvBody(kFullEth) << true
                              << ethInfo(kFullTexts.mid(0, 4) + QStringList{QString(), QString()}, 1);
    QTest::newRow("stDns inside the element is not read")
        << getEnvBody(R"([{"szIPAddr":"1.2.3.4","stDns":{"szDns1":"9.9.9.9"}}])") << true << ethInfo(listAddressOnly, 0);
    QTest::newRow("texts of the wrong type")
        << getEnvBody(R"([{"szIPAddr":192,"szSubMask":null,"szGateway":["x"],"szMacAddr":{}}])", R"({"szDns1":8})")
        << true << EthInfo_S{QString(), QString(), QString(), QString(), 0, QString(), QString()};
    QTest::newRow("element not an object") << getEnvBody("[5]") << true
                                           << EthInfo_S{QString(), QString(), QString(), QString(), 0, QString(), QString()};
    QTest::newRow("stEth empty") << getEnvBody("[]", kFullDns) << false << EthInfo_S();
    QTest::newRow("stEth an object") << getEnvBody(R"({"szIPAddr":"1.2.3.4"})") << false << EthInfo_S();
    QTest::newRow("stEth missing") << QByteArray(R"({"stValue":{"stDns":{}}})") << false << EthInfo_S();
    QTest::newRow("stValue missing") << QByteArray(R"({"stEth":[{"szIPAddr":"1.2.3.4"}]})") << false << EthInfo_S();
    QTest::newRow("root an array") << QByteArray(R"([{"stValue":{"stEth":[{}]}}])") << false << EthInfo_S();
    QTest::newRow("malformed") << getEnvBody(kFullEth).chopped(1) << false << EthInfo_S();
    QTest::newRow("empty body") << QByteArray() << false << EthInfo_S();
    QTest::newRow("trailing garbage") << getEnvBody(kFullEth) + "x" << false << EthInfo_S();
}

void TestDeviceCommands::getEnvReply()
{
    QFETCH(QByteArray, baBody);
    QFETCH(bool, bEmitted);
    QFETCH(EthInfo_S, stExpected);

    m_pModel->dispatchReply(baBody, 0, 0, kDeviceIp);
    QCOMPARE(m_pRecorder->m_listEthInfo.size(), int(bEmitted));
    QCOMPARE(m_pRecorder->m_listEvents.size(), int(bEmitted));
    if (!bEmitted)
        return;
    QVERIFY(m_pRecorder->m_listEvents.first().startsWith(QStringLiteral("eth:10.0.0.7:")));
    const EthInfo_S stActual = m_pRecorder->m_listEthInfo.first();
    QCOMPARE(stActual.strIPAddr, stExpected.strIPAddr);
    QCOMPARE(stActual.strSubMask, stExpected.strSubMask);
    QCOMPARE(stActual.strGateway, stExpected.strGateway);
    QCOMPARE(stActual.strMacAddr, stExpected.strMacAddr);
    QCOMPARE(stActual.nDhcp, stExpected.nDhcp);
    QCOMPARE(stActual.strDns1, stExpected.strDns1);
    QCOMPARE(stActual.strDns2, stExpected.strDns2);
}

void TestDeviceCommands::setEnvReply_data()
{
    QTest::addColumn<QByteArray>("baBody");
    QTest::addColumn<QStringList>("listExpected");

    const auto status = [](int nStatus) { return QStringList{QStringLiteral("status:10.0.0.7:%1").arg(nStatus)}; };
    QTest::newRow("success") << QByteArray(R"({"nRetVal":0})") << status(0);
    QTest::newRow("failed") << QByteArray(R"({"nRetVal":1})") << status(1);
    QTest::newRow("only nRetVal 2") << QByteArray(R"({"nRetVal":2})") << status(2);
    QTest::newRow("code outside the table") << QByteArray(R"({"nRetVal":42})") << status(42);
    QTest::newRow("negative code") << QByteArray(R"({"nRetVal":-7})") << status(-7);
    QTest::newRow("missing") << QByteArray(R"({"nRet":0})") << status(-1);
    QTest::newRow("empty object") << QByteArray("{}") << status(-1);
    QTest::newRow("string") << QByteArray(R"({"nRetVal":"0"})") << status(-1);
    QTest::newRow("fraction") << QByteArray(R"({"nRetVal":0.5})") << status(-1);
    QTest::newRow("beyond 32 bits") << QByteArray(R"({"nRetVal":4294967296})") << status(-1);
    QTest::newRow("whole number as float") << QByteArray(R"({"nRetVal":1.0})") << status(1);
    QTest::newRow("root an array") << QByteArray(R"([{"nRetVal":0}])") << status(-1);
    QTest::newRow("malformed") << QByteArray(R"({"nRetVal":)") << QStringList();
    QTest::newRow("empty body") << QByteArray() << QStringList();
}

void TestDeviceCommands::setEnvReply()
{
    QFETCH(QByteArray, baBody);
    QFETCH(QStringList, listExpected);

    m_pModel->dispatchReply(baBody, 0, 1, kDeviceIp);
    QCOMPARE(m_pRecorder->m_listEvents, listExpected);
}

void TestDeviceCommands::queryVersionReply_data()
{
    QTest::addColumn<QByteArray>("baBody");
    QTest::addColumn<QStringList>("listExpected");

    const auto versions = [](const char *szVersions) { return QStringList{QStringLiteral("fw:10.0.0.7:") + szVersions}; };
    QTest::newRow("three versions")
        << QByteArray(R"({"stValue":{"dwCamVersion":66051,"dwArmVersion":197121,"dwAFVersion":16777215}})")
        << versions("V1.2.3:V3.2.1:V255.255.255");
    QTest::newRow("highest byte ignored") << QByteArray(R"({"stValue":{"dwCamVersion":168496141}})")
                                          << versions("V11.12.13:V0.0.0:V0.0.0");
    QTest::newRow("zero") << QByteArray(R"({"stValue":{"dwCamVersion":0,"dwArmVersion":0,"dwAFVersion":0}})")
                          << versions("V0.0.0:V0.0.0:V0.0.0");
    QTest::newRow("fraction counts as 0") << QByteArray(R"({"stValue":{"dwCamVersion":1.5,"dwArmVersion":256}})")
                                          << versions("V0.0.0:V0.1.0:V0.0.0");
    QTest::newRow("string counts as 0") << QByteArray(R"({"stValue":{"dwCamVersion":"66051","dwAFVersion":1}})")
                                        << versions("V0.0.0:V0.0.0:V0.0.1");
    QTest::newRow("beyond 32 bits counts as 0") << QByteArray(R"({"stValue":{"dwCamVersion":4294967295}})")
                                                << versions("V0.0.0:V0.0.0:V0.0.0");
    QTest::newRow("other members only") << QByteArray(R"({"stValue":{"szModel":"X"}})")
                                        << versions("V0.0.0:V0.0.0:V0.0.0");
    QTest::newRow("stValue empty") << QByteArray(R"({"stValue":{}})") << QStringList();
    QTest::newRow("stValue an array") << QByteArray(R"({"stValue":[1]})") << QStringList();
    QTest::newRow("stValue missing") << QByteArray(R"({"dwCamVersion":66051})") << QStringList();
    QTest::newRow("root an array") << QByteArray(R"([{"stValue":{"dwCamVersion":1}}])") << QStringList();
    QTest::newRow("malformed") << QByteArray(R"({"stValue":{"dwCamVersion":1})") << QStringList();
}

void TestDeviceCommands::queryVersionReply()
{
    QFETCH(QByteArray, baBody);
    QFETCH(QStringList, listExpected);

    m_pModel->dispatchReply(baBody, 1, 0, kDeviceIp);
    QCOMPARE(m_pRecorder->m_listEvents, listExpected);
}

void TestDeviceCommands::rebootReply_data()
{
    QTest::addColumn<QByteArray>("baBody");
    QTest::addColumn<QStringList>("listLog");

    QTest::newRow("success") << QByteArray(R"({"nRetVal":0})") << QStringList{"dealDevReboot[10.0.0.7]: 0"};
    QTest::newRow("failure code") << QByteArray(R"({"nRetVal":1})") << QStringList{"dealDevReboot[10.0.0.7]: 1"};
    QTest::newRow("missing") << QByteArray("{}") << QStringList{"dealDevReboot[10.0.0.7]: -1"};
    QTest::newRow("string") << QByteArray(R"({"nRetVal":"ok"})") << QStringList{"dealDevReboot[10.0.0.7]: -1"};
    QTest::newRow("root an array") << QByteArray("[]") << QStringList{"dealDevReboot[10.0.0.7]: -1"};
    QTest::newRow("malformed") << QByteArray("{") << QStringList();
}

void TestDeviceCommands::rebootReply()
{
    QFETCH(QByteArray, baBody);
    QFETCH(QStringList, listLog);

    {
        const LogCapture capture;
        m_pModel->dispatchReply(baBody, 2, 1, kDeviceIp);
    }
    QCOMPARE(LogCapture::messages(), listLog);
    QVERIFY(m_pRecorder->m_listEvents.isEmpty());
}

QTEST_GUILESS_MAIN(TestDeviceCommands)
#include "tst_devicecommands.moc"
