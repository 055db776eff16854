// The controller: every hub signal wired once to its one slot, the reply receiver in place
// before the window shows, and the fixed shut-down order. The only traffic is a multicast
// search on the loopback interface and replies handed to the model in-process.

#include <QtTest>

#include <QMetaMethod>
#include <QPointer>
#include <QScopedPointer>
#include <QUdpSocket>

#include <functional>

#include "app/control.h"
#include "app/mainmodel.h"
#include "core/commonsignal.h"
#include "net/chttp.h"
#include "net/modifymodel.h"
#include "support/searchport.h"
#include "ui/mainwindow.h"
#include "ui/modifymodule.h"
#include "widgets/ctext.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"

namespace {

const QString kLoopbackAddress = QStringLiteral("127.0.0.1");
const QString kCameraAddress = QStringLiteral("127.0.0.9");

// One reply body that every parser finds something in, so any dispatch would emit.
const QByteArray kReplyBody = QByteArrayLiteral(
    "{\"nRetVal\":0,\"stValue\":{\"stEth\":[{\"szIPAddr\":\"127.0.0.9\",\"szSubMask\":\"255.0.0.0\","
    "\"szGateway\":\"127.0.0.1\",\"szMacAddr\":\"00:11:22:33:44:55\",\"byValid\":7}],"
    "\"stDns\":{\"szDns1\":\"127.0.0.53\",\"szDns2\":\"\"},"
    "\"dwCamVersion\":66051,\"dwArmVersion\":1,\"dwAFVersion\":2}}");

CommonSignal *hub()
{
    return CommonSignal::getInstance();
}

// QObject::receivers is protected; a pointer to it taken through a subclass works on any object.
struct ReceiverProbe : QObject
{
    static int count(const QObject *pSender, const QMetaMethod &signal)
    {
        const QByteArray baSignal = QByteArray::number(QSIGNAL_CODE) + signal.methodSignature();
        return (pSender->*(&ReceiverProbe::receivers))(baSignal.constData());
    }
};

QList<QMetaMethod> hubSignals()
{
    QList<QMetaMethod> listSignals;
    const QMetaObject &meta = CommonSignal::staticMetaObject;
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        if (meta.method(i).methodType() == QMetaMethod::Signal)
            listSignals.append(meta.method(i));
    }
    return listSignals;
}

int wiredHubSignals()
{
    int nWired = 0;
    for (const QMetaMethod &signal : hubSignals())
        nWired += ReceiverProbe::count(hub(), signal) == 1 ? 1 : 0;
    return nWired;
}

ModifyModel *model(Control *pControl)
{
    return pControl->getMainModel()->getModifyModel();
}

ModifyModule *view(Control *pControl)
{
    return pControl->getMainWindow()->getModifyModule();
}

// Removes the one expected connection of a hub signal; false when there was none.
using Disconnector = std::function<bool(Control *)>;
const QHash<QByteArray, Disconnector> &expectedWiring()
{
    static const QHash<QByteArray, Disconnector> wiring = {
        {"sigSearchNetwork", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigSearchNetwork, model(p), &ModifyModel::slotSearchNetwork); }},
        {"sigSearchResult", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigSearchResult, view(p), &ModifyModule::slotSearchResult); }},
        {"sigGetFwVersion", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigGetFwVersion, model(p), &ModifyModel::slotGetFwVersion); }},
        {"sigUpdateFwVersion", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigUpdateFwVersion, view(p), &ModifyModule::slotUpdateFwVersion); }},
        {"sigGetEnv", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigGetEnv, model(p), &ModifyModel::slotGetEnv); }},
        {"sigUpdateEthInfo", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigUpdateEthInfo, view(p), &ModifyModule::slotUpdateEthInfo); }},
        {"sigGetEnvFinished", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigGetEnvFinished, view(p), &ModifyModule::slotGetEnvFinished); }},
        {"sigSetEthInfo", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigSetEthInfo, model(p), &ModifyModel::slotSetEthInfo); }},
        {"sigSetEthStatus", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigSetEthStatus, view(p), &ModifyModule::slotUpdateEthStatus); }},
        {"sigShowTips", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigShowTips, p->getMainWindow(), &MainWindow::slotShowTips); }},
        {"sigDevReboot", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigDevReboot, model(p), &ModifyModel::slotDevReboot); }},
        {"sigSdkUpdateDevInfo", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigSdkUpdateDevInfo, view(p), &ModifyModule::slotSdkUpdateDevInfo); }},
        {"sigSdkGetInfoFinished", [](Control *p) { return QObject::disconnect(hub(), &CommonSignal::sigSdkGetInfoFinished, view(p), &ModifyModule::slotSdkGetInfoFinished); }},
    };
    return wiring;
}

// Looks at the wiring at the moment the main window is first shown.
class ShowWatcher : public QObject
{
public:
    int m_nWiredAtShow = -1;
    int m_nRepliesAtShow = -1;

protected:
    bool eventFilter(QObject *pWatched, QEvent *pEvent) override
    {
        if (pEvent->type() == QEvent::Show && qobject_cast<MainWindow *>(pWatched) && m_nWiredAtShow < 0) {
            m_nWiredAtShow = wiredHubSignals();
            QSignalSpy ethSpy(hub(), &CommonSignal::sigUpdateEthInfo);
            CHttp::getInstance()->deliverReply(kReplyBody, 0, 0, kCameraAddress);
            m_nRepliesAtShow = ethSpy.count();
        }
        return QObject::eventFilter(pWatched, pEvent);
    }
};

} // namespace

class TestControl : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void hubSignalWiredOnceToItsSlot_data();
    void hubSignalWiredOnceToItsSlot();
    void resultCodeReachesToast();
    void windowShownAfterWiringAndReceiver();
    void mainModelDeliversOnlyKnownKinds_data();
    void mainModelDeliversOnlyKnownKinds();
    void shutDownGoesWindowModelClient();
    void shutDownClosesSearchSocket();

private:
    QScopedPointer<Control> m_pControl;
};

void TestControl::init()
{
    m_pControl.reset(new Control);
}

void TestControl::cleanup()
{
    m_pControl.reset();
}

void TestControl::hubSignalWiredOnceToItsSlot_data()
{
    QTest::addColumn<int>("signalIndex");
    const QList<QMetaMethod> listSignals = hubSignals();
    QCOMPARE(listSignals.size(), 13);
    for (const QMetaMethod &signal : listSignals)
        QTest::newRow(signal.name().constData()) << signal.methodIndex();
}

// Removing the expected connection must succeed and leave the signal without receivers.
void TestControl::hubSignalWiredOnceToItsSlot()
{
    QFETCH(int, signalIndex);
    const QMetaMethod signal = CommonSignal::staticMetaObject.method(signalIndex);
    const Disconnector disconnectExpected = expectedWiring().value(signal.name());
    QVERIFY2(disconnectExpected, signal.name().constData());

    QCOMPARE(ReceiverProbe::count(hub(), signal), 1);
    QVERIFY(disconnectExpected(m_pControl.data()));
    QCOMPARE(ReceiverProbe::count(hub(), signal), 0);
}

void TestControl::resultCodeReachesToast()
{
    emit hub()->sigShowTips(2);
    ToastHintWidget *pToast = ToastHintWidget::getInstance();
    QCOMPARE(pToast->parentWidget(), m_pControl->getMainWindow());
    QVERIFY(pToast->isVisible());
    QCOMPARE(pToast->findChild<CText *>(QStringLiteral("tipText"))->text(), QStringLiteral("Form Error"));
}

void TestControl::windowShownAfterWiringAndReceiver()
{
    m_pControl.reset();
    ShowWatcher watcher;
    qApp->installEventFilter(&watcher);
    m_pControl.reset(new Control);
    qApp->removeEventFilter(&watcher);

    QCOMPARE(watcher.m_nWiredAtShow, 13);
    QCOMPARE(watcher.m_nRepliesAtShow, 1);
}

void TestControl::mainModelDeliversOnlyKnownKinds_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("flag");
    QTest::addColumn<int>("ethInfo");
    QTest::addColumn<int>("ethStatus");
    QTest::addColumn<int>("fwVersion");
    QTest::newRow("GetEnv 0/0") << 0 << 0 << 1 << 0 << 0;
    QTest::newRow("SetEnv 0/1") << 0 << 1 << 0 << 1 << 0;
    QTest::newRow("QueryVersion 1/0") << 1 << 0 << 0 << 0 << 1;
    QTest::newRow("Reboot 2/1 only logs") << 2 << 1 << 0 << 0 << 0;
    QTest::newRow("kind 3 flag 0") << 3 << 0 << 0 << 0 << 0;
    QTest::newRow("kind 3 flag 1") << 3 << 1 << 0 << 0 << 0;
    QTest::newRow("kind 4 flag 0") << 4 << 0 << 0 << 0 << 0;
    QTest::newRow("kind -1 flag 0") << -1 << 0 << 0 << 0 << 0;
    QTest::newRow("kind -1 flag 1") << -1 << 1 << 0 << 0 << 0;
    QTest::newRow("kind -3 flag 0") << -3 << 0 << 0 << 0 << 0;
    QTest::newRow("kind INT_MIN") << std::numeric_limits<int>::min() << 0 << 0 << 0 << 0;
}

void TestControl::mainModelDeliversOnlyKnownKinds()
{
    QFETCH(int, kind);
    QFETCH(int, flag);
    QFETCH(int, ethInfo);
    QFETCH(int, ethStatus);
    QFETCH(int, fwVersion);
    QSignalSpy ethSpy(hub(), &CommonSignal::sigUpdateEthInfo);
    QSignalSpy statusSpy(hub(), &CommonSignal::sigSetEthStatus);
    QSignalSpy fwSpy(hub(), &CommonSignal::sigUpdateFwVersion);

    m_pControl->getMainModel()->onReply(kReplyBody, kind, flag, kCameraAddress);
    QCOMPARE(ethSpy.count(), ethInfo);
    QCOMPARE(statusSpy.count(), ethStatus);
    QCOMPARE(fwSpy.count(), fwVersion);
}

void TestControl::shutDownGoesWindowModelClient()
{
    QStringList listDestroyed;
    auto track = [&listDestroyed](QObject *pObject, const QString &strName) {
        QVERIFY(pObject);
        connect(pObject, &QObject::destroyed, [&listDestroyed, strName] { listDestroyed.append(strName); });
    };
    ModifyModel *pModifyModel = model(m_pControl.data());
    track(m_pControl->getMainWindow(), QStringLiteral("window"));
    track(m_pControl->getMainWindow()->getModifyModule(), QStringLiteral("view"));
    track(m_pControl->getMainModel(), QStringLiteral("model owner"));
    track(pModifyModel, QStringLiteral("model"));
    track(pModifyModel->findChild<QUdpSocket *>(), QStringLiteral("socket"));
    track(CHttp::getInstance(), QStringLiteral("http client"));
    QPointer<CommonSignal> pHub = hub();

    m_pControl.reset();
    const QStringList expected = {QStringLiteral("window"), QStringLiteral("view"), QStringLiteral("model"),
                                  QStringLiteral("socket"), QStringLiteral("model owner"),
                                  QStringLiteral("http client")};
    QCOMPARE(listDestroyed, expected);
    QVERIFY(pHub);
}

// A search in progress holds the search port; the shut-down releases it with the model.
void TestControl::shutDownClosesSearchSocket()
{
    SKIP_UNLESS_SEARCH_PORT_FREE();
    emit hub()->sigSearchNetwork(kLoopbackAddress);
    QTRY_VERIFY(!searchPortFree());

    m_pControl.reset();
    QVERIFY(searchPortFree());
}

QTEST_MAIN(TestControl)
#include "tst_control.moc"
