#include <QtTest>

#include <memory>

#include "net/chttp.h"
#include "net/commandurl.h"
#include "net/rebootwatch.h"
#include "support/fakehttpcamera.h"
#include "validate/contactpolicy.h"

namespace {

const QString kOldAddress = QStringLiteral("127.0.0.51");
const QString kNewAddress = QStringLiteral("127.0.0.52");
const QString kMac = QStringLiteral("00:11:22:33:44:52");
const QString kOtherMac = QStringLiteral("00:11:22:33:44:99");
const EthInfo_S kWritten{kNewAddress, QStringLiteral("255.255.255.0"), QStringLiteral("192.168.1.1"), kMac, 0, {}, {}};
constexpr int kIntervalMs = 100;
constexpr int kLimitMs = 1500;
// A reboot: down shortly after the first question, up again some questions later.
constexpr int kDownAfterMs = 50;
constexpr int kDownForMs = 400;
constexpr int kWaitMs = 10000;

// A camera on the camera port of @p strAddress, reporting @p strMac and the written values.
std::unique_ptr<FakeHttpCamera> startCamera(const QString &strAddress, const QString &strMac)
{
    auto pCamera = std::make_unique<FakeHttpCamera>();
    if (!pCamera->listen(QHostAddress(strAddress), CommandUrl::HTTP_PORT))
        return nullptr;
    pCamera->setGetEnvMac(strMac, kNewAddress);
    return pCamera;
}

} // namespace

class TestRebootWatch : public QObject
{
    Q_OBJECT

private slots:
    // Loopback stands in for the LAN here; outside tests the program never contacts it.
    void initTestCase() { ContactPolicy::setLoopbackAllowed(true); }
    void cleanup() { CHttp::destroyInstance(); }
    void goneThenBack_data();
    void goneThenBack();
};

void TestRebootWatch::goneThenBack_data()
{
    QTest::addColumn<QString>("strGoneAt");
    QTest::addColumn<QString>("strOldMac");
    QTest::addColumn<QString>("strNewMac");
    QTest::addColumn<bool>("bReboots");
    QTest::addColumn<QString>("strResult");

    QTest::newRow("gone from the old address, back at the new") << kOldAddress << QString() << kMac << false << "back";
    QTest::newRow("another device keeps the old address") << kOldAddress << kOtherMac << kMac << false << "back";
    QTest::newRow("same address, rebooted") << kNewAddress << QString() << kMac << true << "back";
    QTest::newRow("same address, never gone") << kNewAddress << QString() << kMac << false
        << "not seen: asked 127.0.0.52 for 1 s; last: still answering at 127.0.0.52: not rebooted yet";
    QTest::newRow("another camera at the new") << kOldAddress << QString() << kOtherMac << false << "other: " + kOtherMac;
}

void TestRebootWatch::goneThenBack()
{
    QFETCH(QString, strGoneAt);
    QFETCH(QString, strOldMac);
    QFETCH(QString, strNewMac);
    QFETCH(bool, bReboots);
    QFETCH(QString, strResult);
    std::unique_ptr<FakeHttpCamera> pOld = strOldMac.isEmpty() ? nullptr : startCamera(kOldAddress, strOldMac);
    std::unique_ptr<FakeHttpCamera> pNew = startCamera(kNewAddress, strNewMac);
    if (!pNew || (!strOldMac.isEmpty() && !pOld))
        QSKIP("cannot listen on port 80 of 127.0.0.51 and .52 (the fake cameras need root)");
    if (bReboots) {
        connect(pNew.get(), &FakeHttpCamera::requestReceived, this, [&] {
            QTimer::singleShot(kDownAfterMs, this, [&] { pNew.reset(); });
            QTimer::singleShot(kDownAfterMs + kDownForMs, this, [&] { pNew = startCamera(kNewAddress, strNewMac); });
        });
    }
    RebootWatch watch;
    watch.setTiming(kIntervalMs, kLimitMs);
    QStringList listSeen;
    connect(&watch, &RebootWatch::sigBack, this, [&listSeen] { listSeen << QStringLiteral("back"); });
    connect(&watch, &RebootWatch::sigNotSeen, this, [&listSeen](int, QString strWhy) { listSeen << "not seen: " + strWhy; });
    connect(&watch, &RebootWatch::sigOtherCamera, this, [&listSeen](int, QString strMac) { listSeen << "other: " + strMac; });

    watch.watch(1, kWritten, strGoneAt);
    QTRY_COMPARE_WITH_TIMEOUT(listSeen, QStringList{strResult}, kWaitMs);
}

QTEST_GUILESS_MAIN(TestRebootWatch)
#include "tst_rebootwatch.moc"
