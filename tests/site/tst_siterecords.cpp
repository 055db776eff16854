#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "site/journal.h"
#include "site/macaddress.h"
#include "site/planmatch.h"
#include "site/reportfile.h"

namespace {

const QString kDevFull = QStringLiteral("/dev/full");
const QString kSizeLimit = QStringLiteral("size limit");
const QString kFolderFile = QStringLiteral("folder is a file");
const QString kMissingFolder = QStringLiteral("missing folder");

// Past @p nBytes a write to a file fails, part-way or at once, as on a full disk; -1 lifts it.
void limitFileSize(int nBytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit stLimit;
    getrlimit(RLIMIT_FSIZE, &stLimit);
    stLimit.rlim_cur = nBytes < 0 ? stLimit.rlim_max : rlim_t(nBytes);
    setrlimit(RLIMIT_FSIZE, &stLimit);
}

QList<QJsonObject> journalLines(const QString &strPath)
{
    QFile file(strPath);
    QList<QJsonObject> listLines;
    for (const QByteArray &baLine : (file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray()).split('\n'))
        listLines.append(QJsonDocument::fromJson(baLine).object());
    return listLines;
}

} // namespace

class TestSiteRecords : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void readPlan_data();
    void readPlan();
    void sameMac();
    void matchPlan_data();
    void matchPlan();
    void journalLines();
    void journalUnwritable_data();
    void journalUnwritable();
    void journalRotation();
    void report_data();
    void report();

private:
    QScopedPointer<QTemporaryDir> m_pDir;
    QScopedPointer<Journal> m_pJournal;
};

void TestSiteRecords::init()
{
    m_pDir.reset(new QTemporaryDir);
    m_pJournal.reset(new Journal);
    m_pJournal->setFolderPath(m_pDir->filePath("journal"));
}

void TestSiteRecords::cleanup()
{
    limitFileSize(-1);
}

void TestSiteRecords::readPlan_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines"); // "line MAC address mask gateway label", "line: refusal" or "error"

    const QByteArray baHeader = "mac,address,mask,gateway,label\n";
    const QString strNoHeader = "not a plan: no header row naming the columns mac, address, mask and gateway once each";
    const QString strBinary = "not a plan: the file holds binary data, not UTF-8 text";
    QTest::newRow("semicolon, CRLF, BOM, any order and case")
        << QByteArray("\xEF\xBB\xBF Gateway ; MAC;Label;address;MASK\r\n\r\n10.0.0.1;aa-bb-cc-dd-ee-02;Gate, 1;10.0.0.6;255.0.0.0")
        << QStringList{"3 AA:BB:CC:DD:EE:02 10.0.0.6 255.0.0.0 10.0.0.1 Gate, 1"};
    QTest::newRow("quoted fields, other notations, blank and extra columns")
        << QByteArray("mac,address,mask,gateway,label,,notes\n\"aabb.ccdd.ee03\",10.0.0.7,255.0.0.0,10.0.0.1,\"H; \"\"n\"\"\nw\""
                      ",,x\n,,,,,,\nAABBCCDDEE04,10.0.0.8,255.0.0.0,10.0.0.1,,,\n")
        << QStringList{"2 AA:BB:CC:DD:EE:03 10.0.0.7 255.0.0.0 10.0.0.1 H; \"n\"\nw",
                       "5 AA:BB:CC:DD:EE:04 10.0.0.8 255.0.0.0 10.0.0.1 "};
    QTest::newRow("bad lines")
        << baHeader + "aa:bb-cc:dd:ee:05,10.0.0.9,255.0.0.0,10.0.0.1,\naa:bb:cc:dd:ee:06,10.0.0.9,,10.0.0.1,\n"
                      "aa:bb:cc:dd:ee:07,10.0.0.9\naa:bb:cc:dd:ee:08,10.0.0.9,255.0.0.0,10.0.0.1,,\n\"open\n"
        << QStringList{"2: bad MAC aa:bb-cc:dd:ee:05", "3: no mask", "4: 2 fields where the header has 5",
                       "5: 6 fields where the header has 5", "6: a quote is not closed"};
    QTest::newRow("header only") << baHeader << QStringList{"the plan has no lines below its header"};
    QTest::newRow("junk") << QByteArray("hello,world\nmac address mask gateway\n") << QStringList{strNoHeader};
    QTest::newRow("a column twice") << QByteArray("mac,address,mask,gateway,MAC\n") << QStringList{strNoHeader};
    QTest::newRow("NUL byte") << baHeader + QByteArray(1, '\0') << QStringList{strBinary};
    QTest::newRow("not UTF-8") << baHeader + "\xC0\xAF\n" << QStringList{strBinary};
    QTest::newRow("10 MB of junk") << QByteArray(10 * PlanFile::kMaxBytes, 'x')
                                   << QStringList{"not a plan: the file is larger than 1024 KiB"};
}

// Bytes and a file of them read alike.
void TestSiteRecords::readPlan()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);

    QFile file(m_pDir->filePath("plan.csv"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush());
    for (const PlanFile &planFile : {PlanFile::parse(bytes), PlanFile::read(file.fileName())}) {
        QMap<int, QString> mapLines;
        for (const PlanFile::Line_S &stLine : planFile.lines())
            mapLines.insert(stLine.nLine, QStringList{QString::number(stLine.nLine), stLine.strMac, stLine.strAddress,
                                                      stLine.strMask, stLine.strGateway, stLine.strLabel}.join(' '));
        for (const PlanFile::Refusal_S &stRefusal : planFile.refusals())
            mapLines.insert(stRefusal.nLine, QString::number(stRefusal.nLine) + ": " + stRefusal.strReason);
        QCOMPARE(planFile.error().isEmpty() ? mapLines.values() : QStringList{planFile.error()} + mapLines.values(), lines);
    }
}

void TestSiteRecords::sameMac()
{
    QVERIFY(MacAddress::isSame("aabb.ccdd.eeff", "AA-BB-CC-DD-EE-FF") && MacAddress::isSame("AABBCCDDEEFF", "aa:bb:cc:dd:ee:ff"));
    QVERIFY(!MacAddress::isSame("aa:bb:cc:dd:ee:fe", "aa:bb:cc:dd:ee:ff") && !MacAddress::isSame("gg:bb:cc:dd:ee:ff", "gg:bb:cc:dd:ee:ff"));
}

void TestSiteRecords::matchPlan_data()
{
    QTest::addColumn<QStringList>("lines"); // "MAC address [mask [gateway]]", by default in 10.0.0.0/24 behind 10.0.0.1
    QTest::addColumn<QStringList>("outcomes");

    const QString strA = "02:00:00:00:00:0A ";
    const QString strB = "02:00:00:00:00:0B ";
    const QString strHeldByB = "address of camera " + strB + "now";
    QTest::newRow("moves, already there") << QStringList{strA + "10.0.0.50 255.255.255.000", "02:00:00:00:00:0C 10.0.0.13"}
                                          << QStringList{"#1 10.0.0.11 -> 10.0.0.50", "#3 10.0.0.13 -> 10.0.0.13, nothing to do"};
    QTest::newRow("not on the list, found twice") << QStringList{"02:00:00:00:00:99 10.0.0.50", "02:00:00:00:00:0D 10.0.0.51"}
                                                  << QStringList{"no camera with this MAC in the search", "2 cameras answer with this MAC"};
    QTest::newRow("MAC twice") << QStringList{strA + "10.0.0.50", strB + "10.0.0.51", strA + "10.0.0.52"}
                               << QStringList{"MAC also on line 4", "#2 10.0.0.12 -> 10.0.0.51", "MAC also on line 2"};
    QTest::newRow("address twice") << QStringList{strA + "10.0.0.50", strB + "10.0.0.50"}
                                   << QStringList{"address also on line 3", "address also on line 2"};
    QTest::newRow("in use, /28 broadcast") << QStringList{strA + "10.0.0.100", strB + "10.0.0.47 255.255.255.240 10.0.0.33"}
                                           << QStringList{"address in use", "network or broadcast address of its subnet"};
    QTest::newRow("fails checks") << QStringList{strA + "10.0.0.255", strB + "10.0.0.50 255.0.255.0"}
                                  << QStringList{"address cannot be given to a camera", "mask is not a subnet mask"};
    QTest::newRow("gateway") << QStringList{strA + "10.0.0.60 255.255.255.0 10.0.1.1", strB + "10.0.0.1"}
                             << QStringList{"gateway not in the address's subnet", "address is the gateway"};
    QTest::newRow("swap") << QStringList{strA + "10.0.0.12", strB + "10.0.0.11"}
                          << QStringList{strHeldByB, "address of camera " + strA + "now"};
    QTest::newRow("chain") << QStringList{strA + "10.0.0.12", strB + "10.0.0.60"}
                           << QStringList{strHeldByB, "#2 10.0.0.12 -> 10.0.0.60"};
}

void TestSiteRecords::matchPlan()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, outcomes);

    QList<PlanFile::Line_S> listLines;
    for (const QString &strLine : lines) {
        const QStringList listParts = strLine.split(' ');
        listLines.append({int(listLines.size()) + 2, listParts.at(0), listParts.at(1), listParts.value(2, "255.255.255.0"),
                          listParts.value(3, "10.0.0.1"), "door"});
    }
    const PlanMatch planMatch(listLines, {{1, "02-00-00-00-00-0a", "10.0.0.11"}, {2, "0200.0000.000b", "10.0.0.12"},
                                          {3, "02:00:00:00:00:0C", "10.0.0.13"}, {4, "02:00:00:00:00:0D", "10.0.0.14"},
                                          {5, "02:00:00:00:00:0D", "10.0.0.15"}},
                              {"10.0.0.11", "10.0.0.12", "10.0.0.13", "10.0.0.14", "10.0.0.15", "10.0.0.100"});
    QMap<int, QString> mapOutcomes;
    for (const PlanMatch::Entry_S &stEntry : planMatch.entries()) {
        QCOMPARE(QStringList({stEntry.strMask, stEntry.strGateway, stEntry.strLabel}), QStringList({"255.255.255.0", "10.0.0.1", "door"}));
        mapOutcomes.insert(stEntry.nLine, QString("#%1 %2 -> %3%4").arg(stEntry.nId).arg(stEntry.strCurrent, stEntry.strNew,
                                                                                   stEntry.bAlreadyThere ? ", nothing to do" : ""));
    }
    for (const PlanMatch::Refusal_S &stRefusal : planMatch.refusals())
        mapOutcomes.insert(stRefusal.nLine, stRefusal.strReason);
    QCOMPARE(mapOutcomes.values(), outcomes);
}

// A failed write and a proved one, line by line.
void TestSiteRecords::journalLines()
{
    Journal::Entry_S stEntry{{}, "10.0.0.2", "02:00:00:00:00:0A", "10.0.0.11", {"10.0.0.11", "255.255.255.0", "10.0.0.1", true},
                             {"10.0.0.50", "255.255.0.0", "10.0.0.1", false}, "status 2"};
    for (const Journal::Event eEvent : {Journal::Event::WriteSent, Journal::Event::Failed, Journal::Event::WriteSent,
                                        Journal::Event::Written, Journal::Event::Rebooted, Journal::Event::Back}) {
        stEntry.eEvent = eEvent;
        m_pJournal->record(stEntry);
    }
    const QJsonObject expected = {
        {"local", "10.0.0.2"}, {"mac", "02:00:00:00:00:0A"}, {"reachedAt", "10.0.0.11"}, {"detail", "status 2"},
        {"before", QJsonObject{{"address", "10.0.0.11"}, {"mask", "255.255.255.0"}, {"gateway", "10.0.0.1"}, {"dhcp", true}}},
        {"after", QJsonObject{{"address", "10.0.0.50"}, {"mask", "255.255.0.0"}, {"gateway", "10.0.0.1"}, {"dhcp", false}}},
    };
    QStringList listEvents;
    for (QJsonObject object : ::journalLines(m_pJournal->filePath())) {
        const QString strTime = object.take("time").toString();
        QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$").match(strTime).hasMatch());
        QVERIFY(qAbs(QDateTime::fromString(strTime, Qt::ISODateWithMs).msecsTo(QDateTime::currentDateTimeUtc())) < 60000);
        listEvents.append(object.take("event").toString());
        QCOMPARE(object, expected);
    }
    QCOMPARE(listEvents, QStringList({"write-sent", "failed", "write-sent", "written", "rebooted", "back"}));
}

void TestSiteRecords::journalUnwritable_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QString>("reason"); // how it begins; %1 the folder, %2 the file

    QTest::newRow("folder is a regular file") << kFolderFile << "the journal's folder %1 cannot be made";
    QTest::newRow("disk full") << kDevFull << "the journal %2 cannot be written: No space left on device";
    QTest::newRow("line cut short") << kSizeLimit << "the journal %2 cannot be written: the disk took 100 of ";
}

// Said once while it lasts; whole lines flow again once it is gone; said again when it returns.
void TestSiteRecords::journalUnwritable()
{
    QFETCH(QString, blocker);
    QFETCH(QString, reason);

    const QString strFolder = m_pJournal->folderPath();
    const auto block = [&](bool bBlocked) {
        if (blocker != kSizeLimit)
            QVERIFY(QDir(strFolder).removeRecursively() && (QFile::remove(strFolder) || !QFileInfo::exists(strFolder)));
        limitFileSize(bBlocked && blocker == kSizeLimit ? 100 : -1);
        if (bBlocked && blocker == kDevFull)
            QVERIFY(QDir().mkpath(strFolder) && QFile::link(kDevFull, m_pJournal->filePath()));
        if (bBlocked && blocker == kFolderFile)
            QVERIFY(QFile(strFolder).open(QIODevice::WriteOnly));
    };
    QSignalSpy spy(m_pJournal.data(), &Journal::sigUnwritable);
    block(true);
    for (const Journal::Entry_S &stEntry : {Journal::Entry_S(), Journal::Entry_S(), Journal::Entry_S()})
        m_pJournal->record(stEntry);
    QCOMPARE(spy.count(), 1);
    const QString strReason = spy.at(0).at(0).toString();
    QVERIFY2(strReason.startsWith(reason.replace("%1", strFolder).replace("%2", m_pJournal->filePath())), qPrintable(strReason));
    block(false);
    m_pJournal->record({});
    const QList<QJsonObject> listLines = ::journalLines(m_pJournal->filePath());
    QVERIFY(listLines.size() == 1 && listLines.first().value("event") == "write-sent");
    block(true);
    m_pJournal->record({});
    QCOMPARE(spy.count(), 2);
}

// The newest lines are kept, in files within the bound, and the oldest go.
void TestSiteRecords::journalRotation()
{
    constexpr int nEvents = 20;
    m_pJournal->setMaxBytes(1000);
    for (int nEvent = 1; nEvent <= nEvents; ++nEvent)
        m_pJournal->record({Journal::Event::Back, {}, {}, {}, {}, {}, QString::number(nEvent)});
    QStringList listDetails;
    for (const char *szName : {"journal.3.jsonl", "journal.2.jsonl", "journal.1.jsonl", "journal.jsonl"}) {
        const QFileInfo info(QDir(m_pJournal->folderPath()).filePath(szName));
        QVERIFY(info.size() > 0 && info.size() <= m_pJournal->maxBytes());
        for (const QJsonObject &object : ::journalLines(info.filePath()))
            listDetails.append(object.value("detail").toString());
    }
    QVERIFY(!QFileInfo::exists(QDir(m_pJournal->folderPath()).filePath("journal.4.jsonl")) && listDetails.size() < nEvents);
    for (int nAt = 0; nAt < listDetails.size(); ++nAt)
        QCOMPARE(listDetails.at(nAt).toInt(), nEvents - listDetails.size() + 1 + nAt);
}

void TestSiteRecords::report_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<int>("sizeLimit"); // -1 for none
    QTest::addColumn<QString>("reason"); // how it begins; %1 the path

    QTest::newRow("over an older report") << QString() << -1 << QString();
    QTest::newRow("missing folder") << kMissingFolder << -1 << "the report %1 cannot be begun: ";
    QTest::newRow("a twin of /dev/full") << kDevFull << -1 << "%1 is not a regular file";
    QTest::newRow("disk full part-way") << kSizeLimit << 10 << "the report %1 cannot be written: the disk took 10 of ";
}

// A report is whole or not there: what stood at the path stays unless it is replaced whole.
void TestSiteRecords::report()
{
    QFETCH(QString, fault);
    QFETCH(int, sizeLimit);
    QFETCH(QString, reason);

    const QString strPath = m_pDir->filePath(fault == kMissingFolder ? "none/report.csv" : "report.csv");
    QFile older(strPath);
    if (fault == kDevFull && mknod(qPrintable(strPath), S_IFCHR | 0666, makedev(1, 7)) != 0)
        QSKIP("making a device node needs root");
    QVERIFY(fault == kDevFull || fault == kMissingFolder || (older.open(QIODevice::WriteOnly) && older.write("older") == 5));
    older.close();
    limitFileSize(sizeLimit);
    QString strReason;
    const bool bWritten = writeReportFile(strPath, {"MAC", "Label"}, {{"02:00:00:00:00:0A", "Door, \"north\""}}, &strReason);
    limitFileSize(-1);
    QCOMPARE(bWritten, fault.isEmpty());
    QVERIFY2(strReason.startsWith(reason.replace("%1", strPath)), qPrintable(strReason));
    QCOMPARE(QDir(m_pDir->path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             fault == kMissingFolder ? QStringList() : QStringList{"report.csv"});
    QCOMPARE(QFileInfo(strPath).isFile() && older.open(QIODevice::ReadOnly) ? older.readAll() : QByteArray(),
             fault.isEmpty() ? QByteArray("\xEF\xBB\xBFMAC,Label\r\n02:00:00:00:00:0A,\"Door, \"\"north\"\"\"\r\n")
                             : QByteArray(fault == kSizeLimit ? "older" : ""));
}

QTEST_GUILESS_MAIN(TestSiteRecords)
#include "tst_siterecords.moc"
