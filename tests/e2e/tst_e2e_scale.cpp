// The real program's objects in a lab of a whole site: at least 1000 simulated cameras
// (the lab runs several simulators; tests/e2e/CMakeLists.txt says how many), under the
// file descriptor limit a desktop session gets. One search must list every camera once, fill every row and leave "Search" usable
// with every request ended; a program that ran out of descriptors would have crashed or
// left rows empty.

#include <QtTest>

#include <QTableWidget>
#include <QToolButton>

#include <sys/resource.h>

#include "deviceviewdriver.h"
#include "labprogram.h"
#include "labsession.h"
#include "net/chttp.h"
#include "support/teststep.h"

namespace {

// systemd's soft default, what a Debian desktop session runs programs with.
constexpr rlim_t kDesktopDescriptorLimit = 1024;
constexpr int kLeastCameras = 1000;
constexpr int kSearchTimeoutMs = 30000;
constexpr int kFillTimeoutMs = 60000;

QStringList sorted(QStringList listText)
{
    listText.sort();
    return listText;
}

} // namespace

class TestE2eScale : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void siteSearchFillsEveryRow();

private:
    LabSession m_lab;
    LabProgram m_program;
};

// The limit is lowered before the program is built, so everything it opens counts.
void TestE2eScale::initTestCase()
{
    if (!m_lab.isAvailable())
        QSKIP(qPrintable(m_lab.unavailableReason()));
    rlimit limit{};
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &limit), 0);
    limit.rlim_cur = qMin(limit.rlim_max, kDesktopDescriptorLimit);
    QCOMPARE(setrlimit(RLIMIT_NOFILE, &limit), 0);
    QCOMPARE(getrlimit(RLIMIT_NOFILE, &limit), 0);
    QVERIFY(limit.rlim_cur <= kDesktopDescriptorLimit);
    QVERIFY2(m_lab.addresses().size() >= kLeastCameras, qPrintable(QString::number(m_lab.addresses().size())));
    STEP(m_program.start(m_lab));
}

void TestE2eScale::cleanupTestCase()
{
    m_program.stop();
}

// Every camera of every simulator is listed once and filled; the first simulator's
// cameras, whose settings the lab's log gives, show exactly those.
void TestE2eScale::siteSearchFillsEveryRow()
{
    DeviceViewDriver *pDriver = m_program.driver();
    STEP(pDriver->search(kSearchTimeoutMs));
    QCOMPARE(sorted(pDriver->rowAddresses()), sorted(m_lab.addresses()));
    QList<int> listRow;
    for (int row = 0; row < pDriver->table()->rowCount(); ++row)
        listRow.append(row);
    STEP(pDriver->waitForFilled(listRow, kFillTimeoutMs));
    QTRY_COMPARE_WITH_TIMEOUT(CHttp::getInstance()->pendingCount(), 0, kFillTimeoutMs);
    QVERIFY(pDriver->searchButton()->isEnabled());
    const QList<LabCamera_S> listCamera = m_lab.cameras();
    QVERIFY(!listCamera.isEmpty());
    for (const LabCamera_S &stCamera : listCamera) {
        const QList<int> listCameraRow = pDriver->rowsOf(stCamera.strIp);
        QCOMPARE(listCameraRow.size(), 1);
        STEP(pDriver->verifyRowShows(listCameraRow.first(), stCamera));
    }
}

QTEST_MAIN(TestE2eScale)
#include "tst_e2e_scale.moc"
