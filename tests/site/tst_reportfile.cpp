#include <QtTest>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "site/reportfile.h"

namespace {

const QString kMissingFolder = QStringLiteral("missing folder");
const QString kDevice = QStringLiteral("device");
const QString kDiskFull = QStringLiteral("disk full after 10 bytes");
const QString kDiskFullAtOnce = QStringLiteral("disk full at once");

// Past @p nBytes a write fails, as on a full disk; -1 lifts the limit up to the hard one.
void limitFileSize(int nBytes)
{
    rlimit stLimit;
    getrlimit(RLIMIT_FSIZE, &stLimit);
    stLimit.rlim_cur = nBytes < 0 ? stLimit.rlim_max : rlim_t(nBytes);
    setrlimit(RLIMIT_FSIZE, &stLimit);
}

} // namespace

class TestReportFile : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void write_data();
    void write();
};

void TestReportFile::cleanup()
{
    limitFileSize(-1);
}

void TestReportFile::write_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason"); // how it begins; %1 the path

    QTest::newRow("over an older report") << QString() << QString();
    QTest::newRow("missing folder") << kMissingFolder << "the report %1 cannot be begun: ";
    QTest::newRow("a twin of /dev/full") << kDevice << "%1 is not a regular file";
    QTest::newRow(qPrintable(kDiskFull)) << kDiskFull << "the report %1 cannot be written: the disk took 10 of ";
    QTest::newRow(qPrintable(kDiskFullAtOnce)) << kDiskFullAtOnce << "the report %1 cannot be written: File too large";
}

// A report is whole or not there: what stood at the path before stays unless it is replaced whole.
void TestReportFile::write()
{
    QFETCH(QString, fault);
    QFETCH(QString, reason);

    const QTemporaryDir dir;
    const QString strPath = dir.filePath(fault == kMissingFolder ? "none/report.csv" : "report.csv");
    const QByteArray baOld = "older report\r\n";
    QFile older(strPath);
    if (fault == kDevice && mknod(qPrintable(strPath), S_IFCHR | 0666, makedev(1, 7)) != 0)
        QSKIP("making a device node needs root");
    if (fault != kDevice && fault != kMissingFolder)
        QVERIFY(older.open(QIODevice::WriteOnly) && older.write(baOld) == baOld.size() && older.flush());
    older.close();
    std::signal(SIGXFSZ, SIG_IGN);
    limitFileSize(fault == kDiskFull ? 10 : fault == kDiskFullAtOnce ? 0 : -1);

    QString strReason;
    QCOMPARE(writeReportFile(strPath, {"MAC", "Label"}, {{"02:00:00:00:00:0A", "Door, \"north\""}}, &strReason),
             fault.isEmpty());
    limitFileSize(-1);
    QVERIFY2(strReason.startsWith(reason.replace("%1", strPath)), qPrintable(strReason));
    const QFileInfo info(strPath);
    QCOMPARE(info.exists(), fault != kMissingFolder);
    QCOMPARE(info.isFile(), fault != kMissingFolder && fault != kDevice);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
             fault == kMissingFolder ? QStringList() : QStringList{"report.csv"});
    if (info.isFile()) {
        QVERIFY(older.open(QIODevice::ReadOnly));
        QCOMPARE(older.readAll(), fault.isEmpty() ? QByteArray("\xEF\xBB\xBFMAC,Label\r\n02:00:00:00:00:0A,\"Door, \"\"north\"\"\"\r\n") : baOld);
    }
}

QTEST_GUILESS_MAIN(TestReportFile)
#include "tst_reportfile.moc"
