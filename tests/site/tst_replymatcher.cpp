// Which row each reply and SDK report fills, without widgets: one table of searches.

#include <QtTest>

#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "site/replymatcher.h"
#include "support/records.h"

namespace {

const QChar kSpace(' ');
const QString kNone = QStringLiteral("-");

// "F 00:11:22:33:44:01 V2.0.1": how far the row got, its MAC and its camera version.
QString describe(const DeviceRow *pRow)
{
    static const char kFills[] = {'W', 'F', 'M', 'U'};
    const QString strMac = pRow->mac().isEmpty() ? kNone : pRow->mac();
    const QString strCam = pRow->record().strCamVersion.isEmpty() ? kNone : pRow->record().strCamVersion;
    return QStringLiteral("%1 %2 %3").arg(QString(QLatin1Char(kFills[int(pRow->fill())])), strMac, strCam);
}

} // namespace

class TestReplyMatcher : public QObject
{
    Q_OBJECT

private slots:
    void repliesFindTheirRows_data();
    void repliesFindTheirRows();
    void userEditsOutliveTheReply();
};

void TestReplyMatcher::repliesFindTheirRows_data()
{
    QTest::addColumn<QStringList>("rows");     // the search's answers, in table order
    QTest::addColumn<QStringList>("sdk");      // "address MAC" reports
    QTest::addColumn<QStringList>("replies");  // "env address MAC" or "fw address version"
    QTest::addColumn<QStringList>("expected"); // describe() of each row

    const QString a = QStringLiteral("10.0.0.21");
    const QString b = QStringLiteral("10.0.0.22");
    QTest::newRow("one camera") << QStringList{a} << QStringList() << QStringList{"env " + a + " m1"}
                                << QStringList{"F m1 -"};
    QTest::newRow("shared address, two MACs in row order")
        << QStringList{a, b, a} << QStringList() << QStringList{"env " + a + " m1", "env " + a + " m2"}
        << QStringList{"F m1 -", "W - -", "F m2 -"};
    QTest::newRow("second camera completed from the SDK")
        << QStringList{a, a} << QStringList{a + " s9", a + " s2"} << QStringList{"env " + a + " m1", "env " + a + " m1"}
        << QStringList{"F m1 -", "M s9 V3.1.4"};
    QTest::newRow("same MAC twice, no SDK report: unreached")
        << QStringList{a, a} << QStringList() << QStringList{"env " + a + " m1", "env " + a + " m1"}
        << QStringList{"F m1 -", "U - -"};
    QTest::newRow("firmware before settings, a third reply dropped")
        << QStringList{a, b, a} << QStringList()
        << QStringList{"fw " + a + " V2", "fw " + a + " V3", "fw " + a + " V9", "env " + a + " m1"}
        << QStringList{"F m1 V2", "W - -", "W - V3"};
    QTest::newRow("an unreached row takes no firmware")
        << QStringList{a, a} << QStringList()
        << QStringList{"env " + a + " m1", "env " + a + " m1", "fw " + a + " V2", "fw " + a + " V3"}
        << QStringList{"F m1 V2", "U - -"};
    QTest::newRow("reply for an address no row has") << QStringList{a} << QStringList() << QStringList{"env " + b + " m1"}
                                                      << QStringList{"W - -"};
    QTest::newRow("reply without MAC takes the SDK record")
        << QStringList{a} << QStringList{a + " s2"} << QStringList{"env " + a + " -"} << QStringList{"M s2 V3.1.4"};
    QTest::newRow("late reply after every row is filled")
        << QStringList{a} << QStringList() << QStringList{"env " + a + " m1", "env " + a + " m2"}
        << QStringList{"F m1 -"};
}

void TestReplyMatcher::repliesFindTheirRows()
{
    QFETCH(QStringList, rows);
    QFETCH(QStringList, sdk);
    QFETCH(QStringList, replies);
    QFETCH(QStringList, expected);

    DeviceRowList listRows;
    ReplyMatcher matcher(listRows);
    for (const QString &strAddress : qAsConst(rows))
        matcher.listRow(listRows.append(strAddress, 80));
    matcher.markSharedAddresses();
    for (const QString &strReport : qAsConst(sdk))
        matcher.keepSdkReport(sdkReport(strReport.section(kSpace, 0, 0), strReport.section(kSpace, 1, 1)));
    for (const QString &strReply : qAsConst(replies)) {
        const QString strAddress = strReply.section(kSpace, 1, 1);
        const QString strValue = strReply.section(kSpace, 2, 2);
        if (strReply.startsWith(QLatin1String("fw"))) {
            matcher.takeFirmware(strAddress, {strValue, strValue, strValue});
            continue;
        }
        EthInfo_S stEthInfo;
        stEthInfo.strMacAddr = strValue == kNone ? QString() : strValue;
        matcher.takeSettings(strAddress, stEthInfo);
    }
    QStringList listSeen;
    for (const DeviceRow *pRow : listRows.rows())
        listSeen.append(describe(pRow));
    QCOMPARE(listSeen, expected);
}

// The camera's values become the row's record; what the user typed stays shown.
void TestReplyMatcher::userEditsOutliveTheReply()
{
    DeviceRowList listRows;
    ReplyMatcher matcher(listRows);
    DeviceRow *pRow = listRows.append(QStringLiteral("10.0.0.21"), 80);
    matcher.listRow(pRow);
    pRow->editMask(QStringLiteral("255.0.0.0"));
    EthInfo_S stEthInfo;
    stEthInfo.strMacAddr = QStringLiteral("m1");
    stEthInfo.strSubMask = QStringLiteral("255.255.255.0");
    stEthInfo.strGateway = QStringLiteral("10.0.0.1");
    stEthInfo.nDhcp = 1;
    matcher.takeSettings(QStringLiteral("10.0.0.21"), stEthInfo);
    QCOMPARE(pRow->shown().strMask, QStringLiteral("255.0.0.0"));
    QCOMPARE(pRow->shown().strGateway, QStringLiteral("10.0.0.1"));
    QVERIFY(pRow->shown().bDhcp);
    QCOMPARE(pRow->record().strSubMask, QStringLiteral("255.255.255.0"));
    QCOMPARE(pRow->storedValues().strMask, QStringLiteral("255.255.255.0"));
}

QTEST_GUILESS_MAIN(TestReplyMatcher)
#include "tst_replymatcher.moc"
