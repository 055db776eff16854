#include <QtTest>

#include <QTcpServer>
#include <QTemporaryDir>

#include "net/addressprobe.h"
#include "net/neighbourtable.h"
#include "validate/contactpolicy.h"

namespace {

const QByteArray kTableHead = "IP address       HW type     Flags       HW address            Mask     Device\n";
const QString kSilent = QStringLiteral("10.253.0.77");
constexpr int kWaitMs = 10000;

QByteArray tableRow(const char *szFlags, const char *szAddress = "10.253.0.77")
{
    return QByteArray(szAddress) + "      0x1         " + szFlags + "         02:00:00:00:00:77     *        kvtest0\n";
}

// The computer's interfaces as these tests see them: one link, 10.253.0.0/24.
QList<QNetworkAddressEntry> localEntries()
{
    QNetworkAddressEntry entry;
    entry.setIp(QHostAddress(QStringLiteral("10.253.0.1")));
    entry.setPrefixLength(24);
    return {entry};
}

// Writes @p baTable where a probe can read it; a null table leaves no file there.
QString writeTable(const QTemporaryDir &dir, const QByteArray &baTable)
{
    const QString strPath = dir.filePath(QStringLiteral("arp"));
    QFile file(strPath);
    if (!baTable.isNull() && file.open(QIODevice::WriteOnly))
        file.write(baTable);
    return strPath;
}

} // namespace

Q_DECLARE_METATYPE(AddressProbe::Verdict)

class TestAddressProbe : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void answeringAddressesAreTaken();
    void emptyListFinishesAtOnce();
    void silentAddressJudged_data();
    void silentAddressJudged();
    void silentAddressOnTheLink();
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

void TestAddressProbe::silentAddressJudged_data()
{
    QTest::addColumn<QString>("strAddress");
    QTest::addColumn<QByteArray>("baTable");
    QTest::addColumn<bool>("bResolutionOver");
    QTest::addColumn<AddressProbe::Verdict>("verdict");

    const QByteArray baResolving = kTableHead + tableRow("0x0");
    QTest::newRow("complete entry") << kSilent << kTableHead + tableRow("0x2") << false << AddressProbe::Taken;
    QTest::newRow("complete and permanent") << kSilent << kTableHead + tableRow("0x6") << true << AddressProbe::Taken;
    QTest::newRow("complete on a second interface") << kSilent << baResolving + tableRow("0x2") << true << AddressProbe::Taken;
    QTest::newRow("still resolving") << kSilent << baResolving << false << AddressProbe::NotYet;
    QTest::newRow("resolution failed") << kSilent << baResolving << true << AddressProbe::Free;
    QTest::newRow("no entry, another address complete") << kSilent << kTableHead + tableRow("0x2", "10.253.0.7") << false
                                                        << AddressProbe::NotYet;
    QTest::newRow("outside the computer's subnets") << QStringLiteral("10.254.0.77") << kTableHead << true
                                                    << AddressProbe::Taken;
    QTest::newRow("table unreadable") << kSilent << QByteArray() << true << AddressProbe::Taken;
}

// An address whose connection neither opened nor was refused, judged from the computer's
// subnets and a neighbour table written here.
void TestAddressProbe::silentAddressJudged()
{
    QFETCH(QString, strAddress);
    QFETCH(QByteArray, baTable);
    QFETCH(bool, bResolutionOver);
    QFETCH(AddressProbe::Verdict, verdict);
    const QTemporaryDir dir;
    QCOMPARE(AddressProbe::judgeSilent(strAddress, localEntries(), writeTable(dir, baTable), bResolutionOver), verdict);
}

// Run inside a network namespace where KESTROVA_TEST_LOCAL_ADDRESS sits on a link on which
// nobody answers the address resolution: the kernel's table shows the address unanswered
// once the resolution has failed; a table written here shows a host.
void TestAddressProbe::silentAddressOnTheLink()
{
    if (!QHostAddress(qEnvironmentVariable("KESTROVA_TEST_LOCAL_ADDRESS")).isInSubnet(QHostAddress(kSilent), 24))
        QSKIP("needs KESTROVA_TEST_LOCAL_ADDRESS in 10.253.0.0/24, on a link of a private network namespace");
    const QTemporaryDir dir;
    for (const bool bTableHere : {false, true}) {
        AddressProbe probe;
        if (bTableHere)
            probe.setNeighbourTablePath(writeTable(dir, kTableHead + tableRow("0x2")));
        QSignalSpy finishedSpy(&probe, &AddressProbe::sigFinished);
        probe.probe({kSilent});
        QTRY_COMPARE_WITH_TIMEOUT(finishedSpy.count(), 1, kWaitMs);
        QCOMPARE(finishedSpy.first().first().value<QSet<QString>>().contains(kSilent), bTableHere);
    }
}

QTEST_GUILESS_MAIN(TestAddressProbe)
#include "tst_addressprobe.moc"
