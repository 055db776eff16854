// The whole search, fill, edit, save and reboot cycle through the real Control: the
// multicast search answered by a responder on loopback, HTTP fake cameras on port 80 of
// 127.0.0.x, and a scripted device SDK. The test drives the real widgets.

#include <QtTest>

#include <QHeaderView>
#include <QLabel>
#include <QScopedPointer>
#include <QTableWidget>
#include <QToolButton>

#include <cstring>
#include <memory>
#include <vector>

#include "app/control.h"
#include "core/commonsignal.h"
#include "net/devicesdk.h"
#include "support/fakehttpcamera.h"
#include "support/devicetabledriver.h"
#include "support/fakesearchresponder.h"
#include "support/teststep.h"
#include "ui/mainwindow.h"
#include "net/chttp.h"
#include "ui/modifymodule.h"
#include "validate/contactpolicy.h"
#include "widgets/ccombobox.h"
#include "widgets/ctextbutton.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"
#include "widgets/toggleswitch.h"

namespace {

constexpr quint16 kHttpPort = 80;
constexpr int kSearchTimeoutMs = 15000;
constexpr int kRequestsSettleMs = 3000;

// One scripted SDK search: the reports it hands to the callback. Written by the test
// before the search thread starts, read only by that thread.
QList<QByteArray> s_listSdkReports;

int scriptedSearch(int, int, DeviceSdk::SearchCallback pCallback, int)
{
    for (const QByteArray &baReport : qAsConst(s_listSdkReports))
        pCallback(0, baReport.constData());
    return s_listSdkReports.size();
}

// Versions V2.6.5 (camera), V3.1.4 (AF) and V1.5.9 (ARM) in the words the caller reads.
int scriptedQuery(const char *, int, const char *, const char *, int, const char *, int nSize, void *pResult)
{
    const quint32 aWords[] = {0x020605, 0x030104, 0x010509};
    const int aOffsets[] = {4, 12, 20};
    for (int nIndex = 0; nIndex < 3 && aOffsets[nIndex] + 4 <= nSize; ++nIndex)
        std::memcpy(static_cast<char *>(pResult) + aOffsets[nIndex], &aWords[nIndex], sizeof(quint32));
    return 0;
}

QByteArray sdkReport(const QString &strIp, const QString &strMac)
{
    const QJsonObject netInfo{{"szIP", strIp},         {"szSubMask", "255.255.0.0"}, {"szGateway", "10.0.200.1"},
                              {"szMacAddr", strMac},   {"szDns1", "10.0.0.53"},      {"szDns2", "10.0.0.54"},
                              {"wDataPort", 80}};
    return QJsonDocument(QJsonObject{{"SapSearch", QJsonObject{{"stNetInfo", netInfo}}}}).toJson(QJsonDocument::Compact);
}

QByteArray getEnvReply(const QString &strIp, const QString &strMac, int nValid)
{
    const QJsonObject eth{{"szIPAddr", strIp},
                          {"szSubMask", "255.255.255.0"},
                          {"szGateway", "10.0.0.1"},
                          {"szMacAddr", strMac},
                          {"byValid", nValid}};
    const QJsonObject dns{{"szDns1", "10.0.0.53"}, {"szDns2", "10.0.0.54"}};
    const QJsonObject value{{"stEth", QJsonArray{eth}}, {"stDns", dns}};
    return QJsonDocument(QJsonObject{{"stValue", value}}).toJson(QJsonDocument::Compact);
}

QByteArray retValReply(int nRetVal)
{
    return QJsonDocument(QJsonObject{{"nRetVal", nRetVal}}).toJson(QJsonDocument::Compact);
}

// Camera V1.2.0, ARM V1.0.3, AF V0.9.1.
const QByteArray kVersionReply = R"({"stValue":{"dwCamVersion":66048,"dwArmVersion":65539,"dwAFVersion":2305}})";

QStringList commandsOf(const FakeHttpCamera &camera)
{
    QStringList listCommand;
    const QList<FakeHttpCamera::Request> listRequest = camera.requests();
    for (const FakeHttpCamera::Request &request : listRequest)
        listCommand.append(request.command);
    return listCommand;
}

} // namespace

class TestModifyModuleCycle : public QObject, private DeviceTableDriver
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void searchFillsRowsFromCameras();
    void replyAddressesThatAreNotDottedQuadsAreNeverContacted();
    void saveSucceedsAndRebootsCamera();
    void refusedSaveShowsFailedWithoutReboot();
    void badMaskGivesFormErrorWithoutRequest();
    void cancelAfterEditRestoresRow();
    void sharedAddressIsCompletedFromSdk();
    void firmwareArrivesBeforeSettings();
    void silentCameraKeepsDisabledRow();
    void secondSearchRenumbersRows();
    void failedWriteEndsItsSave();
    void lateRepliesChangeNothingInNewSearch();
    void rowMarksAndStatusLineSayWhy();

private:
    FakeHttpCamera *addCamera(const QString &strIp, const QString &strMac, int nValid = 5);
    void answerSearch(const QStringList &listIp);
    void searchRows(int nRows);

    QScopedPointer<Control> m_pControl;
    ModifyModule *m_pView = nullptr;
    std::unique_ptr<FakeSearchResponder> m_pResponder;
    std::vector<std::unique_ptr<FakeHttpCamera>> m_listCamera;
};

void TestModifyModuleCycle::initTestCase()
{
    // The fake cameras listen on loopback, which the program never contacts on its own.
    ContactPolicy::setLoopbackAllowed(true);
    m_pControl.reset(new Control);
    m_pView = m_pControl->getMainWindow()->getModifyModule();
    QVERIFY(m_pView);
    // The question lies over the whole window.
    setView(m_pView, m_pControl->getMainWindow());
    QVERIFY(QTest::qWaitForWindowExposed(m_pControl->getMainWindow()));

    // Searches run on loopback only: the address list is replaced before any click.
    auto *pCombo = m_pView->findChild<CComboBox *>(QStringLiteral("localIpCombo"));
    pCombo->clear();
    pCombo->addItem(QStringLiteral("127.0.0.1"));
    DeviceSdk::setSearchFunction(scriptedSearch);
    DeviceSdk::setQueryFunction(scriptedQuery);
}

void TestModifyModuleCycle::cleanupTestCase()
{
    m_pControl.reset();
    DeviceSdk::reset();
}

void TestModifyModuleCycle::init()
{
    s_listSdkReports.clear();
    m_pResponder.reset(new FakeSearchResponder);
    if (!m_pResponder->start())
        QSKIP("cannot bind UDP port 54362 or join 234.200.200.1 on the loopback interface");
}

// A request still under way when its camera goes would be sent again by Qt to the next
// test's camera at the same address; the wait is bounded for cameras that never answer.
void TestModifyModuleCycle::cleanup()
{
    m_pResponder.reset();
    if (!QTest::qWaitFor([] { return CHttp::getInstance()->pendingCount() == 0; }, kRequestsSettleMs))
        qDebug() << "requests still under way as the cameras go:" << CHttp::getInstance()->pendingCount();
    m_listCamera.clear();
    hidePopups();
}

FakeHttpCamera *TestModifyModuleCycle::addCamera(const QString &strIp, const QString &strMac, int nValid)
{
    auto pCamera = std::make_unique<FakeHttpCamera>();
    if (!pCamera->listen(QHostAddress(strIp), kHttpPort))
        return nullptr;
    pCamera->setReply(QStringLiteral("GetEnv"), getEnvReply(strIp, strMac, nValid));
    pCamera->setReply(QStringLiteral("QueryVersion"), kVersionReply);
    pCamera->setReply(QStringLiteral("SetEnv"), retValReply(0));
    pCamera->setReply(QStringLiteral("Reboot"), retValReply(0));
    m_listCamera.push_back(std::move(pCamera));
    return m_listCamera.back().get();
}

#define ADD_CAMERA(var, ip, mac)                                                                   \
    FakeHttpCamera *var = addCamera(QStringLiteral(ip), QStringLiteral(mac));                      \
    if (!var)                                                                                      \
        QSKIP("cannot listen on port 80 of " ip " (the fake cameras need root)");

void TestModifyModuleCycle::answerSearch(const QStringList &listIp)
{
    m_pResponder->clearReplies();
    for (const QString &strIp : listIp)
        m_pResponder->addReply(FakeSearchResponder::replyDatagram(strIp, kHttpPort), 0);
}

// Clicks "Search" and waits for the listed rows and the end of the SDK search.
void TestModifyModuleCycle::searchRows(int nRows)
{
    STEP(search(kSearchTimeoutMs));
    QCOMPARE(table()->rowCount(), nRows);
}

void TestModifyModuleCycle::searchFillsRowsFromCameras()
{
    ADD_CAMERA(pFirst, "127.0.0.31", "00:11:22:33:44:31")
    ADD_CAMERA(pSecond, "127.0.0.32", "00:11:22:33:44:32")
    pSecond->setReply(QStringLiteral("GetEnv"), getEnvReply(QStringLiteral("127.0.0.32"),
                                                            QStringLiteral("00:11:22:33:44:32"), 7));
    answerSearch({QStringLiteral("127.0.0.31"), QStringLiteral("127.0.0.32")});
    STEP(searchRows(2));
    QVERIFY(!m_pResponder->requests().isEmpty());
    QCOMPARE(m_pResponder->requests().first().size(), 76);

    STEP(waitForFilled({0, 1}));
    QCOMPARE(cell(0, 0), QStringLiteral("1"));
    QCOMPARE(cell(0, 1), QStringLiteral("127.0.0.31"));
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
    QCOMPARE(cell(0, 3), QStringLiteral("10.0.0.1"));
    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:31"));
    QCOMPARE(cell(0, 6), QStringLiteral("V1.0.3,V1.2.0,V0.9.1"));
    QCOMPARE(cell(1, 5), QStringLiteral("00:11:22:33:44:32"));
    QVERIFY(rowSwitch(0) && !rowSwitch(0)->isChecked());
    QVERIFY(rowSwitch(1) && rowSwitch(1)->isChecked());
    QTRY_VERIFY(rowButton(kSaveButton, 1)->isEnabled());
    QCOMPARE(commandsOf(*pFirst).count(QStringLiteral("GetEnv")), 1);
    QCOMPARE(commandsOf(*pFirst).count(QStringLiteral("QueryVersion")), 1);
}

// The rejected texts all point at loopback, so even a broken check could not reach out.
void TestModifyModuleCycle::replyAddressesThatAreNotDottedQuadsAreNeverContacted()
{
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    ADD_CAMERA(pTarget, "127.0.0.41", "00:11:22:33:44:41")
    ADD_CAMERA(pNumeric, "127.0.0.1", "00:11:22:33:44:01")
    answerSearch({QStringLiteral("a@127.0.0.41"), QStringLiteral("127.0.0.31"), QStringLiteral("127.0.0.41:80/x?"),
                  QStringLiteral("2130706433")});
    STEP(searchRows(1));
    STEP(waitForFilled({0}));
    QCOMPARE(cell(0, 0), QStringLiteral("1"));
    QCOMPARE(cell(0, 1), QStringLiteral("127.0.0.31"));
    QCOMPARE(pTarget->connectionCount(), 0);
    QCOMPARE(pNumeric->connectionCount(), 0);
    QVERIFY(pCamera->connectionCount() > 0);
}

void TestModifyModuleCycle::saveSucceedsAndRebootsCamera()
{
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    answerSearch({QStringLiteral("127.0.0.31")});
    STEP(searchRows(1));
    STEP(waitForFilled({0}));

    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    QVERIFY(rowSwitch(0));
    QTest::mouseClick(rowSwitch(0), Qt::LeftButton);
    STEP(confirmSave(0));

    QTRY_VERIFY(isToastVisible());
    QCOMPARE(toastText(), QStringLiteral("Success"));
    QTRY_VERIFY(commandsOf(*pCamera).contains(QStringLiteral("Reboot")));
    const QStringList listCommand = commandsOf(*pCamera);
    QVERIFY(listCommand.indexOf(QStringLiteral("SetEnv")) < listCommand.indexOf(QStringLiteral("Reboot")));

    const QList<FakeHttpCamera::Request> listRequest = pCamera->requests();
    for (const FakeHttpCamera::Request &request : listRequest) {
        if (request.command != QStringLiteral("SetEnv"))
            continue;
        const QJsonObject eth = QJsonDocument::fromJson(request.cmdJson)
                                    .object()["SetEnv"].toObject()["NetWork"].toObject()["stEth"].toArray()
                                    .first().toObject();
        QCOMPARE(eth["szIPAddr"].toString(), QStringLiteral("10.0.0.31"));
        QCOMPARE(eth["szSubMask"].toString(), QStringLiteral("255.255.255.0"));
        QCOMPARE(eth["szGateway"].toString(), QStringLiteral("10.0.0.1"));
        QCOMPARE(eth["szMacAddr"].toString(), QStringLiteral("00:11:22:33:44:31"));
        QCOMPARE(eth["byValid"].toInt(), 7);
    }
}

void TestModifyModuleCycle::refusedSaveShowsFailedWithoutReboot()
{
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    pCamera->setReply(QStringLiteral("SetEnv"), retValReply(2));
    answerSearch({QStringLiteral("127.0.0.31")});
    STEP(searchRows(1));
    STEP(waitForFilled({0}));

    QSignalSpy rebootSpy(CommonSignal::getInstance(), &CommonSignal::sigDevReboot);
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.255.0.0")));
    STEP(confirmSave(0));

    QTRY_VERIFY(isToastVisible());
    QCOMPARE(toastText(), QStringLiteral("Failed"));
    QCOMPARE(rebootSpy.count(), 0);
    QVERIFY(commandsOf(*pCamera).contains(QStringLiteral("SetEnv")));
    QVERIFY(!commandsOf(*pCamera).contains(QStringLiteral("Reboot")));

    // The camera kept its settings; "Cancel" shows them again.
    STEP(cancelRow(0));
    QCOMPARE(cell(0, 1), QStringLiteral("127.0.0.31"));
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
}

void TestModifyModuleCycle::badMaskGivesFormErrorWithoutRequest()
{
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    answerSearch({QStringLiteral("127.0.0.31")});
    STEP(searchRows(1));
    STEP(waitForFilled({0}));

    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.255.0.255")));
    STEP(confirmSave(0));

    QVERIFY(isToastVisible());
    QCOMPARE(toastText(), QStringLiteral("Form Error"));
    QVERIFY(!commandsOf(*pCamera).contains(QStringLiteral("SetEnv")));
}

void TestModifyModuleCycle::cancelAfterEditRestoresRow()
{
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    answerSearch({QStringLiteral("127.0.0.31")});
    STEP(searchRows(1));
    STEP(waitForFilled({0}));

    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.99")));
    STEP(typeIntoCell(0, 3, QStringLiteral("10.0.0.254")));
    ToggleSwitch *pSwitch = rowSwitch(0);
    QVERIFY(pSwitch);
    QTest::mouseClick(pSwitch, Qt::LeftButton);
    QVERIFY(pSwitch->isChecked());

    STEP(cancelRow(0));
    QCOMPARE(cell(0, 1), QStringLiteral("127.0.0.31"));
    QCOMPARE(cell(0, 3), QStringLiteral("10.0.0.1"));
    QVERIFY(!pSwitch->isChecked());
    QVERIFY(!commandsOf(*pCamera).contains(QStringLiteral("SetEnv")));
}

void TestModifyModuleCycle::sharedAddressIsCompletedFromSdk()
{
    // Two cameras answer the search from one address; HTTP only ever reaches the first.
    ADD_CAMERA(pCamera, "127.0.0.33", "00:11:22:33:44:33")
    s_listSdkReports = {sdkReport(QStringLiteral("127.0.0.33"), QStringLiteral("00:11:22:33:44:33")),
                        sdkReport(QStringLiteral("127.0.0.33"), QStringLiteral("AA:BB:CC:00:00:02"))};
    answerSearch({QStringLiteral("127.0.0.33"), QStringLiteral("127.0.0.33")});
    STEP(searchRows(2));
    STEP(waitForFilled({0, 1}));

    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:33"));
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
    QCOMPARE(cell(0, 6), QStringLiteral("V1.0.3,V1.2.0,V0.9.1"));
    QCOMPARE(cell(1, 1), QStringLiteral("127.0.0.33"));
    QCOMPARE(cell(1, 5), QStringLiteral("AA:BB:CC:00:00:02"));
    QCOMPARE(cell(1, 2), QStringLiteral("255.255.0.0"));
    QCOMPARE(cell(1, 3), QStringLiteral("10.0.200.1"));
    QTRY_COMPARE(cell(1, 6), QStringLiteral("V1.5.9,V2.6.5,V3.1.4"));
    QCOMPARE(commandsOf(*pCamera).count(QStringLiteral("GetEnv")), 2);
}

void TestModifyModuleCycle::firmwareArrivesBeforeSettings()
{
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    pCamera->setReplyDelay(QStringLiteral("GetEnv"), 1500);
    answerSearch({QStringLiteral("127.0.0.31")});
    STEP(searchRows(1));

    QTRY_COMPARE(cell(0, 6), QStringLiteral("V1.0.3,V1.2.0,V0.9.1"));
    QVERIFY(cell(0, 5).isEmpty());
    QVERIFY(!rowButton(kSaveButton, 0)->isEnabled());
    QTRY_COMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:31"));
    QCOMPARE(cell(0, 6), QStringLiteral("V1.0.3,V1.2.0,V0.9.1"));
    QVERIFY(rowButton(kSaveButton, 0)->isEnabled());
}

void TestModifyModuleCycle::silentCameraKeepsDisabledRow()
{
    ADD_CAMERA(pSilent, "127.0.0.34", "00:11:22:33:44:34")
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    pSilent->setSilent(true);
    answerSearch({QStringLiteral("127.0.0.34"), QStringLiteral("127.0.0.31")});
    STEP(searchRows(2));
    STEP(waitForFilled({1}));
    QTRY_VERIFY(pSilent->connectionCount() > 0);

    QCOMPARE(cell(0, 1), QStringLiteral("127.0.0.34"));
    for (int nColumn : {2, 3, 5, 6})
        QVERIFY(cell(0, nColumn).isEmpty());
    QVERIFY(!rowButton(kSaveButton, 0)->isEnabled());
    QVERIFY(!rowButton(kCancelButton, 0)->isEnabled());
    QVERIFY(rowButton(kSaveButton, 1)->isEnabled());
}

void TestModifyModuleCycle::secondSearchRenumbersRows()
{
    ADD_CAMERA(pFirst, "127.0.0.31", "00:11:22:33:44:31")
    ADD_CAMERA(pSecond, "127.0.0.32", "00:11:22:33:44:32")
    answerSearch({QStringLiteral("127.0.0.31"), QStringLiteral("127.0.0.32"), QStringLiteral("127.0.0.31")});
    STEP(searchRows(3));
    STEP(waitForFilled({0}));

    answerSearch({QStringLiteral("127.0.0.32")});
    STEP(searchRows(1));
    QCOMPARE(cell(0, 0), QStringLiteral("1"));
    QCOMPARE(cell(0, 1), QStringLiteral("127.0.0.32"));
    STEP(waitForFilled({0}));
    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:32"));
    QVERIFY(rowButton(kSaveButton, 0)->isEnabled());

    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.32")));
    STEP(confirmSave(0));
    QTRY_VERIFY(commandsOf(*pSecond).contains(QStringLiteral("Reboot")));
    QVERIFY(!commandsOf(*pFirst).contains(QStringLiteral("SetEnv")));
}

// A write whose request fails ends its save: "Search" comes back and the camera may be
// written again.
void TestModifyModuleCycle::failedWriteEndsItsSave()
{
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    answerSearch({QStringLiteral("127.0.0.31")});
    STEP(searchRows(1));
    STEP(waitForFilled({0}));
    m_listCamera.clear();

    auto *pButton = searchButton();
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(confirmSave(0));
    QTRY_COMPARE(toastText(), QStringLiteral("Failed"));
    QTRY_VERIFY(pButton->isEnabled());
    QCOMPARE(rowState(0), RowState::NotWritten);
    STEP(clickRowButton(kSaveButton, 0));
    QTRY_VERIFY(CTextHintPopWidget::getInstance()->isVisible());
}

// The first search's "GetEnv" is answered only after the second search has listed the
// camera again: that late answer must not fill the new row; the new request's does.
void TestModifyModuleCycle::lateRepliesChangeNothingInNewSearch()
{
    constexpr int kLateMs = 4000;
    const QString strAddress = QStringLiteral("127.0.0.31");
    ADD_CAMERA(pCamera, "127.0.0.31", "00:11:22:33:44:31")
    pCamera->setReplyDelay(QStringLiteral("GetEnv"), kLateMs);
    answerSearch({strAddress});
    STEP(searchRows(1));

    QSignalSpy ethSpy(CommonSignal::getInstance(), &CommonSignal::sigUpdateEthInfo);
    QTRY_COMPARE(commandsOf(*pCamera).count(QStringLiteral("GetEnv")), 1);
    pCamera->setReply(QStringLiteral("GetEnv"), getEnvReply(strAddress, QStringLiteral("00:11:22:33:44:32"), 5));
    STEP(searchRows(1));
    QVERIFY(ethSpy.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(ethSpy.count(), 2, kSearchTimeoutMs);
    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:32"));
}

// Each row's mark says why it is empty or odd, and the line below the table counts them:
// while the search listens, and once the rows are in.
void TestModifyModuleCycle::rowMarksAndStatusLineSayWhy()
{
    ADD_CAMERA(pGood, "127.0.0.31", "00:11:22:33:44:31")
    ADD_CAMERA(pUnreadable, "127.0.0.32", "00:11:22:33:44:32")
    ADD_CAMERA(pLarge, "127.0.0.33", "00:11:22:33:44:33")
    ADD_CAMERA(pRefusing, "127.0.0.34", "00:11:22:33:44:34")
    pUnreadable->setReply(QStringLiteral("GetEnv"), "<html>");
    pLarge->setReply(QStringLiteral("GetEnv"), QByteArray(int(CHttp::HTTP_MAX_REPLY_BYTES) + 1, ' '));
    m_listCamera.pop_back();
    answerSearch({QStringLiteral("127.0.0.31"), QStringLiteral("127.0.0.32"), QStringLiteral("127.0.0.33"),
                  QStringLiteral("127.0.0.34"), QStringLiteral("127.0.0.34"), QStringLiteral("0.0.0.7")});
    auto *pStatus = m_pView->findChild<QLabel *>(QStringLiteral("siteStatusText"));
    QVERIFY(pStatus);
    QString strWhileSearching;
    connect(CommonSignal::getInstance(), &CommonSignal::sigSearchNetwork, pStatus,
            [pStatus, &strWhileSearching] { strWhileSearching = pStatus->text(); });
    STEP(searchRows(6));
    QCOMPARE(strWhileSearching, QStringLiteral("Searching from 127.0.0.1: listening for answers for 2 s"));
    QTRY_COMPARE(CHttp::getInstance()->pendingCount(), 0);

    const QStringList listExpected = {"settings read", "unreadable reply: unreadable reply",
                                      "reply too large: reply too large", "no answer: connection refused",
                                      "no answer: connection refused",
                                      "address that cannot be contacted: 0.0.0.0/8: \"this network\", no device's address"};
    const QList<RowState> listStates = {RowState::Filled,   RowState::Unreadable, RowState::TooLarge,
                                        RowState::NoAnswer, RowState::NoAnswer,   RowState::NoContact};
    for (int row = 0; row < listExpected.size(); ++row) {
        QCOMPARE(rowState(row), listStates.at(row));
        QCOMPARE(rowStateTip(row), listExpected.at(row));
    }
    // The line is counted once per turn of the event loop.
    QTRY_VERIFY2(pStatus->text().startsWith(QStringLiteral("6 cameras · 1 filled · 4 did not answer · 1 address conflict · searched at ")),
                 qPrintable(pStatus->text()));
}

QTEST_MAIN(TestModifyModuleCycle)
#include "tst_modifymodule_cycle.moc"
