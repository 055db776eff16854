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
#include "support/fakehttpcamera.h"
#include "support/hubrecorder.h"

namespace {

const QString kMac = QStringLiteral("00:11:22:33:44:55");
const QString kOtherMac = QStringLiteral("66:77:88:99:AA:BB");
// Its MAC in other letters than the camera's: compared case-insensitively.
const EthInfo_S kWritten{QStringLiteral("192.168.1.100"), QStringLiteral("255.255.255.0"), {}, kMac.toLower(), 0, {}, {}};
const QRegularExpression kContentTypeWarning(QStringLiteral("^content-type missing in HTTP POST"));
constexpr int kTransferTimeoutMs = 500;
constexpr int kWaitMs = 10000;

// How the camera meets the write; NoWrite sends a "Reboot" alone.
enum class Camera {
    Normal, OtherMac, ClosesAfterReply, DropsSetEnv, SilentAfterSetEnv, HugeCheck, HttpError, Absent, NoWrite
};

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
    // "Cmd:Outcome" of every request ended, "status:N" of every status read, "other:MAC".
    QStringList m_listReports;
};

void TestCheckedWrites::init()
{
    m_pMainModel = new MainModel;
    CHttp::getInstance()->setReceiver(m_pMainModel);
    CHttp::getInstance()->setTransferTimeout(kTransferTimeoutMs);
    m_pCamera = new FakeHttpCamera;
    QVERIFY(m_pCamera->listen(QHostAddress::LocalHost));
    m_pCamera->setGetEnvMac(kMac);
    m_pCamera->setReply(QStringLiteral("SetEnv"), R"({"nRetVal":0})");
    m_pCamera->setReply(QStringLiteral("Reboot"), R"({"nRetVal":3})");
    m_pRecorder = new HubRecorder;
    m_listReports.clear();
    RequestOutcome *pOutcome = RequestOutcome::getInstance();
    connect(pOutcome, &RequestOutcome::sigRequestFinished, this, [this](quint64, QString, int nCmd, int nOutcome) {
        m_listReports.append(getCmdName(nCmd) + ':' + QMetaEnum::fromType<RequestOutcome::Outcome>().valueToKey(nOutcome));
    });
    connect(pOutcome, &RequestOutcome::sigReplyStatus, this,
            [this](quint64, int nStatus) { m_listReports << "status:" + QString::number(nStatus); });
    connect(pOutcome, &RequestOutcome::sigOtherCamera, this,
            [this](quint64, QString, QString strMac) { m_listReports << "other:" + strMac; });
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

// Each command sent through Qt, then on a held connection: the camera receives the same bytes
// (Qt warns of the POSTs without a content type). "QueryVersion" brings a content type of its own.
void TestCheckedWrites::sameBytesAsQt()
{
    const QString strIp = m_pCamera->hostPort();
    const QUrl setEnvUrl = CommandUrl::withCommand(strIp, EthSettingsJson::setEnvText(kWritten));
    const QUrl rebootUrl = CommandUrl::withCommand(strIp, QStringLiteral(R"({"SysCtrl":{"Reboot":{}}})"));
    QUrlQuery versionBody;
    versionBody.addQueryItem(CommandUrl::commandField(), QStringLiteral(R"({"QueryState":{"QueryVersion":{}}})"));
    QNetworkRequest versionRequest(CommandUrl::plain(strIp));
    versionRequest.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/x-www-form-urlencoded"));
    CHttp *pHttp = CHttp::getInstance();
    QTest::ignoreMessage(QtWarningMsg, kContentTypeWarning);
    QTest::ignoreMessage(QtWarningMsg, kContentTypeWarning);

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
    for (int nHeld = 4; nHeld < listRequests.size(); ++nHeld)
        QCOMPARE(listRequests.at(nHeld).raw, listRequests.at(m_pCamera->commands().indexOf(listRequests.at(nHeld).command)).raw);
}

void TestCheckedWrites::writeThenReboot_data()
{
    QTest::addColumn<Camera>("camera");
    QTest::addColumn<QStringList>("listReceived");
    QTest::addColumn<int>("nConnections");
    QTest::addColumn<QStringList>("listReports");
    QTest::addColumn<QStringList>("listEvents");

    const QStringList listWritten{"status:127.0.0.1:0", "finished"};
    const QStringList listFailed{"tips:1", "finished"};
    const QStringList listQuiet{"finished"};
    const QStringList listUnknown{"SetEnv:Unknown"};
    const QStringList listBoth{"status:0", "SetEnv:Answered", "status:3", "Reboot:Answered"};
    const QStringList listChecked{"GetEnv", "SetEnv"};
    QTest::newRow("check, write, reboot on one connection") << Camera::Normal << listChecked + QStringList{"Reboot"} << 1
                                                            << listBoth << listWritten;
    QTest::newRow("another camera: nothing written") << Camera::OtherMac << QStringList{"GetEnv"} << 1
                                                     << QStringList{"other:" + kOtherMac, "SetEnv:OtherCamera"} << listFailed;
    QTest::newRow("closes after every answer: each command once, each after a check")
        << Camera::ClosesAfterReply << QStringList{"GetEnv", "SetEnv", "GetEnv", "Reboot"} << 4 << listBoth << listWritten;
    QTest::newRow("dropped after the write: unknown") << Camera::DropsSetEnv << listChecked << 1 << listUnknown << listQuiet;
    QTest::newRow("the write never answered: unknown") << Camera::SilentAfterSetEnv << listChecked << 1 << listUnknown
                                                       << listQuiet;
    QTest::newRow("check too large: not written") << Camera::HugeCheck << QStringList{"GetEnv"} << 1
                                                  << QStringList{"SetEnv:TooLarge"} << listFailed;
    QTest::newRow("HTTP error: not written") << Camera::HttpError << listChecked << 1 << QStringList{"SetEnv:HttpError"}
                                             << listFailed;
    QTest::newRow("refused: not written") << Camera::Absent << QStringList() << 0 << QStringList{"SetEnv:Refused"} << listFailed;
    QTest::newRow("reboot without a write: refused unsent") << Camera::NoWrite << QStringList() << 0
                                                            << QStringList{"Reboot:Failed"} << listQuiet;
}

// The view's part is played here: a "Reboot" right after a write's status 0, from inside
// the delivery, as the device view orders it.
void TestCheckedWrites::writeThenReboot()
{
    QFETCH(Camera, camera);
    QFETCH(QStringList, listReceived);
    QFETCH(int, nConnections);
    QFETCH(QStringList, listReports);
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
    if (camera == Camera::SilentAfterSetEnv)
        m_pCamera->setReplyDelay(QStringLiteral("SetEnv"), kWaitMs);
    if (camera == Camera::HugeCheck)
        m_pCamera->setReply(QStringLiteral("GetEnv"), QByteArray(int(CHttp::HTTP_MAX_REPLY_BYTES) + 1, ' '));
    if (camera == Camera::HttpError)
        m_pCamera->setReply(QStringLiteral("SetEnv"), R"({"nRetVal":0})", 500);
    if (camera == Camera::Absent)
        delete std::exchange(m_pCamera, new FakeHttpCamera);

    if (camera == Camera::NoWrite)
        pModel->slotDevReboot(strIp);
    else
        pModel->slotSetEthInfo(strIp, kWritten);
    QCOMPARE(CHttp::getInstance()->pendingCount(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(m_pRecorder->m_listEvents, listEvents, kWaitMs);
    QCOMPARE(m_listReports, listReports);
    QCOMPARE(m_pCamera->commands(), listReceived);
    QCOMPARE(m_pCamera->connectionCount(), nConnections);
}

QTEST_GUILESS_MAIN(TestCheckedWrites)
#include "tst_checkedwrites.moc"
