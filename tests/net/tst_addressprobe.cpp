#include <QtTest>

#include <QTcpServer>

#include "net/addressprobe.h"
#include "validate/contactpolicy.h"

class TestAddressProbe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void answeringAddressesAreTaken();
    void emptyListFinishesAtOnce();
};

// Loopback stands in for the LAN here; outside tests the program never contacts it.
void TestAddressProbe::initTestCase()
{
    ContactPolicy::setLoopbackAllowed(true);
}

void TestAddressProbe::cleanupTestCase()
{
    ContactPolicy::setLoopbackAllowed(false);
}

// A listener and a refusal both show a device at the address; addresses that are no
// camera's are reported taken without a connection attempt.
void TestAddressProbe::answeringAddressesAreTaken()
{
    QTcpServer listener;
    QVERIFY(listener.listen(QHostAddress(QStringLiteral("127.0.0.61"))));
    int nAccepted = 0;
    connect(&listener, &QTcpServer::newConnection, this, [&] {
        while (QTcpSocket *pSocket = listener.nextPendingConnection()) {
            ++nAccepted;
            pSocket->deleteLater();
        }
    });
    AddressProbe probe;
    probe.setPort(listener.serverPort());
    QSignalSpy finishedSpy(&probe, &AddressProbe::sigFinished);
    probe.probe({QStringLiteral("127.0.0.61"), QStringLiteral("127.0.0.62"), QStringLiteral("127.0.0.61"),
                 QStringLiteral("224.0.0.1"), QStringLiteral("evil.example")});

    QTRY_COMPARE(finishedSpy.count(), 1);
    const QSet<QString> setTaken = finishedSpy.first().first().value<QSet<QString>>();
    QCOMPARE(setTaken, (QSet<QString>{QStringLiteral("127.0.0.61"), QStringLiteral("127.0.0.62"),
                                      QStringLiteral("224.0.0.1"), QStringLiteral("evil.example")}));
    QTRY_COMPARE(nAccepted, 1);
}

void TestAddressProbe::emptyListFinishesAtOnce()
{
    AddressProbe probe;
    QSignalSpy finishedSpy(&probe, &AddressProbe::sigFinished);
    probe.probe({});
    QCOMPARE(finishedSpy.count(), 1);
    QVERIFY(finishedSpy.first().first().value<QSet<QString>>().isEmpty());
}

QTEST_GUILESS_MAIN(TestAddressProbe)
#include "tst_addressprobe.moc"
