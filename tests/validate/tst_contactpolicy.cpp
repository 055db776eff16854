#include <QtTest>

#include "validate/contactpolicy.h"

class TestContactPolicy : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void addressesThatAreNoCamera_data();
    void addressesThatAreNoCamera();
    void loopbackOnlyThroughTheSeam();
};

void TestContactPolicy::cleanup()
{
    ContactPolicy::setLoopbackAllowed(false);
}

void TestContactPolicy::addressesThatAreNoCamera_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("contact");

    QTest::newRow("private LAN") << "192.168.1.64" << true;
    QTest::newRow("class A host") << "10.77.0.10" << true;
    QTest::newRow("last below this network") << "1.0.0.1" << true;
    QTest::newRow("this network") << "0.0.0.0" << false;
    QTest::newRow("this network, host part") << "0.1.2.3" << false;
    QTest::newRow("loopback") << "127.0.0.1" << false;
    QTest::newRow("loopback, other host") << "127.255.1.2" << false;
    QTest::newRow("below multicast") << "223.255.255.254" << true;
    QTest::newRow("multicast, first") << "224.0.0.1" << false;
    QTest::newRow("multicast, search group") << "234.200.200.1" << false;
    QTest::newRow("reserved") << "240.0.0.1" << false;
    QTest::newRow("broadcast") << "255.255.255.255" << false;
    QTest::newRow("not a dotted quad") << "evil.example" << false;
    QTest::newRow("short form of loopback") << "127.1" << false;
}

void TestContactPolicy::addressesThatAreNoCamera()
{
    QFETCH(QString, address);
    QFETCH(bool, contact);
    QCOMPARE(ContactPolicy::mayContact(address), contact);
    QCOMPARE(ContactPolicy::refusalReason(address).isEmpty(), contact);
}

void TestContactPolicy::loopbackOnlyThroughTheSeam()
{
    ContactPolicy::setLoopbackAllowed(true);
    QVERIFY(ContactPolicy::mayContact(QStringLiteral("127.0.0.21")));
    QVERIFY(!ContactPolicy::mayContact(QStringLiteral("0.0.0.0")));
    QVERIFY(!ContactPolicy::mayContact(QStringLiteral("255.255.255.255")));
    ContactPolicy::setLoopbackAllowed(false);
    QVERIFY(!ContactPolicy::mayContact(QStringLiteral("127.0.0.21")));
}

QTEST_GUILESS_MAIN(TestContactPolicy)
#include "tst_contactpolicy.moc"
