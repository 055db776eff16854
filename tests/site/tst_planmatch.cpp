#include <QtTest>

#include "site/planmatch.h"

namespace {

// "MAC address [mask [gateway]]"; the default subnet is 10.0.0.0/24 behind 10.0.0.1.
QList<PlanFile::Line_S> planLines(const QStringList &listTexts)
{
    QList<PlanFile::Line_S> listLines;
    for (const QString &strText : listTexts) {
        const QStringList listParts = strText.split(' ');
        listLines.append({int(listLines.size()) + 2, listParts.at(0), listParts.at(1),
                          listParts.value(2, "255.255.255.0"), listParts.value(3, "10.0.0.1"), "label"});
    }
    return listLines;
}

} // namespace

class TestPlanMatch : public QObject
{
    Q_OBJECT

private slots:
    void match_data();
    void match();
};

void TestPlanMatch::match_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QStringList>("outcomes"); // per line, in file order

    const QString strA = "02:00:00:00:00:0A";
    const QString strB = "02:00:00:00:00:0B";
    const QString strC = "02:00:00:00:00:0C";
    QTest::newRow("moves") << QStringList{strA + " 10.0.0.50 255.255.255.000"}
                           << QStringList{"#1 10.0.0.11 -> 10.0.0.50/255.255.255.0 via 10.0.0.1 label"};
    QTest::newRow("already there") << QStringList{strC + " 10.0.0.13"}
                                   << QStringList{"#3 10.0.0.13 -> 10.0.0.13/255.255.255.0 via 10.0.0.1 label, nothing to do"};
    QTest::newRow("not on the list") << QStringList{"02:00:00:00:00:99 10.0.0.50"}
                                     << QStringList{"no camera with this MAC in the search"};
    QTest::newRow("MAC found twice") << QStringList{"02:00:00:00:00:0D 10.0.0.50"} << QStringList{"2 cameras answer with this MAC"};
    QTest::newRow("MAC twice") << QStringList{strA + " 10.0.0.50", strB + " 10.0.0.51", strA + " 10.0.0.52"}
                               << QStringList{"MAC also on line 4", "#2 10.0.0.12 -> 10.0.0.51/255.255.255.0 via 10.0.0.1 label",
                                              "MAC also on line 2"};
    QTest::newRow("address twice") << QStringList{strA + " 10.0.0.50", strB + " 10.0.0.50"}
                                   << QStringList{"address also on line 3", "address also on line 2"};
    QTest::newRow("in use") << QStringList{strA + " 10.0.0.100"} << QStringList{"address in use"};
    QTest::newRow("fails checks") << QStringList{strA + " 10.0.0.255", strB + " 10.0.0.50 255.0.255.0"}
                                  << QStringList{"address cannot be given to a camera", "mask is not a subnet mask"};
    QTest::newRow("gateway") << QStringList{strA + " 10.0.0.60 255.255.255.0 10.0.1.1", strB + " 10.0.0.1"}
                             << QStringList{"gateway not in the address's subnet", "address is the gateway"};
    QTest::newRow("/28 broadcast") << QStringList{strA + " 10.0.0.47 255.255.255.240 10.0.0.33"}
                                   << QStringList{"network or broadcast address of its subnet"};
    QTest::newRow("swap") << QStringList{strA + " 10.0.0.12", strB + " 10.0.0.11"}
                          << QStringList{"address of camera " + strB + " now", "address of camera " + strA + " now"};
    QTest::newRow("chain") << QStringList{strA + " 10.0.0.12", strB + " 10.0.0.60"}
                           << QStringList{"address of camera " + strB + " now",
                                          "#2 10.0.0.12 -> 10.0.0.60/255.255.255.0 via 10.0.0.1 label"};
}

void TestPlanMatch::match()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, outcomes);

    const QList<PlanMatch::Camera_S> listCameras = {{1, "02-00-00-00-00-0a", "10.0.0.11"}, {2, "0200.0000.000b", "10.0.0.12"},
                                                    {3, "02:00:00:00:00:0C", "10.0.0.13"}, {4, "02:00:00:00:00:0D", "10.0.0.14"},
                                                    {5, "02:00:00:00:00:0D", "10.0.0.15"}};
    const QSet<QString> setInUse = {"10.0.0.11", "10.0.0.12", "10.0.0.13", "10.0.0.14", "10.0.0.15", "10.0.0.100"};
    const PlanMatch planMatch(planLines(lines), listCameras, setInUse);
    QMap<int, QString> mapOutcomes;
    for (const PlanMatch::Entry_S &stEntry : planMatch.entries()) {
        QCOMPARE(stEntry.strMac, planLines(lines).at(stEntry.nLine - 2).strMac);
        mapOutcomes.insert(stEntry.nLine, QStringLiteral("#%1 %2 -> %3/%4 via %5 %6%7")
                                              .arg(stEntry.nId).arg(stEntry.strCurrent, stEntry.strNew, stEntry.strMask,
                                                                    stEntry.strGateway, stEntry.strLabel,
                                                                    stEntry.bAlreadyThere ? ", nothing to do" : ""));
    }
    for (const PlanMatch::Refusal_S &stRefusal : planMatch.refusals())
        mapOutcomes.insert(stRefusal.nLine, stRefusal.strReason);
    QCOMPARE(mapOutcomes.values(), outcomes);
}

QTEST_GUILESS_MAIN(TestPlanMatch)
#include "tst_planmatch.moc"
