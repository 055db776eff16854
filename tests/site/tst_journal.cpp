#include <QtTest>

#include <csignal>
#include <sys/resource.h>

#include "site/journal.h"

namespace {

const QString kDevFull = QStringLiteral("/dev/full");
const QString kSizeLimit = QStringLiteral("size limit");

// Past @p nBytes a write fails part-way, as on a full disk; without a limit, up to the hard one.
void limitFileSize(bool bLimited)
{
    constexpr rlim_t nBytes = 100;
    rlimit stLimit;
    getrlimit(RLIMIT_FSIZE, &stLimit);
    stLimit.rlim_cur = bLimited ? nBytes : stLimit.rlim_max;
    setrlimit(RLIMIT_FSIZE, &stLimit);
}

QList<QJsonObject> journalLines(const QString &strPath)
{
    QFile file(strPath);
    QList<QJsonObject> listLines;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray &baLine : file.readAll().split('\n')) {
            if (!baLine.isEmpty())
                listLines.append(QJsonDocument::fromJson(baLine).object());
        }
    }
    return listLines;
}

// Takes away what blocks @p strFolder, then, unless @p strBlocker is empty, blocks it again:
// with a regular file where the folder belongs, the journal's file a link to /dev/full, or a
// limit on file sizes.
void block(const QString &strFolder, const QString &strBlocker)
{
    QFile::remove(strFolder);
    QDir(strFolder).removeRecursively();
    limitFileSize(strBlocker == kSizeLimit);
    if (strBlocker == kDevFull)
        QVERIFY(QDir().mkpath(strFolder) && QFile::link(kDevFull, strFolder + "/journal.jsonl"));
    else if (!strBlocker.isEmpty() && strBlocker != kSizeLimit)
        QVERIFY(QFile(strFolder).open(QIODevice::WriteOnly));
}

} // namespace

class TestJournal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void linesOfAFailedWriteAndAProvedOne();
    void unwritable_data();
    void unwritable();
    void rotation();

private:
    QScopedPointer<QTemporaryDir> m_pDir;
    QScopedPointer<Journal> m_pJournal;
};

void TestJournal::init()
{
    m_pDir.reset(new QTemporaryDir);
    m_pJournal.reset(new Journal);
    m_pJournal->setFolderPath(m_pDir->filePath("journal"));
}

void TestJournal::cleanup()
{
    limitFileSize(false);
}

void TestJournal::linesOfAFailedWriteAndAProvedOne()
{
    const QList<Journal::Event> listEvents = {Journal::Event::WriteSent, Journal::Event::Failed, Journal::Event::WriteSent,
                                              Journal::Event::Written,   Journal::Event::Rebooted, Journal::Event::Back};
    Journal::Entry_S stEntry{Journal::Event::WriteSent, "10.0.0.2", "02:00:00:00:00:0A", "10.0.0.11",
                             {"10.0.0.11", "255.255.255.0", "10.0.0.1", true}, {"10.0.0.50", "255.255.0.0", "10.0.0.1", false}, ""};
    for (const Journal::Event eEvent : listEvents) {
        stEntry.eEvent = eEvent;
        stEntry.strDetail = QString::number(int(eEvent));
        m_pJournal->record(stEntry);
    }
    const QList<QJsonObject> listLines = journalLines(m_pJournal->filePath());
    QCOMPARE(listLines.size(), listEvents.size());
    const QStringList listTexts = {"write-sent", "failed", "write-sent", "written", "rebooted", "back"};
    for (int nLine = 0; nLine < listLines.size(); ++nLine) {
        QJsonObject object = listLines.at(nLine);
        const QString strTime = object.take("time").toString();
        QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z$").match(strTime).hasMatch());
        QVERIFY(qAbs(QDateTime::fromString(strTime, Qt::ISODateWithMs).msecsTo(QDateTime::currentDateTimeUtc())) < 60000);
        QCOMPARE(object, QJsonObject({{"local", "10.0.0.2"}, {"mac", "02:00:00:00:00:0A"}, {"reachedAt", "10.0.0.11"},
                                      {"before", QJsonObject{{"address", "10.0.0.11"}, {"mask", "255.255.255.0"}, {"gateway", "10.0.0.1"}, {"dhcp", true}}},
                                      {"after", QJsonObject{{"address", "10.0.0.50"}, {"mask", "255.255.0.0"}, {"gateway", "10.0.0.1"}, {"dhcp", false}}},
                                      {"event", listTexts.at(nLine)}, {"detail", QString::number(int(listEvents.at(nLine)))}}));
    }
}

void TestJournal::unwritable_data()
{
    QTest::addColumn<QString>("blocker");
    QTest::addColumn<QString>("reason"); // how it begins; %1 the folder, %2 the file

    QTest::newRow("folder is a regular file") << "file" << "the journal's folder %1 cannot be made";
    QTest::newRow("disk full") << kDevFull << "the journal %2 cannot be written: No space left on device";
    QTest::newRow("line cut short") << kSizeLimit << "the journal %2 cannot be written: only 100 of ";
}

// Said once while it lasts; whole lines flow again once it is gone; said again when it returns.
void TestJournal::unwritable()
{
    QFETCH(QString, blocker);
    QFETCH(QString, reason);

    std::signal(SIGXFSZ, SIG_IGN);
    QSignalSpy spy(m_pJournal.data(), &Journal::sigUnwritable);
    block(m_pJournal->folderPath(), blocker);
    for (int nEvent = 0; nEvent < 3; ++nEvent)
        m_pJournal->record({});
    QCOMPARE(spy.count(), 1);
    const QString strReason = spy.at(0).at(0).toString();
    QVERIFY2(strReason.startsWith(reason.replace("%1", m_pJournal->folderPath()).replace("%2", m_pJournal->filePath())),
             qPrintable(strReason));
    limitFileSize(false);
    if (blocker != kSizeLimit)
        block(m_pJournal->folderPath(), QString());
    m_pJournal->record({});
    const QList<QJsonObject> listLines = journalLines(m_pJournal->filePath());
    QCOMPARE(listLines.size(), 1);
    QCOMPARE(listLines.first().value("event"), "write-sent");
    block(m_pJournal->folderPath(), blocker);
    m_pJournal->record({});
    QCOMPARE(spy.count(), 2);
}

// The newest lines are kept, in files within the bound, and the oldest go.
void TestJournal::rotation()
{
    constexpr int nEvents = 20;
    m_pJournal->setMaxBytes(1000);
    for (int nEvent = 1; nEvent <= nEvents; ++nEvent)
        m_pJournal->record({Journal::Event::Back, {}, {}, {}, {}, {}, QString::number(nEvent)});
    QStringList listDetails;
    for (const char *szName : {"journal.3.jsonl", "journal.2.jsonl", "journal.1.jsonl", "journal.jsonl"}) {
        const QString strPath = QDir(m_pJournal->folderPath()).filePath(szName);
        QVERIFY(QFileInfo(strPath).size() > 0 && QFileInfo(strPath).size() <= m_pJournal->maxBytes());
        for (const QJsonObject &object : journalLines(strPath))
            listDetails.append(object.value("detail").toString());
    }
    QVERIFY(!QFileInfo::exists(QDir(m_pJournal->folderPath()).filePath("journal.4.jsonl")));
    QVERIFY(listDetails.size() < nEvents);
    for (int nAt = 0; nAt < listDetails.size(); ++nAt)
        QCOMPARE(listDetails.at(nAt).toInt(), nEvents - listDetails.size() + 1 + nAt);
}

QTEST_GUILESS_MAIN(TestJournal)
#include "tst_journal.moc"
