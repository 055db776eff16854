// The device view on its own: the view's half of the hub wiring is made here, and the hub
// signals the models would send are emitted by the test. No model is connected, so
// nothing is sent anywhere: addresses outside loopback only ever appear as texts.

#include <QtTest>

#include <QApplication>
#include <QBoxLayout>
#include <QClipboard>
#include <QMenu>
#include <QHeaderView>
#include <QHostAddress>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkInterface>
#include <QScopedPointer>
#include <QTableWidget>
#include <QToolButton>

#include "core/commonsignal.h"
#include "core/metatypes.h"
#include "net/localaddresses.h"
#include "ui/desktopopener.h"
#include "support/devicetabledriver.h"
#include "support/formchecks.h"
#include "support/records.h"
#include "support/teststep.h"
#include "ui/modifymodule.h"
#include "ui/remembered.h"
#include "site/rowstate.h"
#include "validate/contactpolicy.h"
#include "widgets/ccombobox.h"
#include "widgets/ctext.h"
#include "widgets/ctextbutton.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"
#include "widgets/toggleswitch.h"

namespace {

FwVersion_S fwVersion(const QString &strCam, const QString &strArm, const QString &strAF)
{
    FwVersion_S stFwVersion;
    stFwVersion.strCamVersion = strCam;
    stFwVersion.strArmVersion = strArm;
    stFwVersion.strAFVersion = strAF;
    return stFwVersion;
}

} // namespace

class TestModifyModule : public QObject, private DeviceTableDriver
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void slotsInMetaObjectOrder();
    void formHasFixedSizes_data();
    void formHasFixedSizes();
    void searchBarStretchFactors();
    void tableHeaderAndRows();
    void columnWidthsFollowWidth_data();
    void columnWidthsFollowWidth();
    void setScaleResizesFonts_data();
    void setScaleResizesFonts();
    void localAddressesAreIpv4WithoutLoopback_data();
    void localAddressesAreIpv4WithoutLoopback();
    void rememberedLocalAddressIsChosen();

    void searchEmptiesTableAndDisablesButton();
    void searchResultsBecomeRows();
    void replyAddressMustBeDottedQuad_data();
    void replyAddressMustBeDottedQuad();
    void sdkEndRequestsEveryRowAndEnablesSearch();
    void settingsFillRowsOfSharedAddressInOrder();
    void sdkReportCompletesSecondCameraOfAddress();
    void emptyMacReplyTakesSdkRecord();
    void firmwareBeforeSettings();
    void unansweredRowKeepsButtonsDisabled();
    void replyForUnknownAddressIsDropped();
    void secondSearchRenumbersRows();
    void cellWidgetsShownForRowsInView();

    void saveSendsEditedRowAfterConfirmation();
    void toggleRecordsDhcpOfItsRow();
    void dhcpFallsBackToCheckedSwitch();
    void declineSendsNothing();
    void invalidValuesGiveFormErrorAfterConfirmation_data();
    void invalidValuesGiveFormErrorAfterConfirmation();
    void statusShowsResultAndRebootsOnSuccess_data();
    void statusShowsResultAndRebootsOnSuccess();
    void cancelRestoresStoredRow();
    void refusedWriteKeepsCameraValues();
    void pendingSavesAreKeptPerAddress();

    void sharedAddressIsMarked();
    void saveRefusedUnlessAddressReachesItsCamera_data();
    void saveRefusedUnlessAddressReachesItsCamera();
    void repliesFollowTheAddressFoundAt();
    void searchWaitsForWrites();
    void maskWithLeadingZerosGoesOutPlain();

    void copyPutsRowsOnClipboardAsCsv_data();
    void copyPutsRowsOnClipboardAsCsv();
    void filterHidesRowsThatDoNotMatch();
    void webPageOfRowOpensItsAddress();
    void keysSearchAnswerAndCommit();

private:
    void connectHub();
    void listCameras(const QStringList &listAddress, const QList<DevInfo_S> &listSdk = {});
    void fillRow(const QString &strAddress, const QString &strMac, int nDhcp = 0);
    static QImage toastIcon();

    QScopedPointer<ModifyModule> m_pView;
};

// The cameras' addresses here are on loopback, where nothing is ever sent (no model is
// connected); the view must still treat them as cameras.
void TestModifyModule::initTestCase()
{
    registerRecordMetaTypes();
    ContactPolicy::setLoopbackAllowed(true);
}

void TestModifyModule::init()
{
    m_pView.reset(new ModifyModule);
    setView(m_pView.data());
    connectHub();
    m_pView->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pView.data()));
}

void TestModifyModule::cleanup()
{
    m_pView.reset();
    hidePopups();
}

void TestModifyModule::connectHub()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    ModifyModule *pView = m_pView.data();
    connect(pHub, &CommonSignal::sigSearchResult, pView, &ModifyModule::slotSearchResult);
    connect(pHub, &CommonSignal::sigUpdateFwVersion, pView, &ModifyModule::slotUpdateFwVersion);
    connect(pHub, &CommonSignal::sigUpdateEthInfo, pView, &ModifyModule::slotUpdateEthInfo);
    connect(pHub, &CommonSignal::sigGetEnvFinished, pView, &ModifyModule::slotGetEnvFinished);
    connect(pHub, &CommonSignal::sigSetEthStatus, pView, &ModifyModule::slotUpdateEthStatus);
    connect(pHub, &CommonSignal::sigSdkUpdateDevInfo, pView, &ModifyModule::slotSdkUpdateDevInfo);
    connect(pHub, &CommonSignal::sigSdkGetInfoFinished, pView, &ModifyModule::slotSdkGetInfoFinished);
}

// Lists the given search replies the way the multicast search would deliver them, hands
// the SDK reports to the view while the SDK search runs, and waits for its end.
void TestModifyModule::listCameras(const QStringList &listAddress, const QList<DevInfo_S> &listSdk)
{
    CommonSignal *pHub = CommonSignal::getInstance();
    QSignalSpy finishedSpy(pHub, &CommonSignal::sigSdkGetInfoFinished);
    QList<QuillbootSearch_S> listReply;
    for (const QString &strAddress : listAddress)
        listReply.append(searchReply(strAddress));
    emit pHub->sigSearchResult(listReply);
    for (const DevInfo_S &stReport : listSdk)
        emit pHub->sigSdkUpdateDevInfo(stReport);
    QTRY_COMPARE(finishedSpy.count(), 1);
}

void TestModifyModule::fillRow(const QString &strAddress, const QString &strMac, int nDhcp)
{
    emit CommonSignal::getInstance()->sigUpdateEthInfo(strAddress, ethInfo(strAddress, strMac, nDhcp));
}

// ---------------------------------------------------------------- form and table

void TestModifyModule::slotsInMetaObjectOrder()
{
    const QStringList listExpected = {
        "slotSearchResult(QList<QuillbootSearch_S>)", "slotUpdateFwVersion(QString,FwVersion_S)",
        "slotUpdateEthInfo(QString,EthInfo_S)",        "slotGetEnvFinished()",
        "slotSave()",                                  "slotCancel()",
        "slotToggleChanged(bool)",                     "slotUpdateEthStatus(QString,int)",
        "slotSdkUpdateDevInfo(DevInfo_S)",             "slotSdkGetInfoFinished()",
        "searchIp()",
        "slotRequestStarted(qulonglong,QString,int)",  "slotReplyDelivering(qulonglong,QString,int)",
        "slotRequestFinished(qulonglong,QString,int,int)", "slotReplyStatus(qulonglong,int)",
        "slotOtherCamera(qulonglong,QString,QString)"};
    const QMetaObject *pMeta = &ModifyModule::staticMetaObject;
    QStringList listSlots;
    for (int nIndex = pMeta->methodOffset(); nIndex < pMeta->methodCount(); ++nIndex) {
        QCOMPARE(pMeta->method(nIndex).methodType(), QMetaMethod::Slot);
        listSlots.append(QString::fromLatin1(pMeta->method(nIndex).methodSignature()));
    }
    QCOMPARE(listSlots, listExpected);
    QCOMPARE(pMeta->method(pMeta->indexOfSlot("searchIp()")).access(), QMetaMethod::Private);
}

void TestModifyModule::formHasFixedSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");

    const int nMax = QWIDGETSIZE_MAX;
    QTest::newRow("view") << "ModifyModule" << QSize(1107, 639) << QSize(nMax, nMax);
    QTest::newRow("bg") << "bg" << QSize(1107, 639) << QSize(nMax, nMax);
    QTest::newRow("localIpBg") << "localIpBg" << QSize(0, 43) << QSize(nMax, 43);
    QTest::newRow("widget") << "widget" << QSize(98, 43) << QSize(98, 43);
    QTest::newRow("localIpText") << "localIpText" << QSize(85, 35) << QSize(65536, 35);
    QTest::newRow("localIpCombo") << "localIpCombo" << QSize(128, 30) << QSize(128, 30);
    QTest::newRow("toolButton") << "toolButton" << QSize(93, 30) << QSize(93, 30);
    QTest::newRow("ipTable") << "ipTable" << QSize(1055, 435) << QSize(nMax, nMax);
}

void TestModifyModule::formHasFixedSizes()
{
    QFETCH(QString, name);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);

    QWidget *pWidget = name == m_pView->objectName() ? m_pView.data() : m_pView->findChild<QWidget *>(name);
    QVERIFY2(pWidget, qPrintable(name));
    QCOMPARE(pWidget->minimumSize(), minimum);
    QCOMPARE(pWidget->maximumSize(), maximum);
}

void TestModifyModule::searchBarStretchFactors()
{
    auto *pBar = qobject_cast<QBoxLayout *>(m_pView->findChild<QWidget *>(QStringLiteral("localIpBg"))->layout());
    QVERIFY(pBar);
    const QList<int> listBar = {98, 10, 128, 12, 93, 575};
    QCOMPARE(pBar->count(), listBar.size());
    for (int nIndex = 0; nIndex < listBar.size(); ++nIndex)
        QCOMPARE(pBar->stretch(nIndex), listBar.at(nIndex));
    QCOMPARE(pBar->contentsMargins(), QMargins(12, 0, 12, 0));

    auto *pSearch = qobject_cast<QBoxLayout *>(m_pView->findChild<QWidget *>(QStringLiteral("searchBg"))->layout());
    QVERIFY(pSearch);
    QCOMPARE(pSearch->stretch(0), 43);
    QCOMPARE(pSearch->stretch(1), 568);

    auto *pToolButton = searchButton();
    QCOMPARE(pToolButton->text(), QStringLiteral("Search"));
    QCOMPARE(pToolButton->toolButtonStyle(), Qt::ToolButtonTextBesideIcon);
    QCOMPARE(m_pView->findChild<CText *>(QStringLiteral("localIpText"))->text(), QStringLiteral("Computer IP "));
}

void TestModifyModule::tableHeaderAndRows()
{
    QTableWidget *pTable = table();
    const QStringList listHeader = {"No.", "IP Address", "Subnet Mask", "Gateway", "DHCP", "MAC", "FW Version", "Operation"};
    QCOMPARE(pTable->columnCount(), listHeader.size());
    for (int nColumn = 0; nColumn < listHeader.size(); ++nColumn)
        QCOMPARE(pTable->horizontalHeaderItem(nColumn)->text(), listHeader.at(nColumn));
    QCOMPARE(pTable->horizontalHeader()->height(), 40);
    QCOMPARE(pTable->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    QVERIFY(!pTable->horizontalHeader()->sectionsClickable());
    QVERIFY(pTable->verticalHeader()->isHidden());
    QCOMPARE(pTable->verticalHeader()->defaultSectionSize(), 30);
    QCOMPARE(pTable->selectionBehavior(), QAbstractItemView::SelectRows);
    QVERIFY(!pTable->showGrid());
    QCOMPARE(pTable->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

void TestModifyModule::columnWidthsFollowWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("widths");

    QTest::newRow("1107") << 1107 << QList<int>{64, 141, 141, 141, 88, 167, 167, 141};
    QTest::newRow("1452") << 1452 << QList<int>{85, 187, 187, 187, 117, 222, 222, 187};
}

void TestModifyModule::columnWidthsFollowWidth()
{
    QFETCH(int, width);
    QFETCH(QList<int>, widths);

    m_pView->resize(width + 1, 700);
    m_pView->resize(width, 700);
    QTRY_COMPARE(m_pView->width(), width);
    for (int nColumn = 0; nColumn < widths.size(); ++nColumn)
        QCOMPARE(table()->columnWidth(nColumn), widths.at(nColumn));
}

void TestModifyModule::setScaleResizesFonts_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QString>("headerFont");
    QTest::addColumn<QString>("tableFont");
    QTest::addColumn<int>("buttonSize");

    QTest::newRow("1") << 1.0 << "font:16px Microsoft YaHei" << "font:14px Microsoft YaHei" << 16;
    QTest::newRow("1.5") << 1.5 << "font:24px Microsoft YaHei" << "font:21px Microsoft YaHei" << 24;
    QTest::newRow("1.75") << 1.75 << "font:28px Microsoft YaHei" << "font:24.5px Microsoft YaHei" << 28;
}

void TestModifyModule::setScaleResizesFonts()
{
    QFETCH(double, scale);
    QFETCH(QString, headerFont);
    QFETCH(QString, tableFont);
    QFETCH(int, buttonSize);

    STEP(listCameras({QStringLiteral("127.0.0.21")}));
    m_pView->setScale(scale);

    QTableWidget *pTable = table();
    QVERIFY(pTable->horizontalHeader()->styleSheet().contains(headerFont));
    QVERIFY(pTable->styleSheet().contains(tableFont));
    if (scale == 1.5) {
        pTable->ensurePolished();
        QCOMPARE(pTable->font().pixelSize(), 21);
    }

    // The row button must paint exactly like a button set up alike at the scaled size.
    CTextButton *pSave = rowButton(kSaveButton, 0);
    QVERIFY(pSave);
    CTextButton reference(QStringLiteral("Save"));
    reference.setFontFamily(QStringLiteral("Microsoft YaHei"));
    reference.setFontSize(buttonSize);
    reference.setBorderWidth(0);
    reference.setColors(Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent,
                        QColor("#00B7FF"), QColor("#7f7f7f"));
    reference.setEnabled(false);
    reference.resize(pSave->size());
    const QImage::Format format = QImage::Format_ARGB32_Premultiplied;
    const QImage shown = pSave->grab().toImage().convertToFormat(format);
    QCOMPARE(shown, reference.grab().toImage().convertToFormat(format));
    // The state refresh leaves the row buttons at the normal weight, and the comparison can
    // tell: the same button at the demi-bold weight it was first given paints otherwise.
    reference.setFontWeight(QFont::DemiBold);
    QVERIFY(shown != reference.grab().toImage().convertToFormat(format));
}

void TestModifyModule::localAddressesAreIpv4WithoutLoopback_data()
{
    QTest::addColumn<int>("source");
    QTest::addColumn<QStringList>("shown");

    QTest::newRow("mixed") << 0 << QStringList{"192.168.1.20", "10.0.0.5"};
    QTest::newRow("loopback only") << 1 << QStringList();
}

// The combo box lists the IPv4 addresses that are not loopback, in the computer's order; a
// computer with loopback only gets an empty list, and "Search" then asks with an empty text.
void TestModifyModule::localAddressesAreIpv4WithoutLoopback()
{
    QFETCH(int, source);
    QFETCH(QStringList, shown);
    static const LocalAddresses::Source s_aSources[] = {
        [] {
            return QList<QHostAddress>{QHostAddress(QStringLiteral("::1")), QHostAddress(QStringLiteral("192.168.1.20")),
                                       QHostAddress(QStringLiteral("127.0.0.1")), QHostAddress(QStringLiteral("fe80::1")),
                                       QHostAddress(QStringLiteral("10.0.0.5"))};
        },
        [] { return QList<QHostAddress>{QHostAddress(QStringLiteral("127.0.0.1")), QHostAddress(QStringLiteral("::1"))}; },
    };
    LocalAddresses::setSource(s_aSources[source]);
    ModifyModule view;
    LocalAddresses::setSource(nullptr);

    auto *pCombo = view.findChild<CComboBox *>(QStringLiteral("localIpCombo"));
    QStringList listShown;
    for (int nIndex = 0; nIndex < pCombo->count(); ++nIndex)
        listShown.append(pCombo->itemText(nIndex));
    QCOMPARE(listShown, shown);
    QCOMPARE(pCombo->currentIndex(), shown.isEmpty() ? -1 : 0);
    QSignalSpy searchSpy(CommonSignal::getInstance(), &CommonSignal::sigSearchNetwork);
    QTest::mouseClick(view.findChild<QToolButton *>(QStringLiteral("toolButton")), Qt::LeftButton);
    QCOMPARE(searchSpy.count(), 1);
    QCOMPARE(searchSpy.at(0).at(0).toString(), shown.value(0));
}

// The address searched from last is chosen again by the next window, while it still exists.
void TestModifyModule::rememberedLocalAddressIsChosen()
{
    LocalAddresses::setSource([] { return QList<QHostAddress>{QHostAddress(QStringLiteral("192.168.1.20")),
                                                              QHostAddress(QStringLiteral("10.0.0.5"))}; });
    Remembered::setLocalAddress(QStringLiteral("10.0.0.5"));
    ModifyModule view;
    Remembered::setLocalAddress(QStringLiteral("10.9.9.9"));
    ModifyModule gone;
    LocalAddresses::setSource(nullptr);
    QCOMPARE(view.findChild<CComboBox *>(QStringLiteral("localIpCombo"))->currentText(), QStringLiteral("10.0.0.5"));
    QCOMPARE(gone.findChild<CComboBox *>(QStringLiteral("localIpCombo"))->currentText(), QStringLiteral("192.168.1.20"));
}

// ---------------------------------------------------------------- search cycle

void TestModifyModule::searchEmptiesTableAndDisablesButton()
{
    STEP(listCameras({QStringLiteral("127.0.0.21")}));
    QCOMPARE(table()->rowCount(), 1);

    auto *pCombo = m_pView->findChild<CComboBox *>(QStringLiteral("localIpCombo"));
    pCombo->clear();
    pCombo->addItem(QStringLiteral("127.0.0.1"));
    auto *pButton = searchButton();
    QSignalSpy searchSpy(CommonSignal::getInstance(), &CommonSignal::sigSearchNetwork);
    QTest::mouseClick(pButton, Qt::LeftButton);

    QCOMPARE(searchSpy.count(), 1);
    QCOMPARE(searchSpy.at(0).at(0).toString(), QStringLiteral("127.0.0.1"));
    QCOMPARE(table()->rowCount(), 0);
    QVERIFY(!pButton->isEnabled());

    STEP(listCameras({QStringLiteral("127.0.0.22")}));
    QVERIFY(pButton->isEnabled());
}

void TestModifyModule::searchResultsBecomeRows()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    QSignalSpy finishedSpy(pHub, &CommonSignal::sigSdkGetInfoFinished);
    emit pHub->sigSearchResult({searchReply(QStringLiteral("127.0.0.21"), 8000),
                                searchReply(QStringLiteral("127.0.0.22")),
                                searchReply(QStringLiteral("127.0.0.21"))});
    QTableWidget *pTable = table();
    QCOMPARE(pTable->rowCount(), 3);
    const QStringList listAddress = {"127.0.0.21", "127.0.0.22", "127.0.0.21"};
    for (int row = 0; row < listAddress.size(); ++row) {
        QCOMPARE(cell(row, 0), QString::number(row + 1));
        QCOMPARE(cell(row, 1), listAddress.at(row));
        for (int nColumn : {2, 3, 5, 6})
            QVERIFY(cell(row, nColumn).isEmpty());
        for (int nColumn : {0, 1, 2, 3, 5, 6})
            QCOMPARE(pTable->item(row, nColumn)->textAlignment(), int(Qt::AlignCenter));
        for (int nColumn : {0, 4, 5, 6, 7})
            QVERIFY(!(pTable->item(row, nColumn)->flags() & Qt::ItemIsEditable));
        for (int nColumn : {1, 2, 3})
            QVERIFY(pTable->item(row, nColumn)->flags() & Qt::ItemIsEditable);
        QVERIFY(rowSwitch(row));
        QCOMPARE(rowSwitch(row)->size(), QSize(30, 15));
        QVERIFY(!rowSwitch(row)->isChecked());
        QCOMPARE(rowButton(kSaveButton, row)->text(), QStringLiteral("Save"));
        QCOMPARE(rowButton(kCancelButton, row)->text(), QStringLiteral("Cancel"));
        QVERIFY(!rowButton(kSaveButton, row)->isEnabled());
        QVERIFY(!rowButton(kCancelButton, row)->isEnabled());
    }
    QTRY_COMPARE(finishedSpy.count(), 1);
}

void TestModifyModule::replyAddressMustBeDottedQuad_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("listed");

    QTest::newRow("user part") << "a@203.0.113.9" << false;
    QTest::newRow("port and path") << "203.0.113.9:8080/x?" << false;
    QTest::newRow("one number") << "2130706433" << false;
    QTest::newRow("host name") << "evil.example" << false;
    QTest::newRow("short form") << "127.1" << false;
    QTest::newRow("blank around") << " 127.0.0.23" << false;
    QTest::newRow("ipv6") << "::1" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("foreign subnet") << "192.168.1.64" << true;
    QTest::newRow("loopback") << "127.0.0.23" << true;
}

// The address of a reply becomes the host of the row's requests; only the text check is
// exercised here, and the requests it would trigger are only counted on the hub.
void TestModifyModule::replyAddressMustBeDottedQuad()
{
    QFETCH(QString, address);
    QFETCH(bool, listed);

    QSignalSpy envSpy(CommonSignal::getInstance(), &CommonSignal::sigGetEnv);
    QSignalSpy fwSpy(CommonSignal::getInstance(), &CommonSignal::sigGetFwVersion);
    STEP(listCameras({QStringLiteral("127.0.0.21"), address, QStringLiteral("127.0.0.22")}));

    QStringList listExpected = {"127.0.0.21", "127.0.0.22"};
    if (listed)
        listExpected.insert(1, address);
    QCOMPARE(table()->rowCount(), listExpected.size());
    QStringList listRequested;
    for (int row = 0; row < table()->rowCount(); ++row) {
        QCOMPARE(cell(row, 0), QString::number(row + 1));
        QCOMPARE(cell(row, 1), listExpected.at(row));
    }
    for (const QList<QVariant> &listArgs : qAsConst(envSpy))
        listRequested.append(listArgs.at(0).toString());
    QCOMPARE(listRequested, listExpected);
    QCOMPARE(fwSpy.count(), listExpected.size());
}

void TestModifyModule::sdkEndRequestsEveryRowAndEnablesSearch()
{
    CommonSignal *pHub = CommonSignal::getInstance();
    QStringList listOrder;
    connect(pHub, &CommonSignal::sigGetFwVersion, m_pView.data(),
            [&listOrder](const QString &strIp) { listOrder.append("fw " + strIp); });
    connect(pHub, &CommonSignal::sigGetEnv, m_pView.data(),
            [&listOrder](const QString &strIp) { listOrder.append("env " + strIp); });

    auto *pButton = searchButton();
    pButton->setEnabled(false);
    STEP(listCameras({QStringLiteral("127.0.0.21"), QStringLiteral("127.0.0.21"), QStringLiteral("127.0.0.22")}));

    const QStringList listExpected = {"fw 127.0.0.21", "env 127.0.0.21", "fw 127.0.0.21",
                                      "env 127.0.0.21", "fw 127.0.0.22", "env 127.0.0.22"};
    QCOMPARE(listOrder, listExpected);
    QVERIFY(pButton->isEnabled());
}

void TestModifyModule::settingsFillRowsOfSharedAddressInOrder()
{
    STEP(listCameras({QStringLiteral("127.0.0.21"), QStringLiteral("127.0.0.22"), QStringLiteral("127.0.0.21")}));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"), 1);
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
    QCOMPARE(cell(0, 3), QStringLiteral("10.0.0.1"));
    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:01"));
    QVERIFY(rowSwitch(0)->isChecked());
    QVERIFY(rowButton(kSaveButton, 0)->isEnabled());
    QVERIFY(rowButton(kCancelButton, 0)->isEnabled());
    QVERIFY(cell(2, 5).isEmpty());
    QVERIFY(!rowButton(kSaveButton, 2)->isEnabled());

    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:02"));
    QCOMPARE(cell(2, 5), QStringLiteral("00:11:22:33:44:02"));
    QVERIFY(!rowSwitch(2)->isChecked());
    QVERIFY(rowButton(kSaveButton, 2)->isEnabled());
    QVERIFY(cell(1, 5).isEmpty());
    QVERIFY(cell(2, 6).isEmpty());
    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:01"));
}

void TestModifyModule::sdkReportCompletesSecondCameraOfAddress()
{
    const QString strAddress = QStringLiteral("127.0.0.21");
    listCameras({strAddress, strAddress},
                {sdkReport(QStringLiteral("127.0.0.99"), QStringLiteral("AA:00:00:00:00:09")),
                 sdkReport(strAddress, QStringLiteral("00:11:22:33:44:01")),
                 sdkReport(strAddress, QStringLiteral("AA:00:00:00:00:02"))});

    // Both cameras answer at the same address; the multicast path only ever sees the first.
    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"));
    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"));

    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:01"));
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
    QCOMPARE(cell(1, 5), QStringLiteral("AA:00:00:00:00:02"));
    QCOMPARE(cell(1, 2), QStringLiteral("255.255.0.0"));
    QCOMPARE(cell(1, 3), QStringLiteral("10.0.200.1"));
    QCOMPARE(cell(1, 6), QStringLiteral("V1.5.9,V3.1.4,V2.6.5"));
    QVERIFY(rowButton(kSaveButton, 1)->isEnabled());

    // A write to the address reaches the first camera: the merged row is never written,
    // the reachable one still is.
    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);
    STEP(typeIntoCell(1, 1, QStringLiteral("10.0.0.30")));
    STEP(clickRowButton(kSaveButton, 1));
    QVERIFY(!CTextHintPopWidget::getInstance()->isVisible());
    QCOMPARE(toastText(), QStringLiteral("Shared address"));
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(confirmSave(0));
    QCOMPARE(setSpy.count(), 1);
    QCOMPARE(setSpy.at(0).at(1).value<EthInfo_S>().strMacAddr, QStringLiteral("00:11:22:33:44:01"));
}

void TestModifyModule::emptyMacReplyTakesSdkRecord()
{
    const QString strAddress = QStringLiteral("127.0.0.21");
    STEP(listCameras({strAddress}, {sdkReport(strAddress, QStringLiteral("AA:00:00:00:00:02"))}));
    fillRow(strAddress, QString());
    QCOMPARE(cell(0, 5), QStringLiteral("AA:00:00:00:00:02"));
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.0.0"));
    QCOMPARE(cell(0, 6), QStringLiteral("V1.5.9,V3.1.4,V2.6.5"));
}

void TestModifyModule::firmwareBeforeSettings()
{
    const QString strAddress = QStringLiteral("127.0.0.21");
    STEP(listCameras({strAddress, QStringLiteral("127.0.0.22"), strAddress}));
    CommonSignal *pHub = CommonSignal::getInstance();
    emit pHub->sigUpdateFwVersion(strAddress, fwVersion("V2.0.1", "V1.2.0", "V1.0.0"));
    QCOMPARE(cell(0, 6), QStringLiteral("V1.2.0,V2.0.1,V1.0.0"));
    QVERIFY(!(table()->item(0, 6)->flags() & Qt::ItemIsEditable));

    emit pHub->sigUpdateFwVersion(strAddress, fwVersion("V2.0.2", "V1.2.1", "V1.0.1"));
    QCOMPARE(cell(2, 6), QStringLiteral("V1.2.1,V2.0.2,V1.0.1"));
    QVERIFY(cell(1, 6).isEmpty());

    // A third reply finds every firmware cell of the address filled and is dropped.
    emit pHub->sigUpdateFwVersion(strAddress, fwVersion("V9.9.9", "V9.9.9", "V9.9.9"));
    QCOMPARE(cell(0, 6), QStringLiteral("V1.2.0,V2.0.1,V1.0.0"));

    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"));
    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:01"));
    QCOMPARE(cell(0, 6), QStringLiteral("V1.2.0,V2.0.1,V1.0.0"));
}

void TestModifyModule::unansweredRowKeepsButtonsDisabled()
{
    STEP(listCameras({QStringLiteral("127.0.0.21"), QStringLiteral("127.0.0.22")}));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"));
    emit CommonSignal::getInstance()->sigGetEnvFinished();

    QCOMPARE(table()->rowCount(), 2);
    QCOMPARE(cell(1, 1), QStringLiteral("127.0.0.22"));
    for (int nColumn : {2, 3, 5, 6})
        QVERIFY(cell(1, nColumn).isEmpty());
    QVERIFY(!rowButton(kSaveButton, 1)->isEnabled());
    QVERIFY(!rowButton(kCancelButton, 1)->isEnabled());
    QVERIFY(rowButton(kSaveButton, 0)->isEnabled());
}

void TestModifyModule::replyForUnknownAddressIsDropped()
{
    STEP(listCameras({QStringLiteral("127.0.0.21")}));
    fillRow(QStringLiteral("127.0.0.29"), QStringLiteral("00:11:22:33:44:09"));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:02"));
    QCOMPARE(table()->rowCount(), 1);
    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:01"));
}

void TestModifyModule::secondSearchRenumbersRows()
{
    STEP(listCameras({QStringLiteral("127.0.0.21"), QStringLiteral("127.0.0.22"), QStringLiteral("127.0.0.23")}));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"));

    auto *pCombo = m_pView->findChild<CComboBox *>(QStringLiteral("localIpCombo"));
    pCombo->clear();
    pCombo->addItem(QStringLiteral("127.0.0.1"));
    QTest::mouseClick(searchButton(), Qt::LeftButton);
    STEP(listCameras({QStringLiteral("127.0.0.24"), QStringLiteral("127.0.0.25")}));

    QCOMPARE(table()->rowCount(), 2);
    QCOMPARE(cell(0, 0), QStringLiteral("1"));
    QCOMPARE(cell(1, 0), QStringLiteral("2"));
    QCOMPARE(cell(0, 1), QStringLiteral("127.0.0.24"));
    QVERIFY(cell(0, 5).isEmpty());

    // Switches and buttons are numbered from 0 again: row 0's controls drive row 0.
    fillRow(QStringLiteral("127.0.0.24"), QStringLiteral("00:11:22:33:44:04"));
    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);
    QTest::mouseClick(rowSwitch(0), Qt::LeftButton);
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.40")));
    STEP(confirmSave(0));
    QCOMPARE(setSpy.count(), 1);
    QCOMPARE(setSpy.at(0).at(0).toString(), QStringLiteral("127.0.0.24"));
    QCOMPARE(setSpy.at(0).at(1).value<EthInfo_S>().nDhcp, 1);
}

// Thousands of shown cell widgets would freeze the window: only the rows in view show theirs.
void TestModifyModule::cellWidgetsShownForRowsInView()
{
    constexpr int kRows = 60;
    QStringList listAddress;
    for (int nIndex = 0; nIndex < kRows; ++nIndex)
        listAddress.append(QStringLiteral("127.0.1.%1").arg(nIndex + 1));
    STEP(listCameras(listAddress));
    const int nLast = kRows - 1;
    QTRY_VERIFY(rowSwitch(0)->isVisible());
    QVERIFY(!rowSwitch(nLast)->isVisible());
    QVERIFY(!rowButton(kSaveButton, nLast)->isVisible());
    table()->scrollToItem(table()->item(nLast, 1));
    QTRY_VERIFY(rowSwitch(nLast)->isVisible());
    QVERIFY(rowButton(kSaveButton, nLast)->isVisible());
    QVERIFY(!rowSwitch(0)->isVisible());
}

// ---------------------------------------------------------------- edit, save, reboot

void TestModifyModule::saveSendsEditedRowAfterConfirmation()
{
    const QString strAddress = QStringLiteral("127.0.0.21");
    STEP(listCameras({strAddress}));
    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"));
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.255.0.0")));
    STEP(typeIntoCell(0, 3, QStringLiteral("10.0.9.1")));

    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);
    STEP(clickRowButton(kSaveButton, 0));
    QTRY_VERIFY(CTextHintPopWidget::getInstance()->isVisible());
    QCOMPARE(setSpy.count(), 0);

    STEP(answerSaveQuestion());
    QCOMPARE(setSpy.count(), 1);
    QCOMPARE(setSpy.at(0).at(0).toString(), strAddress);
    const EthInfo_S stSent = setSpy.at(0).at(1).value<EthInfo_S>();
    QCOMPARE(stSent.strIPAddr, QStringLiteral("10.0.0.31"));
    QCOMPARE(stSent.strSubMask, QStringLiteral("255.255.0.0"));
    QCOMPARE(stSent.strGateway, QStringLiteral("10.0.9.1"));
    QCOMPARE(stSent.strMacAddr, QStringLiteral("00:11:22:33:44:01"));
    QCOMPARE(stSent.nDhcp, 0);
    QCOMPARE(stSent.strDns1, QStringLiteral("127.0.0.53"));
    QCOMPARE(stSent.strDns2, QStringLiteral("127.0.0.54"));
}

void TestModifyModule::toggleRecordsDhcpOfItsRow()
{
    STEP(listCameras({QStringLiteral("127.0.0.21"), QStringLiteral("127.0.0.22")}));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"), 0);
    fillRow(QStringLiteral("127.0.0.22"), QStringLiteral("00:11:22:33:44:02"), 1);
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(typeIntoCell(1, 1, QStringLiteral("10.0.0.32")));

    QTest::mouseClick(rowSwitch(0), Qt::LeftButton);
    QVERIFY(rowSwitch(0)->isChecked());
    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);
    STEP(confirmSave(0));
    STEP(confirmSave(1));
    QCOMPARE(setSpy.count(), 2);
    QCOMPARE(setSpy.at(0).at(1).value<EthInfo_S>().nDhcp, 1);
    QCOMPARE(setSpy.at(1).at(1).value<EthInfo_S>().nDhcp, 1);

    emit CommonSignal::getInstance()->sigSetEthStatus(QStringLiteral("127.0.0.22"), 1);
    QTest::mouseClick(rowSwitch(1), Qt::LeftButton);
    STEP(confirmSave(1));
    QCOMPARE(setSpy.count(), 3);
    QCOMPARE(setSpy.at(2).at(1).value<EthInfo_S>().nDhcp, 0);
}

// The firmware reply after the settings resets the row's edit record: the save then takes
// the DHCP state from the switch, which the settings turned on.
void TestModifyModule::dhcpFallsBackToCheckedSwitch()
{
    const QString strAddress = QStringLiteral("127.0.0.21");
    STEP(listCameras({strAddress}));
    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"), 1);
    emit CommonSignal::getInstance()->sigUpdateFwVersion(strAddress, fwVersion("V2.0.1", "V1.2.0", "V1.0.0"));
    QVERIFY(rowSwitch(0)->isChecked());
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);
    STEP(confirmSave(0));
    QCOMPARE(setSpy.count(), 1);
    QCOMPARE(setSpy.at(0).at(1).value<EthInfo_S>().nDhcp, 1);
}

void TestModifyModule::declineSendsNothing()
{
    STEP(listCameras({QStringLiteral("127.0.0.21")}));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"));
    STEP(typeIntoCell(0, 1, QStringLiteral("127.0.0.31")));
    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);

    for (const QString &strDecline : {QStringLiteral("cancelBtn"), QStringLiteral("exitBtn")}) {
        STEP(clickRowButton(kSaveButton, 0));
        CTextHintPopWidget *pPop = CTextHintPopWidget::getInstance();
        QTRY_VERIFY(pPop->isVisible());
        QWidget *pButton = pPop->findChild<QWidget *>(strDecline);
        QVERIFY2(pButton, qPrintable(strDecline));
        QTest::mouseClick(pButton, Qt::LeftButton);
        QVERIFY(!pPop->isVisible());
    }
    QCOMPARE(setSpy.count(), 0);
    QVERIFY(!isToastVisible());
}

void TestModifyModule::invalidValuesGiveFormErrorAfterConfirmation_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    QTest::newRow("loopback address") << 1 << "127.0.0.1";
    QTest::newRow("network address") << 1 << "10.0.1.0";
    QTest::newRow("mixed mask") << 2 << "255.0.255.0";
    QTest::newRow("empty mask") << 2 << "";
    QTest::newRow("gateway elsewhere") << 3 << "10.9.9.1";
}

void TestModifyModule::invalidValuesGiveFormErrorAfterConfirmation()
{
    QFETCH(int, column);
    QFETCH(QString, text);

    STEP(listCameras({QStringLiteral("127.0.0.21")}));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"));
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    if (text.isEmpty())
        table()->item(0, column)->setText(text);
    else
        STEP(typeIntoCell(0, column, text));

    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);
    STEP(clickRowButton(kSaveButton, 0));
    QTRY_VERIFY(CTextHintPopWidget::getInstance()->isVisible());
    QVERIFY(!isToastVisible());
    STEP(answerSaveQuestion());

    QCOMPARE(setSpy.count(), 0);
    QVERIFY(isToastVisible());
    QCOMPARE(toastText(), QStringLiteral("Form Error"));
}

void TestModifyModule::statusShowsResultAndRebootsOnSuccess_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("toast");
    QTest::addColumn<bool>("reboot");
    QTest::addColumn<int>("mark");

    QTest::newRow("0") << 0 << "Success" << true << int(RowState::Rebooting);
    QTest::newRow("1") << 1 << "Failed" << false << int(RowState::NotWritten);
    QTest::newRow("2") << 2 << "Failed" << false << int(RowState::NotWritten);
    QTest::newRow("-1") << -1 << "Failed" << false << int(RowState::NotWritten);
}

// The toast's icon says the same as its text.
QImage TestModifyModule::toastIcon()
{
    const auto *pIcon = ToastHintWidget::getInstance()->findChild<QLabel *>(QStringLiteral("iconLabel"));
    return pIcon ? pIcon->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32) : QImage();
}

void TestModifyModule::statusShowsResultAndRebootsOnSuccess()
{
    QFETCH(int, status);
    QFETCH(QString, toast);
    QFETCH(bool, reboot);
    QFETCH(int, mark);

    const QString strAddress = QStringLiteral("127.0.0.21");
    STEP(listCameras({strAddress}));
    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"));
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(confirmSave(0));

    CommonSignal *pHub = CommonSignal::getInstance();
    QSignalSpy rebootSpy(pHub, &CommonSignal::sigDevReboot);
    emit pHub->sigSetEthStatus(strAddress, status);
    QVERIFY(isToastVisible());
    QCOMPARE(toastText(), toast);
    QCOMPARE(toastIcon(), imageOf(reboot ? QStringLiteral(":/res/success.png") : QStringLiteral(":/res/failed.png")));
    QCOMPARE(rebootSpy.count(), reboot ? 1 : 0);
    if (reboot)
        QCOMPARE(rebootSpy.at(0).at(0).toString(), strAddress);
    QCOMPARE(int(rowState(0)), mark);
}

void TestModifyModule::cancelRestoresStoredRow()
{
    const QString strAddress = QStringLiteral("127.0.0.21");
    STEP(listCameras({strAddress}));
    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"), 1);
    STEP(typeIntoCell(0, 1, QStringLiteral("127.0.0.31")));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.0.0.0")));
    STEP(typeIntoCell(0, 3, QStringLiteral("127.9.9.9")));
    QTest::mouseClick(rowSwitch(0), Qt::LeftButton);
    QVERIFY(!rowSwitch(0)->isChecked());

    STEP(cancelRow(0));
    QCOMPARE(cell(0, 1), strAddress);
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
    QCOMPARE(cell(0, 3), QStringLiteral("10.0.0.1"));
    QVERIFY(rowSwitch(0)->isChecked());
    QVERIFY(rowButton(kCancelButton, 0)->isEnabled());
    QVERIFY(rowButton(kSaveButton, 0)->isEnabled());

    // After a successful save the stored record holds the saved mask and gateway, and
    // the address under which the camera was found.
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.32")));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.255.0.0")));
    STEP(confirmSave(0));
    emit CommonSignal::getInstance()->sigSetEthStatus(strAddress, 0);
    STEP(typeIntoCell(0, 2, QStringLiteral("255.0.0.0")));
    STEP(cancelRow(0));
    QCOMPARE(cell(0, 1), strAddress);
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.0.0"));
}

void TestModifyModule::refusedWriteKeepsCameraValues()
{
    const QString strAddress = QStringLiteral("127.0.0.21");
    STEP(listCameras({strAddress}));
    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"), 1);
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.255.0.0")));
    STEP(typeIntoCell(0, 3, QStringLiteral("10.0.5.1")));
    QTest::mouseClick(rowSwitch(0), Qt::LeftButton);
    STEP(confirmSave(0));
    emit CommonSignal::getInstance()->sigSetEthStatus(strAddress, 2);
    QCOMPARE(toastText(), QStringLiteral("Failed"));

    // The camera refused: "Cancel" puts back what it still has.
    STEP(cancelRow(0));
    QCOMPARE(cell(0, 1), strAddress);
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
    QCOMPARE(cell(0, 3), QStringLiteral("10.0.0.1"));
    QVERIFY(rowSwitch(0)->isChecked());
}

void TestModifyModule::pendingSavesAreKeptPerAddress()
{
    const QString strFirst = QStringLiteral("127.0.0.21");
    const QString strSecond = QStringLiteral("127.0.0.22");
    STEP(listCameras({strFirst, strSecond}));
    fillRow(strFirst, QStringLiteral("00:11:22:33:44:01"));
    fillRow(strSecond, QStringLiteral("00:11:22:33:44:02"));

    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.255.0.0")));
    STEP(confirmSave(0));
    STEP(typeIntoCell(1, 1, QStringLiteral("10.0.0.32")));
    STEP(typeIntoCell(1, 2, QStringLiteral("255.0.0.0")));
    STEP(typeIntoCell(1, 3, QStringLiteral("10.1.2.3")));
    STEP(confirmSave(1));

    // The first camera's status arrives while the second save is still pending.
    CommonSignal *pHub = CommonSignal::getInstance();
    emit pHub->sigSetEthStatus(strFirst, 0);
    STEP(cancelRow(0));
    QCOMPARE(cell(0, 1), strFirst);
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.0.0"));
    QCOMPARE(cell(0, 3), QStringLiteral("10.0.0.1"));

    // The second camera's record is untouched by the first status and takes its own.
    emit pHub->sigSetEthStatus(strSecond, 0);
    STEP(typeIntoCell(1, 2, QStringLiteral("255.255.255.128")));
    STEP(cancelRow(1));
    QCOMPARE(cell(1, 1), strSecond);
    QCOMPARE(cell(1, 2), QStringLiteral("255.0.0.0"));
    QCOMPARE(cell(1, 3), QStringLiteral("10.1.2.3"));
}

// ---------------------------------------------------------------- writes reach the camera meant

void TestModifyModule::sharedAddressIsMarked()
{
    const QString strShared = QStringLiteral("127.0.0.21");
    STEP(listCameras({strShared, QStringLiteral("127.0.0.22"), strShared}));
    for (int row : {0, 2}) {
        QCOMPARE(table()->item(row, 1)->background().color(), QColor("#FFE7C2"));
        QCOMPARE(table()->item(row, 1)->toolTip(),
                 QStringLiteral("2 answers at 127.0.0.21; reachable over HTTP: not known yet"));
    }
    QCOMPARE(table()->item(1, 1)->background().style(), Qt::NoBrush);
    QVERIFY(table()->item(1, 1)->toolTip().isEmpty());

    // The same MAC twice and no SDK report: the second answer is not filled with a copy.
    emit CommonSignal::getInstance()->sigUpdateFwVersion(strShared, fwVersion("V2.0.1", "V1.2.0", "V1.0.0"));
    emit CommonSignal::getInstance()->sigUpdateFwVersion(strShared, fwVersion("V2.0.1", "V1.2.0", "V1.0.0"));
    fillRow(strShared, QStringLiteral("00:11:22:33:44:01"));
    fillRow(strShared, QStringLiteral("00:11:22:33:44:01"));
    QCOMPARE(table()->item(0, 1)->toolTip(),
             QStringLiteral("2 answers at 127.0.0.21; reachable over HTTP: 00:11:22:33:44:01"));
    QVERIFY(table()->item(2, 1)->toolTip().endsWith(QStringLiteral("not reached over HTTP: another device answers there.")));
    for (int nColumn : {2, 3, 5, 6})
        QVERIFY2(cell(2, nColumn).isEmpty(), qPrintable(cell(2, nColumn)));
}

void TestModifyModule::saveRefusedUnlessAddressReachesItsCamera_data()
{
    QTest::addColumn<QStringList>("replyMacs");
    QTest::addColumn<bool>("sdkReport");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("refusal");
    QTest::addColumn<QString>("why");

    const QString strFirst = QStringLiteral("00:11:22:33:44:01");
    const QString strSecond = QStringLiteral("00:11:22:33:44:02");
    QTest::newRow("merged from the SDK") << QStringList{strFirst, strFirst} << true << 1 << "Shared address"
                                         << "This camera shares its address; change the other camera first";
    QTest::newRow("another answer, not reached")
        << QStringList{strFirst, strFirst} << false << 1 << "Not reachable"
        << "HTTP does not reach this answer: another device answers at its address; change that one first";
    QTest::newRow("two MACs answer HTTP")
        << QStringList{strFirst, strSecond} << false << 0 << "Address in doubt"
        << "Several cameras answer HTTP at this address in turn; a write could reach any of them";
    QTest::newRow("reachable camera of a conflict")
        << QStringList{strFirst, strFirst} << true << 0 << QString() << QString();
}

// A write goes out only when the row's MAC is the one MAC its address answers with over
// HTTP; a refusal asks nothing and sends nothing.
void TestModifyModule::saveRefusedUnlessAddressReachesItsCamera()
{
    QFETCH(QStringList, replyMacs);
    QFETCH(bool, sdkReport);
    QFETCH(int, row);
    QFETCH(QString, refusal);
    QFETCH(QString, why);

    const QString strShared = QStringLiteral("127.0.0.21");
    QList<DevInfo_S> listSdk;
    if (sdkReport)
        listSdk.append(::sdkReport(strShared, QStringLiteral("AA:00:00:00:00:02")));
    STEP(listCameras({strShared, strShared}, listSdk));
    for (const QString &strMac : qAsConst(replyMacs))
        fillRow(strShared, strMac);
    STEP(typeIntoCell(row, 1, QStringLiteral("10.0.0.31")));
    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);

    STEP(clickRowButton(kSaveButton, row));
    if (refusal.isEmpty()) {
        STEP(answerSaveQuestion());
        QCOMPARE(setSpy.count(), 1);
        QCOMPARE(setSpy.at(0).at(1).value<EthInfo_S>().strMacAddr, replyMacs.first());
        return;
    }
    QVERIFY(!CTextHintPopWidget::getInstance()->isVisible());
    QVERIFY(isToastVisible());
    QCOMPARE(toastText(), refusal);
    QCOMPARE(rowButton(kSaveButton, row)->toolTip(), why);
    QCOMPARE(setSpy.count(), 0);
}

// The address cell is the user's: a reply still finds the row it was asked for, fills what
// the user has not changed, and never lands in the row whose address the user typed.
void TestModifyModule::repliesFollowTheAddressFoundAt()
{
    const QString strFirst = QStringLiteral("127.0.0.21");
    const QString strSecond = QStringLiteral("127.0.0.22");
    STEP(listCameras({strFirst, strSecond}));
    STEP(typeIntoCell(0, 1, strSecond));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.255.0.0")));

    fillRow(strSecond, QStringLiteral("00:11:22:33:44:02"));
    QCOMPARE(cell(1, 5), QStringLiteral("00:11:22:33:44:02"));
    QVERIFY(cell(0, 5).isEmpty());
    fillRow(strFirst, QStringLiteral("00:11:22:33:44:01"));
    QCOMPARE(cell(0, 5), QStringLiteral("00:11:22:33:44:01"));
    QCOMPARE(cell(0, 1), strSecond);
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.0.0"));
    QCOMPARE(cell(0, 3), QStringLiteral("10.0.0.1"));
    QVERIFY(rowButton(kSaveButton, 0)->isEnabled());

    // The camera's own values are the row's record.
    STEP(cancelRow(0));
    QCOMPARE(cell(0, 1), strFirst);
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
}

void TestModifyModule::searchWaitsForWrites()
{
    const QString strAddress = QStringLiteral("127.0.0.21");
    STEP(listCameras({strAddress}));
    fillRow(strAddress, QStringLiteral("00:11:22:33:44:01"));
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    auto *pButton = searchButton();
    QVERIFY(pButton->isEnabled());

    STEP(confirmSave(0));
    QVERIFY(!pButton->isEnabled());
    QCOMPARE(pButton->toolTip(), QStringLiteral("Waiting for the answer to the write to 127.0.0.21"));
    // The camera's address is in doubt while it is written: its row is not saved again.
    QVERIFY(!rowButton(kSaveButton, 0)->isEnabled());
    QCOMPARE(rowButton(kSaveButton, 0)->toolTip(),
             QStringLiteral("The camera's address is in doubt until a search finds it: saving: writing 10.0.0.31 to the camera"));
    emit CommonSignal::getInstance()->sigSetEthStatus(strAddress, 1);
    QVERIFY(pButton->isEnabled());
    QVERIFY(pButton->toolTip().isEmpty());
}

// The mask check accepts leading zeros; the gateway check must too, and the camera gets
// the plain form.
void TestModifyModule::maskWithLeadingZerosGoesOutPlain()
{
    STEP(listCameras({QStringLiteral("127.0.0.21")}));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"));
    STEP(typeIntoCell(0, 1, QStringLiteral("10.0.0.31")));
    STEP(typeIntoCell(0, 2, QStringLiteral("255.255.255.000")));
    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);
    STEP(confirmSave(0));
    QCOMPARE(setSpy.count(), 1);
    QCOMPARE(setSpy.at(0).at(1).value<EthInfo_S>().strSubMask, QStringLiteral("255.255.255.0"));
    QCOMPARE(cell(0, 2), QStringLiteral("255.255.255.0"));
}

// ---------------------------------------------------------------- copy, web page, filter, keys

void TestModifyModule::copyPutsRowsOnClipboardAsCsv_data()
{
    QTest::addColumn<QList<int>>("selected");
    QTest::addColumn<QStringList>("lines");

    const QString strHeader = QStringLiteral("No.,IP Address,Subnet Mask,Gateway,DHCP,MAC,FW Version,State");
    const QString strFirst =
        QStringLiteral("1,127.0.0.21,255.255.255.0,10.0.0.1,on,00:11:22:33:44:01,\"V1.2.0,V2.0.1,V1.0.0\",settings read");
    const QString strSecond = QStringLiteral("2,127.0.0.22,,,off,,,waiting for the camera");
    const QString strThird = QStringLiteral("3,127.0.0.23,255.255.255.0,10.0.0.1,off,00:11:22:33:44:03,,settings read");
    QTest::newRow("selected rows") << QList<int>{2, 0} << QStringList{strHeader, strFirst, strThird};
    QTest::newRow("none selected: all") << QList<int>() << QStringList{strHeader, strFirst, strSecond, strThird};
}

void TestModifyModule::copyPutsRowsOnClipboardAsCsv()
{
    QFETCH(QList<int>, selected);
    QFETCH(QStringList, lines);

    STEP(listCameras({QStringLiteral("127.0.0.21"), QStringLiteral("127.0.0.22"), QStringLiteral("127.0.0.23")}));
    emit CommonSignal::getInstance()->sigUpdateFwVersion(QStringLiteral("127.0.0.21"), fwVersion("V2.0.1", "V1.2.0", "V1.0.0"));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"), 1);
    fillRow(QStringLiteral("127.0.0.23"), QStringLiteral("00:11:22:33:44:03"));
    table()->clearSelection();
    for (int row : qAsConst(selected))
        table()->selectionModel()->select(table()->model()->index(row, 0),
                                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QApplication::clipboard()->clear();
    table()->setFocus();
    QTest::keyClick(table(), Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QApplication::clipboard()->text(), lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

// Rows are hidden, never removed, and the status line says how many are shown.
void TestModifyModule::filterHidesRowsThatDoNotMatch()
{
    STEP(listCameras({QStringLiteral("127.0.0.21"), QStringLiteral("127.0.0.22"), QStringLiteral("127.0.0.23")}));
    fillRow(QStringLiteral("127.0.0.22"), QStringLiteral("00:11:22:33:44:AB"));
    auto *pFilter = m_pView->findChild<QLineEdit *>(QStringLiteral("filterEdit"));
    QVERIFY(pFilter);
    QTest::keyClicks(pFilter, QStringLiteral("44:ab"));
    QCOMPARE(table()->rowCount(), 3);
    QCOMPARE(QList<bool>({table()->isRowHidden(0), table()->isRowHidden(1), table()->isRowHidden(2)}),
             QList<bool>({true, false, true}));
    QVERIFY(m_pView->findChild<QLabel *>(QStringLiteral("siteStatusText"))->text().startsWith(QStringLiteral("3 cameras · 1 shown")));
    pFilter->clear();
    QVERIFY(!table()->isRowHidden(0) && !table()->isRowHidden(2));
}

// The page goes to the desktop through the seam; an address that is no camera's is never opened.
void TestModifyModule::webPageOfRowOpensItsAddress()
{
    static QList<QUrl> s_listOpened;
    s_listOpened.clear();
    DesktopOpener::setOpener([](const QUrl &url) {
        s_listOpened.append(url);
        return true;
    });
    STEP(listCameras({QStringLiteral("127.0.0.21"), QStringLiteral("0.0.0.9")}));
    QList<bool> listEnabled;
    for (int row : {0, 1}) {
        QTimer::singleShot(0, this, [&listEnabled] {
            auto *pMenu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(pMenu);
            const QList<QAction *> listActions = pMenu->actions();
            const auto itPage = std::find_if(listActions.cbegin(), listActions.cend(), [](const QAction *pAction) {
                return pAction->text() == QLatin1String("Open web page");
            });
            QVERIFY(itPage != listActions.cend());
            listEnabled.append((*itPage)->isEnabled());
            (*itPage)->trigger();
            pMenu->close();
        });
        const QPoint center = table()->visualItemRect(table()->item(row, 1)).center();
        emit table()->customContextMenuRequested(center);
    }
    DesktopOpener::setOpener(nullptr);
    QCOMPARE(listEnabled, QList<bool>({true, false}));
    QCOMPARE(s_listOpened, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.21/"))});
}

// F5 searches while "Search" may; Escape answers the question "no"; Enter commits a cell.
// The keys are window shortcuts, so the window must be the active one.
void TestModifyModule::keysSearchAnswerAndCommit()
{
    m_pView->activateWindow();
    if (!QTest::qWaitForWindowActive(m_pView.data()))
        QSKIP("This platform does not activate windows, so no window shortcut can fire");
    STEP(listCameras({QStringLiteral("127.0.0.21")}));
    fillRow(QStringLiteral("127.0.0.21"), QStringLiteral("00:11:22:33:44:01"));
    QTableWidget *pTable = table();
    const QPoint center = pTable->visualItemRect(pTable->item(0, 1)).center();
    QTest::mouseClick(pTable->viewport(), Qt::LeftButton, {}, center);
    QTest::mouseDClick(pTable->viewport(), Qt::LeftButton, {}, center);
    QLineEdit *pEditor = nullptr;
    QTRY_VERIFY((pEditor = pTable->viewport()->findChild<QLineEdit *>()) && pEditor->isVisible());
    pEditor->selectAll();
    QTest::keyClicks(pEditor, QStringLiteral("10.0.0.31"));
    QTest::keyClick(pEditor, Qt::Key_Enter, Qt::KeypadModifier);
    QTRY_COMPARE(cell(0, 1), QStringLiteral("10.0.0.31"));

    QSignalSpy setSpy(CommonSignal::getInstance(), &CommonSignal::sigSetEthInfo);
    STEP(clickRowButton(kSaveButton, 0));
    QTRY_VERIFY(CTextHintPopWidget::getInstance()->isVisible());
    QTest::keyClick(QApplication::activeWindow(), Qt::Key_Escape);
    QVERIFY(!CTextHintPopWidget::getInstance()->isVisible());
    QCOMPARE(setSpy.count(), 0);

    // Here the question and the toast are windows of their own; in the program they lie in it.
    const auto pressF5 = [this] {
        ToastHintWidget::getInstance()->hide();
        m_pView->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_pView.data()));
        QTest::keyClick(m_pView->window(), Qt::Key_F5);
    };
    QSignalSpy searchSpy(CommonSignal::getInstance(), &CommonSignal::sigSearchNetwork);
    STEP(confirmSave(0));
    STEP(pressF5());
    QCOMPARE(searchSpy.count(), 0);
    emit CommonSignal::getInstance()->sigSetEthStatus(QStringLiteral("127.0.0.21"), 1);
    STEP(pressF5());
    QCOMPARE(searchSpy.count(), 1);
}

QTEST_MAIN(TestModifyModule)
#include "tst_modifymodule.moc"
