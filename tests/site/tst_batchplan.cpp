#include <QtTest>

#include "site/batchplan.h"

namespace {

QList<BatchPlan::Entry_S> cameras(int nCount)
{
    QList<BatchPlan::Entry_S> listCameras;
    for (int nIndex = 0; nIndex < nCount; ++nIndex) {
        BatchPlan::Entry_S stEntry;
        stEntry.nRowId = quint64(nIndex + 1);
        stEntry.strMac = QStringLiteral("02:00:00:00:00:%1").arg(nIndex, 2, 10, QLatin1Char('0'));
        stEntry.strCurrent = QStringLiteral("192.168.1.%1").arg(100 + nIndex);
        listCameras.append(stEntry);
    }
    return listCameras;
}

} // namespace

class TestBatchPlan : public QObject
{
    Q_OBJECT

private slots:
    void plan_data();
    void plan();
};

void TestBatchPlan::plan_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("gateway");
    QTest::addColumn<QStringList>("held");
    QTest::addColumn<QStringList>("planned");
    QTest::addColumn<QStringList>("skipped");
    QTest::addColumn<QString>("error");

    const QString strMask24 = QStringLiteral("255.255.255.0");
    QTest::newRow("counts up") << 3 << "10.0.0.20" << strMask24 << "10.0.0.1" << QStringList()
                               << QStringList{"10.0.0.20", "10.0.0.21", "10.0.0.22"} << QStringList() << QString();
    QTest::newRow("skips held, the gateway and own addresses")
        << 3 << "10.0.0.20" << strMask24 << "10.0.0.21" << QStringList{"10.0.0.20", "10.0.0.23"}
        << QStringList{"10.0.0.22", "10.0.0.24", "10.0.0.25"} << QStringList{"10.0.0.20", "10.0.0.21", "10.0.0.23"}
        << QString();
    QTest::newRow("crosses .254 and .255 into the next /24 of a /16")
        << 4 << "10.0.0.253" << "255.255.0.0" << "10.0.0.1" << QStringList()
        << QStringList{"10.0.0.253", "10.0.0.254", "10.0.1.1", "10.0.1.2"} << QStringList() << QString();
    QTest::newRow("stops at the end of a /24") << 4 << "10.0.0.253" << strMask24 << "10.0.0.1" << QStringList()
                                               << QStringList{"10.0.0.253", "10.0.0.254"} << QStringList() << QString();
    QTest::newRow("skips the broadcast address of a /28") << 3 << "10.1.1.13" << "255.255.255.240" << "10.1.1.1"
                                                          << QStringList() << QStringList{"10.1.1.13", "10.1.1.14"}
                                                          << QStringList() << QString();
    QTest::newRow("start at the network address of a /28")
        << 1 << "10.1.1.16" << "255.255.255.240" << "10.1.1.17" << QStringList() << QStringList() << QStringList()
        << "the start address 10.1.1.16 cannot be given to a camera";
    QTest::newRow("start fails the address check") << 2 << "10.0.0.255" << strMask24 << "10.0.0.1" << QStringList()
                                                   << QStringList() << QStringList() << "the start address 10.0.0.255 cannot be given to a camera";
    QTest::newRow("loopback start") << 2 << "127.0.0.5" << strMask24 << "127.0.0.1" << QStringList() << QStringList() << QStringList()
                                    << "the start address 127.0.0.5 cannot be given to a camera";
    QTest::newRow("mask with mixed bits") << 2 << "10.0.0.20" << "255.0.255.0" << "10.0.0.1" << QStringList()
                                          << QStringList() << QStringList() << "255.0.255.0 is not a subnet mask";
    QTest::newRow("gateway outside the mask") << 2 << "10.0.0.20" << strMask24 << "10.0.1.1" << QStringList()
                                              << QStringList() << QStringList()
                                              << "the gateway 10.0.1.1 is not in the subnet of 10.0.0.20 with mask 255.255.255.0";
}

// Every planned address is new, in the subnet, and passes the checks; held addresses are
// passed over; a plan that cannot be made says why and plans nothing.
void TestBatchPlan::plan()
{
    QFETCH(int, count);
    QFETCH(QString, start);
    QFETCH(QString, mask);
    QFETCH(QString, gateway);
    QFETCH(QStringList, held);
    QFETCH(QStringList, planned);
    QFETCH(QStringList, skipped);
    QFETCH(QString, error);

    const BatchPlan batchPlan(cameras(count), start, mask, gateway, QSet<QString>(held.cbegin(), held.cend()));
    QCOMPARE(batchPlan.error(), error);
    QCOMPARE(batchPlan.plannedAddresses(), planned);
    const QList<BatchPlan::Entry_S> listEntries = batchPlan.entries();
    QCOMPARE(listEntries.size(), count);
    for (int nIndex = 0; nIndex < count; ++nIndex) {
        QCOMPARE(listEntries.at(nIndex).nRowId, quint64(nIndex + 1));
        QCOMPARE(listEntries.at(nIndex).strNew, planned.value(nIndex));
    }
    QCOMPARE(batchPlan.skippedAddresses(), skipped);
}

QTEST_GUILESS_MAIN(TestBatchPlan)
#include "tst_batchplan.moc"
