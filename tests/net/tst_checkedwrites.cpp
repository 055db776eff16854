#include <QtTest>

#include <QMetaEnum>
#include <QNetworkRequest>
#include <QUrlQuery>

#include <utility>

#include "app/mainmodel.h"
#include "core/commonsignal.h"
#include "core/nametables.h"
#include "net/chttp.h"
#include "net/commandurl.h"
#include "net/ethsettingsjson.h"
#include "net/modifymodel.h"
#include "net/requestoutcome.h"
#include "support/fakehttpcamera.h"
#include "support/hubrecorder.h"

namespace {

const QString kMac = QStringLiteral("00:11:22:33:44:55");
const QString kOtherMac = QStringLiteral("66:77:88:99:AA:BB");
const QByteArray kSuccess = R"({"nRetVal":0})";
const QString kRebootJson = QStringLiteral(R"({"SysCtrl":{"Reboot":{}}})");
const QString kQueryVersionJson = QStringLiteral(R"({"QueryState":{"QueryVersion":{}}})");
const QString kFormType = QStringLiteral("application/x-www-form-urlencoded");
const QString kContentTypeWarning =
    QStringLiteral("content-type missing in HTTP POST, defaulting to application/x-www-form-urlencoded. "
                   "Use QNetworkRequest::setHeader() to fix this problem.");
constexpr int kWaitMs = 10000;

// How the camera behaves towards the write.
enum class Camera { Normal, OtherMac, ClosesAfterReply, DropsSetEnv, Absent };

EthInfo_S written()
{
    EthInfo_S stEthInfo;
    stEthInfo.strIPAddr = QStringLiteral("192.168.1.100");
    stEthInfo.strSubMask = QStringLiteral("255.255.255.0");
    stEthInfo.strGateway = QStringLiteral("192.168.1.1");
    stEthInfo.strMacAddr = kMac.toLower();
    stEthInfo.nDhcp = 0;
    return stEthInfo;
}

QString outcomeName(int nOutcome)
{
    return QString::fromLatin1(QMetaEnum::fromType<RequestOutcome::Outcome>().valueToKey(nOutcome));
}

} // namespace

Q_DECLARE_METATYPE(Camera)

class TestCheckedWrites : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void sameBytesAsQt();
    void writeThenReboot_data();
    void writeThenReboot();

private:
    MainModel *m_pMainModel = nullptr;
    FakeHttpCamera *m_pCamera = nullptr;
    HubRecorder *m_pRecorder = nullptr;
    QStringList m_listOutcomes;
    QStringList m_listOtherMacs;
};

void TestCheckedWrites::init()
{
    m_pMainModel = new MainModel;
    CHttp::getInstance()->setReceiver(m_pMainModel);
    m_pCamera = new FakeHttpCamera;
    QVERIFY(m_pCamera->listen(QHostAddress::LocalHost));
    m_pCamera->setGetEnvMac(kMac);
    for (const char *szCommand : {"SetEnv", "Reboot", "QueryVersion"})
        m_pCamera->setReply(QLatin1String(szCommand), kSuccess);
    m_pRecorder = new HubRecorder;
    m_listOutcomes.clear();
    m_listOtherMacs.clear();
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    connect(pOutcome, &RequestOutcome::sigRequestFinished, this, [this](quint64, QString, int nCmd, int nOutcome) {
        m_listOutcomes.append(getCmdName(nCmd) + QLatin1Char(':') + outcomeName(nOutcome));
    });
    connect(pOutcome, &RequestOutcome::sigOtherCamera, this,
            [this](quint64, QString, QString strMac) { m_listOtherMacs.append(strMac); });
}

void TestCheckedWrites::cleanup()
{
    RequestOutcome::getInstance()->disconnect(this);
    CommonSignal::getInstance()->disconnect(this);
    delete m_pRecorder;
    CHttp::destroyInstance();
    delete m_pCamera;
    delete m_pMainModel;
}

// Each command sent through Qt and on a held connection: the camera receives the same
// bytes. "QueryVersion" never needs a held connection, but shows that its own content
// type keeps its place.
void TestCheckedWrites::sameBytesAsQt()
{
    const QString strIp = m_pCamera->hostPort();
    const QUrl setEnvUrl = CommandUrl::withCommand(strIp, EthSettingsJson::setEnvText(written()));
    const QUrl rebootUrl = CommandUrl::withCommand(strIp, kRebootJson);
    QUrlQuery versionBody;
    versionBody.addQueryItem(CommandUrl::commandField(), kQueryVersionJson);
    QNetworkRequest versionRequest(CommandUrl::plain(strIp));
    versionRequest.setHeader(QNetworkRequest::ContentTypeHeader, kFormType);
    CHttp *pHttp = CHttp::getInstance();
    QTest::ignoreMessage(QtWarningMsg, qPrintable(kContentTypeWarning));
    QTest::ignoreMessage(QtWarningMsg, qPrintable(kContentTypeWarning));

    pHttp->httpGet(CommandUrl::getEnv(strIp), QStringLiteral("GetEnv"));
    pHttp->httpPost(QNetworkRequest(setEnvUrl), QUrlQuery(), QStringLiteral("SetEnv"));
    pHttp->httpPost(QNetworkRequest(rebootUrl), QUrlQuery(), QStringLiteral("Reboot"));
    pHttp->httpPost(versionRequest, versionBody, QStringLiteral("QueryVersion"));
    QTRY_COMPARE_WITH_TIMEOUT(pHttp->pendingCount(), 0, kWaitMs);
    pHttp->httpPostChecked(QNetworkRequest(setEnvUrl), QUrlQuery(), QStringLiteral("SetEnv"), kMac);
    pHttp->httpPostChecked(QNetworkRequest(rebootUrl), QUrlQuery(), QStringLiteral("Reboot"), QString());
    pHttp->httpPostChecked(versionRequest, versionBody, QStringLiteral("QueryVersion"), kMac);
    QTRY_COMPARE_WITH_TIMEOUT(pHttp->pendingCount(), 0, kWaitMs);

    const QList<FakeHttpCamera::Request> listRequests = m_pCamera->requests();
    QCOMPARE(m_pCamera->commands(), (QStringList{"GetEnv", "SetEnv", "Reboot", "QueryVersion", "GetEnv", "SetEnv",
                                                 "Reboot", "GetEnv", "QueryVersion"}));
    for (int nHeld = 4; nHeld < listRequests.size(); ++nHeld) {
        const int nByQt = m_pCamera->commands().indexOf(listRequests.at(nHeld).command);
        QCOMPARE(listRequests.at(nHeld).raw, listRequests.at(nByQt).raw);
    }
}

void TestCheckedWrites::writeThenReboot_data()
{
    QTest::addColumn<Camera>("camera");
    QTest::addColumn<bool>("bWriteFirst");
    QTest::addColumn<QStringList>("listReceived");
    QTest::addColumn<int>("nConnections");
    QTest::addColumn<QStringList>("listOutcomes");
    QTest::addColumn<QStringList>("listEvents");

    const QStringList listWritten{QStringLiteral("status:127.0.0.1:0"), QStringLiteral("finished")};
    const QStringList listFailed{QStringLiteral("tips:1"), QStringLiteral("finished")};
    const QStringList listBoth{"SetEnv:Answered", "Reboot:Answered"};
    QTest::newRow("check, write and reboot on one connection")
        << Camera::Normal << true << QStringList{"GetEnv", "SetEnv", "Reboot"} << 1 << listBoth << listWritten;
    QTest::newRow("another camera: nothing written")
        << Camera::OtherMac << true << QStringList{"GetEnv"} << 1 << QStringList{"SetEnv:OtherCamera"} << listFailed;
    QTest::newRow("closes after every answer: each command once, each after a check")
        << Camera::ClosesAfterReply << true << QStringList{"GetEnv", "SetEnv", "GetEnv", "Reboot"} << 4 << listBoth
        << listWritten;
    QTest::newRow("dropped after the write: unknown, not sent again")
        << Camera::DropsSetEnv << true << QStringList{"GetEnv", "SetEnv"} << 1 << QStringList{"SetEnv:Unknown"}
        << QStringList{QStringLiteral("finished")};
    QTest::newRow("refused: not written") << Camera::Absent << true << QStringList() << 0
                                          << QStringList{"SetEnv:Refused"} << listFailed;
    QTest::newRow("reboot without a write: refused unsent")
        << Camera::Normal << false << QStringList() << 0 << QStringList{"Reboot:Failed"}
        << QStringList{QStringLiteral("finished")};
}

// The view's part is played here: a "Reboot" right after a write's status 0, from inside
// the delivery, as the device view orders it.
void TestCheckedWrites::writeThenReboot()
{
    QFETCH(Camera, camera);
    QFETCH(bool, bWriteFirst);
    QFETCH(QStringList, listReceived);
    QFETCH(int, nConnections);
    QFETCH(QStringList, listOutcomes);
    QFETCH(QStringList, listEvents);
    const QString strIp = m_pCamera->hostPort();
    ModifyModel *pModel = m_pMainModel->getModifyModel();
    connect(CommonSignal::getInstance(), &CommonSignal::sigSetEthStatus, this, [pModel, strIp](QString, int nStatus) {
        if (nStatus == 0)
            pModel->slotDevReboot(strIp);
    });
    m_pCamera->setCloseAfterReply(camera == Camera::ClosesAfterReply);
    if (camera == Camera::OtherMac)
        m_pCamera->setGetEnvMac(kOtherMac);
    if (camera == Camera::DropsSetEnv)
        m_pCamera->setDropInsteadOfAnswer(QStringLiteral("SetEnv"));
    if (camera == Camera::Absent)
        delete std::exchange(m_pCamera, new FakeHttpCamera);

    if (bWriteFirst)
        pModel->slotSetEthInfo(strIp, written());
    else
        pModel->slotDevReboot(strIp);
    QCOMPARE(CHttp::getInstance()->pendingCount(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents, listEvents, kWaitMs);
    QCOMPARE(m_listOutcomes, listOutcomes);
    QCOMPARE(m_pCamera->commands(), listReceived);
    QCOMPARE(m_pCamera->connectionCount(), nConnections);
    QCOMPARE(m_listOtherMacs, camera == Camera::OtherMac ? QStringList{kOtherMac} : QStringList());
}

QTEST_GUILESS_MAIN(TestCheckedWrites)
#include "tst_checkedwrites.moc"
