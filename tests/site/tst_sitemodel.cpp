// The site model on its own, as a face without a window drives it: no hub is connected, so
// the requests it asks for are only counted here.

#include <QtTest>

#include <QScopedPointer>

#include "core/metatypes.h"
#include "site/devicerow.h"
#include "site/sitemodel.h"
#include "site/sitenotifier.h"
#include "support/records.h"

namespace {

const QString kLocal = QStringLiteral("10.0.0.1");
const QString kFirst = QStringLiteral("10.0.0.21");
const QString kSecond = QStringLiteral("10.0.0.22");

} // namespace

class TestSiteModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void searchEndsAnOpenPlanWithoutWriting();
    void searchWaitsForAWriteUnderWay();

private:
    void listCameras(const QStringList &listAddresses);

    QScopedPointer<SiteModel> m_pSite;
};

void TestSiteModel::initTestCase()
{
    registerRecordMetaTypes();
}

void TestSiteModel::init()
{
    m_pSite.reset(new SiteModel);
}

// A search whose answers are @p listAddresses, each filled with the MAC "mac-" + its address.
void TestSiteModel::listCameras(const QStringList &listAddresses)
{
    QVERIFY(m_pSite->search(kLocal));
    QList<QuillbootSearch_S> listAnswers;
    for (const QString &strAddress : listAddresses)
        listAnswers.append(searchReply(strAddress));
    m_pSite->takeSearchResult(listAnswers);
    m_pSite->takeSdkFinished();
    QTRY_VERIFY(!m_pSite->isSearching());
    for (const QString &strAddress : listAddresses)
        m_pSite->takeSettings(strAddress, ethInfo(strAddress, QStringLiteral("mac-") + strAddress));
}

// The rows of a new search may sit at the same places, even at the same addresses: a plan
// of the search before writes none of them.
void TestSiteModel::searchEndsAnOpenPlanWithoutWriting()
{
    listCameras({kFirst, kSecond});
    QList<BatchPlan::Entry_S> listEntries = m_pSite->openPlan({m_pSite->rows().at(0)->id(), m_pSite->rows().at(1)->id()})
                                                .listCameras;
    QCOMPARE(listEntries.size(), 2);
    listEntries[0].strNew = QStringLiteral("10.0.0.31");
    listEntries[1].strNew = QStringLiteral("10.0.0.32");
    QVERIFY(!m_pSite->canSearch());

    QSignalSpy droppedSpy(m_pSite->notifier(), &SiteNotifier::sigPlanDropped);
    QSignalSpy writeSpy(m_pSite->notifier(), &SiteNotifier::sigSetEthInfo);
    listCameras({kSecond, kFirst});
    QCOMPARE(droppedSpy.count(), 1);
    m_pSite->startBatch(listEntries, QStringLiteral("255.255.255.0"), kLocal);
    QCOMPARE(writeSpy.count(), 0);
    QVERIFY(!m_pSite->isBatchRunning());
}

// A write's status belongs to the row that was saved, so no search may replace the rows
// while one is under way.
void TestSiteModel::searchWaitsForAWriteUnderWay()
{
    listCameras({kFirst, kSecond});
    const quint64 nSaved = m_pSite->rows().at(1)->id();
    m_pSite->editAddress(nSaved, QStringLiteral("10.0.0.32"));
    QSignalSpy writeSpy(m_pSite->notifier(), &SiteNotifier::sigSetEthInfo);
    QSignalSpy rebootSpy(m_pSite->notifier(), &SiteNotifier::sigDevReboot);
    m_pSite->askSave(nSaved);
    m_pSite->confirmSave();
    QCOMPARE(writeSpy.count(), 1);
    QCOMPARE(writeSpy.at(0).at(0).toString(), kSecond);

    QVERIFY(!m_pSite->search(kLocal));
    QCOMPARE(m_pSite->rows().at(1)->id(), nSaved);
    m_pSite->takeWriteStatus(kSecond, 0);
    QCOMPARE(m_pSite->rows().at(1)->state(), RowState::Rebooting);
    QCOMPARE(m_pSite->rows().at(0)->state(), RowState::Filled);
    QCOMPARE(rebootSpy.count(), 1);
    QCOMPARE(rebootSpy.at(0).at(0).toString(), kSecond);
    QVERIFY(m_pSite->canSearch());
}

QTEST_GUILESS_MAIN(TestSiteModel)
#include "tst_sitemodel.moc"
