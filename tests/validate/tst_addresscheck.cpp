#include <QtTest>

#include "net/commontool.h"
#include "validate/addresscheck.h"

#include "support/logcapture.h"

namespace {

QString ipMessage(const char *szFormat, const QString &strIp)
{
    return QString::fromUtf8(szFormat).arg(strIp);
}

QString formatMessage(const QString &strIp)
{
    return ipMessage("格式非法：%1（需符合 4 段点分十进制，每段 0-255）", strIp);
}

QString leadingZeroMessage(const QString &strIp, int nSegment)
{
    return QString::fromUtf8("格式非法：%1（第 %2 段存在前导零）").arg(strIp).arg(nSegment);
}

const char kLoopback[] = "不可分配：%1（环回地址，仅本地测试使用）";
const char kDefaultRoute[] = "不可分配：%1（默认路由地址，不可分配给主机）";
const char kNetwork[] = "不可分配：%1（网段网络地址，不可分配给主机）";
const char kBroadcast[] = "不可分配：%1（网段广播地址，不可分配给主机）";
const char kMulticast[] = "不可分配：%1（组播地址，用于组播通信）";
const char kReserved[] = "不可分配：%1（保留地址，仅科研使用）";
const char kApipa[] = "不可分配：%1（APIPA 地址，仅链路本地使用）";
const char kValid[] = "IP 合法且可分配：%1";

const char kMaskEmpty[] = "子网掩码不能为空";
const char kMaskFormat[] = "子网掩码格式错误，需符合IPv4点分十进制格式（例：255.255.255.0）";
const char kMaskAllOnes[] = "子网掩码不能为全1（255.255.255.255）";
const char kMaskAllZeros[] = "子网掩码不能为全0（0.0.0.0）";
const char kMaskMixed[] = "子网掩码二进制格式错误（1和0混合出现）";

} // namespace

class TestAddressCheck : public QObject
{
    Q_OBJECT

private slots:
    void checkIpValid_data();
    void checkIpValid();
    void checkMaskValid_data();
    void checkMaskValid();
    void isSameSubnet_data();
    void isSameSubnet();
    void commonToolDelegates();
    void plainMaskText_data();
    void plainMaskText();
    void isDottedQuadIpv4_data();
    void isDottedQuadIpv4();
    void isHostAddressInSubnet_data();
    void isHostAddressInSubnet();
};

void TestAddressCheck::checkIpValid_data()
{
    QTest::addColumn<QString>("ip");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("message");

    const auto addValid = [](const char *szTag, const QString &strIp) {
        QTest::newRow(szTag) << strIp << true << ipMessage(kValid, strIp);
    };
    const auto addRefused = [](const char *szTag, const QString &strIp, const QString &strMessage) {
        QTest::newRow(szTag) << strIp << false << strMessage;
    };

    addValid("host", QStringLiteral("192.168.1.10"));
    addValid("APIPA neighbour", QStringLiteral("169.253.3.4"));
    addValid("first segment zero", QStringLiteral("0.1.2.3"));
    addValid("zero network, host 1", QStringLiteral("0.0.0.1"));
    addValid("last unicast", QStringLiteral("223.255.255.254"));
    addValid("single digits", QStringLiteral("1.2.3.4"));

    addRefused("network", QStringLiteral("192.168.1.0"), ipMessage(kNetwork, QStringLiteral("192.168.1.0")));
    addRefused("network whatever the mask", QStringLiteral("10.0.1.0"), ipMessage(kNetwork, QStringLiteral("10.0.1.0")));
    addRefused("broadcast", QStringLiteral("192.168.1.255"), ipMessage(kBroadcast, QStringLiteral("192.168.1.255")));
    addRefused("loopback", QStringLiteral("127.0.0.1"), ipMessage(kLoopback, QStringLiteral("127.0.0.1")));
    addRefused("loopback before network", QStringLiteral("127.0.0.0"), ipMessage(kLoopback, QStringLiteral("127.0.0.0")));
    addRefused("loopback before broadcast", QStringLiteral("127.255.255.255"),
               ipMessage(kLoopback, QStringLiteral("127.255.255.255")));
    addRefused("default route", QStringLiteral("0.0.0.0"), ipMessage(kDefaultRoute, QStringLiteral("0.0.0.0")));
    addRefused("multicast low", QStringLiteral("224.0.0.1"), ipMessage(kMulticast, QStringLiteral("224.0.0.1")));
    addRefused("multicast high", QStringLiteral("239.255.255.1"), ipMessage(kMulticast, QStringLiteral("239.255.255.1")));
    addRefused("network before multicast", QStringLiteral("224.0.0.0"), ipMessage(kNetwork, QStringLiteral("224.0.0.0")));
    addRefused("reserved", QStringLiteral("240.1.1.1"), ipMessage(kReserved, QStringLiteral("240.1.1.1")));
    addRefused("reserved top", QStringLiteral("255.1.1.1"), ipMessage(kReserved, QStringLiteral("255.1.1.1")));
    addRefused("broadcast before reserved", QStringLiteral("255.255.255.255"),
               ipMessage(kBroadcast, QStringLiteral("255.255.255.255")));
    addRefused("APIPA", QStringLiteral("169.254.3.4"), ipMessage(kApipa, QStringLiteral("169.254.3.4")));
    addRefused("APIPA network", QStringLiteral("169.254.0.0"), ipMessage(kNetwork, QStringLiteral("169.254.0.0")));

    addRefused("leading zero segment 3", QStringLiteral("192.168.01.5"), leadingZeroMessage(QStringLiteral("192.168.01.5"), 3));
    addRefused("leading zero segment 1", QStringLiteral("010.1.1.1"), leadingZeroMessage(QStringLiteral("010.1.1.1"), 1));
    addRefused("first of two leading zeros", QStringLiteral("1.02.001.4"), leadingZeroMessage(QStringLiteral("1.02.001.4"), 2));
    addRefused("double zero segment 4", QStringLiteral("1.2.3.00"), leadingZeroMessage(QStringLiteral("1.2.3.00"), 4));
    addRefused("leading zero before default route", QStringLiteral("00.0.0.0"),
               leadingZeroMessage(QStringLiteral("00.0.0.0"), 1));

    const QStringList listMalformed = {
        QStringLiteral("256.1.1.1"), QStringLiteral("1.2.3"),     QStringLiteral("1.2.3.4.5"),
        QStringLiteral("a.b.c.d"),   QString(),                   QStringLiteral("1.2.3.4 "),
        QStringLiteral(" 1.2.3.4"),  QStringLiteral("1.2.3.4\n"), QStringLiteral("1..3.4"),
        QStringLiteral("1.2.3.1000"), QStringLiteral("-1.2.3.4"), QString::fromUtf8("１.2.3.4"),
    };
    for (const QString &strIp : listMalformed)
        addRefused(qPrintable(QStringLiteral("format '%1'").arg(strIp)), strIp, formatMessage(strIp));
}

void TestAddressCheck::checkIpValid()
{
    QFETCH(QString, ip);
    QFETCH(bool, valid);
    QFETCH(QString, message);

    QTest::ignoreMessage(QtDebugMsg, qPrintable(message));
    QCOMPARE(::checkIpValid(ip), valid);
}

void TestAddressCheck::checkMaskValid_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("message");

    const auto add = [](const char *szTag, const char *szMask, bool bValid, const char *szMessage) {
        QTest::newRow(szTag) << QString::fromLatin1(szMask) << bValid << QString::fromUtf8(szMessage);
    };
    add("/24", "255.255.255.0", true, "");
    add("/31", "255.255.255.254", true, "");
    add("/1", "128.0.0.0", true, "");
    add("/7", "254.0.0.0", true, "");
    add("/21", "255.255.248.0", true, "");
    add("leading zeros", "255.255.255.000", true, "");
    add("mixed bits", "255.255.0.255", false, kMaskMixed);
    add("mixed within a byte", "255.255.250.0", false, kMaskMixed);
    add("zero first", "0.255.255.255", false, kMaskMixed);
    add("low bit only", "0.0.0.1", false, kMaskMixed);
    add("all ones", "255.255.255.255", false, kMaskAllOnes);
    add("all zeros", "0.0.0.0", false, kMaskAllZeros);
    add("all zeros with leading zeros", "000.000.000.000", false, kMaskAllZeros);
    add("empty", "", false, kMaskEmpty);
    add("three segments", "255.255.255", false, kMaskFormat);
    add("five segments", "255.255.255.0.0", false, kMaskFormat);
    add("segment above 255", "255.255.255.256", false, kMaskFormat);
    add("letters", "a.b.c.d", false, kMaskFormat);
    add("trailing space", "255.255.255.0 ", false, kMaskFormat);
    add("trailing line feed", "255.255.255.255\n", false, kMaskFormat);
    add("prefix length", "24", false, kMaskFormat);
}

void TestAddressCheck::checkMaskValid()
{
    QFETCH(QString, mask);
    QFETCH(bool, valid);
    QFETCH(QString, message);

    if (message.isEmpty()) {
        const LogCapture capture;
        QCOMPARE(::checkMaskValid(mask), valid);
        QCOMPARE(LogCapture::messages(), QStringList());
        return;
    }
    QTest::ignoreMessage(QtDebugMsg, qPrintable(message));
    QCOMPARE(::checkMaskValid(mask), valid);
}

void TestAddressCheck::isSameSubnet_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("same");

    const auto add = [](const char *szTag, const char *szFirst, const char *szSecond, const char *szMask, bool bSame) {
        QTest::newRow(szTag) << QString::fromLatin1(szFirst) << QString::fromLatin1(szSecond)
                             << QString::fromLatin1(szMask) << bSame;
    };
    add("same /24", "192.168.1.1", "192.168.1.10", "255.255.255.0", true);
    add("other /24", "192.168.2.1", "192.168.1.10", "255.255.255.0", false);
    add("same /16", "192.168.2.1", "192.168.1.10", "255.255.0.0", true);
    add("differs in top bit", "10.0.0.1", "138.0.0.1", "128.0.0.0", false);
    add("zero mask", "1.2.3.4", "200.1.1.1", "0.0.0.0", true);
    add("mask not checked for form", "192.168.1.1", "192.168.2.1", "255.255.0.255", true);
    add("empty gateway", "", "192.168.1.10", "255.255.255.0", false);
    add("empty address", "192.168.1.1", "", "255.255.255.0", false);
    add("empty mask", "192.168.1.1", "192.168.1.10", "", false);
    add("IPv6 gateway", "::1", "192.168.1.10", "255.255.255.0", false);
    add("IPv4-mapped IPv6", "::ffff:192.168.1.1", "192.168.1.10", "255.255.255.0", false);
    add("IPv6 mask", "192.168.1.1", "192.168.1.10", "ffff:ffff::", false);
    add("segment above 255", "192.168.1.256", "192.168.1.10", "255.255.255.0", false);
    add("words", "gateway", "address", "mask", false);
    add("three-part gateway", "192.168.1", "192.168.1.10", "255.255.255.0", false);
    add("one-number gateway", "3232235777", "192.168.1.10", "255.255.255.0", false);
    add("hex gateway", "0xc0.168.1.1", "192.168.1.10", "255.255.255.0", false);
    add("gateway with blank", " 192.168.1.1", "192.168.1.10", "255.255.255.0", false);
    add("mask with leading zeros", "192.168.1.1", "192.168.1.10", "255.255.255.000", true);
    add("other /24, mask with leading zeros", "192.168.2.1", "192.168.1.10", "255.255.255.000", false);
    add("gateway with leading zeros", "192.168.001.1", "192.168.1.10", "255.255.255.0", false);
}

void TestAddressCheck::isSameSubnet()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, mask);
    QFETCH(bool, same);

    const LogCapture capture;
    QCOMPARE(::isSameSubnet(first, second, mask), same);
    QCOMPARE(LogCapture::messages(), QStringList());
}

void TestAddressCheck::commonToolDelegates()
{
    const CommonTool *pTool = CommonTool::getInstance();
    const LogCapture capture;
    QVERIFY(pTool->checkIpValid(QStringLiteral("192.168.1.10")));
    QVERIFY(!pTool->checkIpValid(QStringLiteral("192.168.1.0")));
    QVERIFY(pTool->checkMaskValid(QStringLiteral("255.255.255.0")));
    QVERIFY(!pTool->checkMaskValid(QStringLiteral("255.0.255.0")));
    QVERIFY(pTool->isSameSubnet(QStringLiteral("192.168.1.1"), QStringLiteral("192.168.1.10"), QStringLiteral("255.255.255.0")));
    QVERIFY(!pTool->isSameSubnet(QStringLiteral("192.168.2.1"), QStringLiteral("192.168.1.10"), QStringLiteral("255.255.255.0")));
    QCOMPARE(LogCapture::messages(),
             QStringList({ipMessage(kValid, QStringLiteral("192.168.1.10")),
                          ipMessage(kNetwork, QStringLiteral("192.168.1.0")), QString::fromUtf8(kMaskMixed)}));
}

void TestAddressCheck::plainMaskText_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("plain");

    QTest::newRow("plain already") << "255.255.255.0" << "255.255.255.0";
    QTest::newRow("leading zeros") << "255.255.255.000" << "255.255.255.0";
    QTest::newRow("zero-padded parts") << "255.255.0255.0" << "255.255.0255.0";
    QTest::newRow("one-digit padding") << "255.255.00.0" << "255.255.0.0";
    QTest::newRow("no mask") << "mask" << "mask";
    QTest::newRow("empty") << "" << "";
}

void TestAddressCheck::plainMaskText()
{
    QFETCH(QString, mask);
    QFETCH(QString, plain);
    QCOMPARE(::plainMaskText(mask), plain);
}

void TestAddressCheck::isDottedQuadIpv4_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("foreign subnet") << QStringLiteral("192.168.1.64") << true;
    QTest::newRow("loopback") << QStringLiteral("127.0.0.1") << true;
    QTest::newRow("user part") << QStringLiteral("a@203.0.113.9") << false;
    QTest::newRow("port and path") << QStringLiteral("203.0.113.9:8080/x?") << false;
    QTest::newRow("fragment") << QStringLiteral("1.2.3.4#") << false;
    QTest::newRow("one number") << QStringLiteral("2130706433") << false;
    QTest::newRow("shorthand") << QStringLiteral("127.1") << false;
    QTest::newRow("leading zero") << QStringLiteral("192.168.01.5") << false;
    QTest::newRow("host name") << QStringLiteral("evil.example") << false;
    QTest::newRow("leading blank") << QStringLiteral(" 1.2.3.4") << false;
    QTest::newRow("IPv6") << QStringLiteral("::1") << false;
    QTest::newRow("mapped IPv6") << QStringLiteral("::ffff:1.2.3.4") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestAddressCheck::isDottedQuadIpv4()
{
    QFETCH(QString, address);
    QFETCH(bool, accepted);
    const LogCapture capture;
    QCOMPARE(::isDottedQuadIpv4(address), accepted);
    QVERIFY(LogCapture::messages().isEmpty());
}

void TestAddressCheck::isHostAddressInSubnet_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QString>("refusal"); // logged after "not a host address: "; %1 the address, %2 the mask

    const QString strNetwork = "%1 is the network address of its subnet with mask %2";
    const QString strBroadcast = "%1 is the broadcast address of its subnet with mask %2";
    QTest::newRow("/28 broadcast") << "10.1.1.15" << "255.255.255.240" << strBroadcast;
    QTest::newRow("/28 network") << "10.1.1.16" << "255.255.255.240" << strNetwork;
    QTest::newRow("/16: .0 is a host") << "10.1.1.0" << "255.255.0.0" << QString();
    QTest::newRow("/31 upper") << "10.1.1.15" << "255.255.255.254" << QString();
    QTest::newRow("mask with leading zeros") << "10.1.1.255" << "255.255.255.000" << strBroadcast;
    QTest::newRow("/32 mask") << "10.1.1.1" << "255.255.255.255" << "%2 is no subnet mask";
    QTest::newRow("leading zero address") << "10.1.01.1" << "255.255.255.0" << "%1 is no dotted-quad IPv4 address";
}

void TestAddressCheck::isHostAddressInSubnet()
{
    QFETCH(QString, address);
    QFETCH(QString, mask);
    QFETCH(QString, refusal);
    const LogCapture capture;
    QCOMPARE(::isHostAddressInSubnet(address, mask), refusal.isEmpty());
    const QString strMessage = "not a host address: " + QString(refusal).replace("%1", address).replace("%2", mask);
    QCOMPARE(LogCapture::messages(), refusal.isEmpty() ? QStringList() : QStringList{strMessage});
}

QTEST_GUILESS_MAIN(TestAddressCheck)
#include "tst_addresscheck.moc"
