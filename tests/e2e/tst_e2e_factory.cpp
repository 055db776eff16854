// Cameras straight out of the box in the lab: twenty cameras answer at one factory address,
// one at a time, and the next one only after the one before has left it and a handover delay
// has passed. The run readdresses them in turn, each checked before and proven after.

#include <QtTest>

#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "deviceviewdriver.h"
#include "labprogram.h"
#include "labsession.h"
#include "net/chttp.h"
#include "site/sharedaddressrun.h"
#include "support/teststep.h"
#include "ui/batchassigndialog.h"
#include "ui/modifymodule.h"
#include "ui/rowactions.h"
#include "widgets/ctextbutton.h"

namespace {

const QString kFactory = QStringLiteral("10.77.0.200");
constexpr int kFactoryCameras = 20;
const QString kStart = QStringLiteral("10.77.3.1");
const QString kMask = QStringLiteral("255.255.0.0");
const QString kGateway = QStringLiteral("10.77.0.1");
const QString kSetEnv = QStringLiteral("SetEnv");

constexpr int kWatchIntervalMs = 500;
constexpr int kWatchLimitMs = 15000;
constexpr int kHandoverWaitMs = 8000;
constexpr int kSearchTimeoutMs = 15000;
constexpr int kPlanTimeoutMs = 20000;
constexpr int kRunTimeoutMs = 200000;

} // namespace

class TestE2eFactory : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void readdressesTheBoxOneAtATime();

private:
    void confirmPlan();
    QStringList factoryCameras() const;

    LabSession m_lab;
    LabProgram m_program;
};

void TestE2eFactory::initTestCase()
{
    if (!m_lab.isAvailable())
        QSKIP(qPrintable(m_lab.unavailableReason()));
    STEP(m_program.start(m_lab));
    STEP(m_program.driver()->setRebootWatchTiming(kWatchIntervalMs, kWatchLimitMs));
    auto *pRun = m_program.driver()->view()->findChild<SharedAddressRun *>();
    QVERIFY(pRun);
    pRun->setHandoverWait(kHandoverWaitMs);
}

void TestE2eFactory::cleanupTestCase()
{
    m_program.stop();
}

// The indexes of the cameras at the factory address, from the lab's CAMERA lines.
QStringList TestE2eFactory::factoryCameras() const
{
    QStringList listCameras;
    for (const LabLine_S &stLine : m_lab.lines(0, QStringLiteral("CAMERA"), {{QStringLiteral("ip"), kFactory}}))
        listCameras.append(stLine.hashField.value(QStringLiteral("cam")));
    return listCameras;
}

// The plan for the factory address, as its rows' menu opens it: one address per answer.
void TestE2eFactory::confirmPlan()
{
    m_program.driver()->view()->findChild<RowActions *>()->openSharedDialog(kFactory);
    auto *pDialog = m_program.driver()->view()->window()->findChild<BatchAssignDialog *>();
    QVERIFY(pDialog && pDialog->isVisible());
    QVERIFY(pDialog->findChild<QLabel *>(QStringLiteral("noteText"))->text().contains(QLatin1String("reboot + 45 s")));
    for (const auto &field : QList<QPair<const char *, QString>>{{"startEdit", kStart}, {"maskEdit", kMask},
                                                                {"gatewayEdit", kGateway}})
        pDialog->findChild<QLineEdit *>(QLatin1String(field.first))->setText(field.second);
    QTest::mouseClick(pDialog->findChild<CTextButton *>(QStringLiteral("checkBtn")), Qt::LeftButton);
    auto *pAssign = pDialog->findChild<CTextButton *>(QStringLiteral("assignBtn"));
    QTRY_VERIFY_WITH_TIMEOUT(pAssign->isEnabled(), kPlanTimeoutMs);
    QTest::mouseClick(pAssign, Qt::LeftButton);
}

// Every camera of the box ends at a planned address of its own, proven by its MAC; exactly one
// "SetEnv" reached each, at the factory address, carrying its own MAC. In the second lab one
// camera refuses the write and one never comes back: the other 18 are proven, all are named.
void TestE2eFactory::readdressesTheBoxOneAtATime()
{
    const QStringList listFactory = factoryCameras();
    QCOMPARE(listFactory.size(), kFactoryCameras);
    STEP(m_program.driver()->search(kSearchTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(CHttp::getInstance()->pendingCount(), 0, kSearchTimeoutMs);
    QCOMPARE(m_program.driver()->rowsOf(kFactory).size(), kFactoryCameras);
    const int nFrom = m_lab.lineCount();
    STEP(confirmPlan());
    QVERIFY(!m_program.driver()->searchButton()->isEnabled());
    auto *pStatus = m_program.driver()->view()->findChild<QLabel *>(QStringLiteral("siteStatusText"));
    QTRY_VERIFY_WITH_TIMEOUT(pStatus->toolTip().contains(QStringLiteral("cameras at %1 readdressed").arg(kFactory)), kRunTimeoutMs);

    QSet<QString> setNew;
    const QString strSummary = pStatus->toolTip();
    for (const QString &strCam : listFactory) {
        const LabCamera_S stCamera = m_lab.camera(strCam);
        const QList<LabLine_S> listWrites = m_lab.lines(nFrom, QStringLiteral("REQ"), {{QStringLiteral("cmd"), kSetEnv},
                                                                                      {QStringLiteral("cam"), strCam}});
        QCOMPARE(listWrites.size(), 1);
        QCOMPARE(listWrites.first().hashField.value(QStringLiteral("ip")), kFactory);
        QCOMPARE(LabSession::setEnvEth(listWrites.first()).value(QStringLiteral("szMacAddr")).toString(), stCamera.strMac);
        QVERIFY2(strSummary.contains(stCamera.strMac), qPrintable(strSummary));
        if (strSummary.contains(stCamera.strMac + QStringLiteral(" to ") + stCamera.strIp + QStringLiteral(": back at its new address")))
            setNew.insert(stCamera.strIp);
    }
    QCOMPARE(m_lab.lines(nFrom, QStringLiteral("REQ"), {{QStringLiteral("cmd"), kSetEnv}}).size(), kFactoryCameras);
    const bool bTroubled = std::any_of(listFactory.cbegin(), listFactory.cend(),
                                       [this](const QString &strCam) { return m_lab.camera(strCam).nSetEnvStatus != 0; });
    QCOMPARE(setNew.size(), bTroubled ? kFactoryCameras - 2 : kFactoryCameras);
    QVERIFY(!setNew.contains(kFactory));
    QVERIFY(m_program.driver()->searchButton()->isEnabled());
}

QTEST_MAIN(TestE2eFactory)
#include "tst_e2e_factory.moc"
