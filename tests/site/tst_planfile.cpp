#include <QtTest>

#include "site/macaddress.h"
#include "site/planfile.h"

class TestPlanFile : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void sameMac_data();
    void sameMac();
};

void TestPlanFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");     // "line MAC address mask gateway label"
    QTest::addColumn<QStringList>("refusals");  // "line: reason"
    QTest::addColumn<QString>("error");

    const QByteArray baHeader = "mac,address,mask,gateway,label\n";
    const QString strNoHeader = "not a plan: no header row naming the columns mac, address, mask and gateway once each";
    const QString strBinary = "not a plan: the file holds binary data, not UTF-8 text";
    QTest::newRow("comma, LF, colons") << QByteArray("mac,address,mask,gateway\naa:bb:cc:dd:ee:01,10.0.0.5,255.255.255.0,10.0.0.1")
                                       << QStringList{"2 AA:BB:CC:DD:EE:01 10.0.0.5 255.255.255.0 10.0.0.1 "} << QStringList() << "";
    QTest::newRow("semicolon, CRLF, BOM, any order and case")
        << QByteArray("\xEF\xBB\xBF Gateway ; MAC;Label;address;MASK\r\n\r\n10.0.0.1;aa-bb-cc-dd-ee-02;Gate, 1;10.0.0.6;255.255.255.0\r\n")
        << QStringList{"3 AA:BB:CC:DD:EE:02 10.0.0.6 255.255.255.0 10.0.0.1 Gate, 1"} << QStringList() << "";
    QTest::newRow("quoted fields, other notations, blank and extra columns")
        << baHeader.left(baHeader.size() - 1) + ",,notes\n\"aabb.ccdd.ee03\",10.0.0.7,255.255.0.0,10.0.0.1,\"Hall; \"\"north\"\"\nwing\",,x\n"
               ",,,,,,\nAABBCCDDEE04,10.0.0.8,255.255.0.0,10.0.0.1,,,\n"
        << QStringList{"2 AA:BB:CC:DD:EE:03 10.0.0.7 255.255.0.0 10.0.0.1 Hall; \"north\"\nwing",
                       "5 AA:BB:CC:DD:EE:04 10.0.0.8 255.255.0.0 10.0.0.1 "}
        << QStringList() << "";
    QTest::newRow("bad lines") << baHeader + "aa:bb-cc:dd:ee:05,10.0.0.9,255.255.255.0,10.0.0.1,\n"
                                             "aa:bb:cc:dd:ee:06,10.0.0.9,,10.0.0.1,\naa:bb:cc:dd:ee:07,10.0.0.9\n"
                                             "aa:bb:cc:dd:ee:08,10.0.0.9,255.255.255.0,10.0.0.1,,\n"
                                             "aa:bb:cc:dd:ee:09,10.0.0.9,255.255.255.0,10.0.0.1,\"open\n"
                               << QStringList()
                               << QStringList{"2: bad MAC aa:bb-cc:dd:ee:05", "3: no mask", "4: 2 fields where the header has 5",
                                              "5: 6 fields where the header has 5", "6: a quote is not closed"}
                               << "";
    QTest::newRow("header only") << baHeader << QStringList() << QStringList() << "the plan has no lines below its header";
    QTest::newRow("empty") << QByteArray() << QStringList() << QStringList() << strNoHeader;
    QTest::newRow("junk") << QByteArray("hello,world\nmac address mask gateway\n") << QStringList() << QStringList() << strNoHeader;
    QTest::newRow("a column twice") << QByteArray("mac,address,mask,gateway,MAC\n") << QStringList() << QStringList() << strNoHeader;
    QTest::newRow("NUL byte") << baHeader + QByteArray(1, '\0') << QStringList() << QStringList() << strBinary;
    QTest::newRow("not UTF-8") << baHeader + "\xC0\xAF\n" << QStringList() << QStringList() << strBinary;
    QTest::newRow("10 MB of junk") << QByteArray(10 * PlanFile::kMaxBytes, 'x') << QStringList() << QStringList()
                                   << "not a plan: the file is larger than 1024 KiB";
}

// Bytes and a file of them read alike.
void TestPlanFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QFETCH(QStringList, refusals);
    QFETCH(QString, error);

    QTemporaryFile file;
    QVERIFY(file.open() && file.write(bytes) == bytes.size() && file.flush());
    for (const PlanFile &planFile : {PlanFile::parse(bytes), PlanFile::read(file.fileName())}) {
        QStringList listLines;
        for (const PlanFile::Line_S &stLine : planFile.lines())
            listLines.append(QStringList{QString::number(stLine.nLine), stLine.strMac, stLine.strAddress, stLine.strMask,
                                         stLine.strGateway, stLine.strLabel}.join(' '));
        QStringList listRefusals;
        for (const PlanFile::Refusal_S &stRefusal : planFile.refusals())
            listRefusals.append(QString::number(stRefusal.nLine) + ": " + stRefusal.strReason);
        QCOMPARE(listLines, lines);
        QCOMPARE(listRefusals, refusals);
        QCOMPARE(planFile.error(), error);
    }
}

void TestPlanFile::sameMac_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<bool>("same");

    QTest::newRow("notations and case") << "aabb.ccdd.eeff" << "AA-BB-CC-DD-EE-FF" << true;
    QTest::newRow("bare digits") << "AABBCCDDEEFF" << "aa:bb:cc:dd:ee:ff" << true;
    QTest::newRow("other MAC") << "aa:bb:cc:dd:ee:fe" << "aa:bb:cc:dd:ee:ff" << false;
    QTest::newRow("blank around") << " aa:bb:cc:dd:ee:ff" << "aa:bb:cc:dd:ee:ff" << false;
    QTest::newRow("short group") << "aa:bb:cc:dd:ee:f" << "aabbccddeef" << false;
    QTest::newRow("dots in pairs") << "aa.bb.cc.dd.ee.ff" << "aa.bb.cc.dd.ee.ff" << false;
    QTest::newRow("not hex") << "gg:bb:cc:dd:ee:ff" << "gg:bb:cc:dd:ee:ff" << false;
    QTest::newRow("both empty") << "" << "" << false;
}

void TestPlanFile::sameMac()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(bool, same);
    QCOMPARE(MacAddress::isSame(first, second), same);
}

QTEST_GUILESS_MAIN(TestPlanFile)
#include "tst_planfile.moc"
