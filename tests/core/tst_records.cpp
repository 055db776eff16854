#include <QtTest>

#include <cstddef>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"
#include "core/nametables.h"
#include "core/quillbootsearch_s.h"
#include "net/commontool.h"
#include "support/records.h"

namespace {

// A reply datagram: magic, request id and port little-endian, then the address bytes.
QByteArray replyBytes(qint32 nPort, const QByteArray &baAddress)
{
    QByteArray baData(12, '\0');
    qToLittleEndian<quint32>(0x12564387u, baData.data());
    qToLittleEndian<quint32>(0xA1B2C3D4u, baData.data() + 4);
    qToLittleEndian<qint32>(nPort, baData.data() + 8);
    return baData + baAddress;
}

} // namespace

class TestRecords : public QObject
{
    Q_OBJECT

private slots:
    void defaults();
    void copiesAreMemberWise();
    void searchRecordLayout();
    void parseReply_data();
    void parseReply();
    void searchRecordRoundTrip();
    void cmdName_data();
    void cmdName();
    void resultName_data();
    void resultName();
    void cmdIndex_data();
    void cmdIndex();
};

void TestRecords::defaults()
{
    QCOMPARE(ethInfoFields(EthInfo_S()), QStringList({"", "", "", "", "-1", "", ""}));

    const FwVersion_S stFw;
    QVERIFY(stFw.strCamVersion.isEmpty() && stFw.strArmVersion.isEmpty() && stFw.strAFVersion.isEmpty());

    QCOMPARE(devInfoFields(DevInfo_S()), QStringList({"", "0", "", "", "", "", "-1", "", "", "", "", ""}));

    QCOMPARE(searchRecordToBytes(QuillbootSearch_S()), QByteArray(kSearchRecordSize, '\0'));
}

void TestRecords::copiesAreMemberWise()
{
    DevInfo_S stDev;
    stDev.strIp = QStringLiteral("10.0.0.5");
    stDev.nPort = 8080;
    stDev.nDhcp = 1;
    stDev.strAFVersion = QStringLiteral("V1.2.3");
    DevInfo_S stCopy = stDev;
    stDev.strIp.clear();
    QCOMPARE(stCopy.strIp, QStringLiteral("10.0.0.5"));
    QCOMPARE(stCopy.nPort, 8080);
    QCOMPARE(stCopy.nDhcp, 1);
    QCOMPARE(stCopy.strAFVersion, QStringLiteral("V1.2.3"));

    QuillbootSearch_S stSearch = searchRecordFromBytes(replyBytes(80, "1.2.3.4"));
    const QuillbootSearch_S stSearchCopy = stSearch;
    stSearch.szIp[0] = '9';
    QCOMPARE(searchRecordAddress(stSearchCopy), QStringLiteral("1.2.3.4"));
}

void TestRecords::searchRecordLayout()
{
    QCOMPARE(kSearchRecordSize, 76);
    QCOMPARE(offsetof(QuillbootSearch_S, dwMagic), size_t(0));
    QCOMPARE(offsetof(QuillbootSearch_S, dwRequestId), size_t(4));
    QCOMPARE(offsetof(QuillbootSearch_S, dwPort), size_t(8));
    QCOMPARE(offsetof(QuillbootSearch_S, szIp), size_t(12));
    QCOMPARE(sizeof(QuillbootSearch_S::szIp), size_t(64));
}

void TestRecords::parseReply_data()
{
    QTest::addColumn<QByteArray>("datagram");
    QTest::addColumn<QString>("address");
    QTest::addColumn<int>("port");

    const QByteArray baLongest(64, '7');
    QTest::newRow("NUL-terminated") << replyBytes(80, QByteArray("192.168.1.20\0junk", 17))
                                    << QStringLiteral("192.168.1.20") << 80;
    QTest::newRow("no NUL, area full") << replyBytes(8080, baLongest) << QString::fromLatin1(baLongest) << 8080;
    QTest::newRow("no NUL, datagram too long") << replyBytes(1, baLongest + "overflow")
                                               << QString::fromLatin1(baLongest) << 1;
    QTest::newRow("short datagram zero-filled") << replyBytes(554, "10.1.2.3") << QStringLiteral("10.1.2.3") << 554;
    QTest::newRow("empty address") << replyBytes(80, QByteArray(64, '\0')) << QString() << 80;
    QTest::newRow("header only") << replyBytes(0x01020304, QByteArray()) << QString() << 0x01020304;
    QTest::newRow("negative port") << replyBytes(-2, "1.1.1.1") << QStringLiteral("1.1.1.1") << -2;
    QTest::newRow("empty datagram") << QByteArray() << QString() << 0;
}

void TestRecords::parseReply()
{
    QFETCH(QByteArray, datagram);
    QFETCH(QString, address);
    QFETCH(int, port);

    const QuillbootSearch_S stRecord = searchRecordFromBytes(datagram);
    QCOMPARE(searchRecordAddress(stRecord), address);
    QCOMPARE(searchRecordPort(stRecord), port);
    const QByteArray baExpected = (datagram + QByteArray(kSearchRecordSize, '\0')).left(kSearchRecordSize);
    QCOMPARE(searchRecordToBytes(stRecord), baExpected);
}

void TestRecords::searchRecordRoundTrip()
{
    const QByteArray baData = replyBytes(0x1F90, QByteArray("172.16.0.9").leftJustified(64, '\0'));
    const QuillbootSearch_S stRecord = searchRecordFromBytes(baData);
    QCOMPARE(searchRecordToBytes(stRecord), baData);
    QCOMPARE(baData.mid(8, 4), QByteArray("\x90\x1F\x00\x00", 4));
    QCOMPARE(searchRecordPort(stRecord), 8080);
}

void TestRecords::cmdName_data()
{
    QTest::addColumn<int>("cmd");
    QTest::addColumn<QString>("name");
    QTest::newRow("0") << 0 << QStringLiteral("SetEnv");
    QTest::newRow("1") << 1 << QStringLiteral("GetEnv");
    QTest::newRow("2") << 2 << QStringLiteral("QueryVersion");
    QTest::newRow("3") << 3 << QStringLiteral("Reboot");
    QTest::newRow("absent 7") << 7 << QStringLiteral("Unknown");
    QTest::newRow("absent -1") << -1 << QStringLiteral("Unknown");
    QTest::newRow("absent 4") << 4 << QStringLiteral("Unknown");
}

void TestRecords::cmdName()
{
    QFETCH(int, cmd);
    QFETCH(QString, name);
    QCOMPARE(getCmdName(cmd), name);
    QCOMPARE(CommonTool::getInstance()->getCmdName(cmd), name);
    QCOMPARE(g_mapCmdName.size(), 4);
}

void TestRecords::resultName_data()
{
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("name");
    QTest::newRow("-1 from the table") << -1 << QStringLiteral("Unknow");
    QTest::newRow("0") << 0 << QStringLiteral("Success");
    QTest::newRow("1") << 1 << QStringLiteral("Failed");
    QTest::newRow("2") << 2 << QStringLiteral("Form Error");
    QTest::newRow("absent 5") << 5 << QStringLiteral("Unknow");
    QTest::newRow("absent -2") << -2 << QStringLiteral("Unknow");
}

void TestRecords::resultName()
{
    QFETCH(int, result);
    QFETCH(QString, name);
    QCOMPARE(getResultName(result), name);
    QCOMPARE(CommonTool::getInstance()->getResultName(result), name);
    QCOMPARE(g_mapResultName.size(), 4);
}

void TestRecords::cmdIndex_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("cmd");
    QTest::newRow("SetEnv") << QStringLiteral("SetEnv") << 0;
    QTest::newRow("GetEnv") << QStringLiteral("GetEnv") << 1;
    QTest::newRow("QueryVersion") << QStringLiteral("QueryVersion") << 2;
    QTest::newRow("Reboot") << QStringLiteral("Reboot") << 3;
    QTest::newRow("case differs") << QStringLiteral("setenv") << -1;
    QTest::newRow("the default name") << QStringLiteral("Unknown") << -1;
    QTest::newRow("a result text") << QStringLiteral("Success") << -1;
    QTest::newRow("empty") << QString() << -1;
}

void TestRecords::cmdIndex()
{
    QFETCH(QString, name);
    QFETCH(int, cmd);
    QCOMPARE(getCmdIndex(name), cmd);
    QCOMPARE(CommonTool::getInstance()->getCmdIndex(name), cmd);
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
