// The title bar inside a frameless host window of its own: dragging moves the host, and
// the restore request of a maximised host is guarded for 100 ms after a double click.

#include <QtTest>

#include <QMouseEvent>
#include <QScopedPointer>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include "ui/titlewidget.h"
#include "widgets/ciconbutton.h"
#include "widgets/ctext.h"

namespace {

const QPoint kHostPos(100, 80);
const QPoint kGrabPoint(200, 12);
const QPoint kDragDelta(30, 20);

// Sends a mouse event at a global position, as the window system would deliver it.
void sendMouse(QWidget *pWidget, QEvent::Type type, const QPoint &globalPos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pWidget->mapFromGlobal(globalPos), globalPos, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &event);
}

} // namespace

class TestTitleWidget : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void leftDragMovesWindow();
    void rightPressStartsNoDrag();
    void releaseEndsDrag_data();
    void releaseEndsDrag();
    void doubleClickMaximisesWithoutRestoringOnNextMove();
    void dragOfMaximisedWindowRestoresOnFirstMove();
    void buttonsEmitTheirSignal_data();
    void buttonsEmitTheirSignal();
    void setScaleSetsTitleSize_data();
    void setScaleSetsTitleSize();

private:
    QPoint grabPoint() const;
    QPoint hostPos() const;

    QScopedPointer<QWidget> m_pHost;
    TitleWidget *m_pTitle = nullptr;
};

void TestTitleWidget::init()
{
    m_pHost.reset(new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint));
    auto *pLayout = new QVBoxLayout(m_pHost.data());
    pLayout->setContentsMargins(0, 0, 0, 0);
    m_pTitle = new TitleWidget(m_pHost.data());
    pLayout->addWidget(m_pTitle);
    m_pHost->move(kHostPos);
    m_pHost->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pHost.data()));
    QCOMPARE(hostPos(), kHostPos);
}

void TestTitleWidget::cleanup()
{
    m_pHost.reset();
    m_pTitle = nullptr;
}

QPoint TestTitleWidget::grabPoint() const
{
    return m_pTitle->mapToGlobal(kGrabPoint);
}

QPoint TestTitleWidget::hostPos() const
{
    return m_pHost->frameGeometry().topLeft();
}

void TestTitleWidget::leftDragMovesWindow()
{
    const QPoint startPos = grabPoint();
    sendMouse(m_pTitle, QEvent::MouseButtonPress, startPos, Qt::LeftButton, Qt::LeftButton);
    QVERIFY(m_pTitle->isPressed());

    sendMouse(m_pTitle, QEvent::MouseMove, startPos + kDragDelta, Qt::NoButton, Qt::LeftButton);
    QTRY_COMPARE(hostPos(), kHostPos + kDragDelta);
    sendMouse(m_pTitle, QEvent::MouseMove, startPos + 2 * kDragDelta, Qt::NoButton, Qt::LeftButton);
    QTRY_COMPARE(hostPos(), kHostPos + 2 * kDragDelta);
}

void TestTitleWidget::rightPressStartsNoDrag()
{
    const QPoint startPos = grabPoint();
    sendMouse(m_pTitle, QEvent::MouseButtonPress, startPos, Qt::RightButton, Qt::RightButton);
    QVERIFY(!m_pTitle->isPressed());

    sendMouse(m_pTitle, QEvent::MouseMove, startPos + kDragDelta, Qt::NoButton, Qt::RightButton);
    QCoreApplication::processEvents();
    QCOMPARE(hostPos(), kHostPos);
}

void TestTitleWidget::releaseEndsDrag_data()
{
    QTest::addColumn<int>("button");
    QTest::newRow("left") << int(Qt::LeftButton);
    QTest::newRow("right") << int(Qt::RightButton);
    QTest::newRow("middle") << int(Qt::MiddleButton);
}

// A release of any button ends the drag, even while the left button is still reported held.
void TestTitleWidget::releaseEndsDrag()
{
    QFETCH(int, button);
    const QPoint startPos = grabPoint();
    sendMouse(m_pTitle, QEvent::MouseButtonPress, startPos, Qt::LeftButton, Qt::LeftButton);
    sendMouse(m_pTitle, QEvent::MouseButtonRelease, startPos, Qt::MouseButton(button), Qt::LeftButton);
    QVERIFY(!m_pTitle->isPressed());

    sendMouse(m_pTitle, QEvent::MouseMove, startPos + kDragDelta, Qt::NoButton, Qt::LeftButton);
    QCoreApplication::processEvents();
    QCOMPARE(hostPos(), kHostPos);
}

void TestTitleWidget::doubleClickMaximisesWithoutRestoringOnNextMove()
{
    QWidget *pHost = m_pHost.data();
    connect(m_pTitle, &TitleWidget::sigMaxShow, pHost,
            [pHost] { pHost->isMaximized() ? pHost->showNormal() : pHost->showMaximized(); });
    QSignalSpy maxSpy(m_pTitle, &TitleWidget::sigMaxShow);
    auto *pGuard = m_pTitle->findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
    QVERIFY(pGuard);

    const QPoint startPos = grabPoint();
    sendMouse(m_pTitle, QEvent::MouseButtonPress, startPos, Qt::LeftButton, Qt::LeftButton);
    sendMouse(m_pTitle, QEvent::MouseButtonRelease, startPos, Qt::LeftButton, Qt::NoButton);
    sendMouse(m_pTitle, QEvent::MouseButtonDblClick, startPos, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(maxSpy.count(), 1);
    QVERIFY(pHost->isMaximized());
    QVERIFY(m_pTitle->isPressed());
    QVERIFY(pGuard->isActive());

    // No event loop runs between these events, so the guard cannot have run out.
    sendMouse(m_pTitle, QEvent::MouseMove, startPos + kDragDelta, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(maxSpy.count(), 1);
    QVERIFY(pHost->isMaximized());

    QTRY_VERIFY(!pGuard->isActive());
    sendMouse(m_pTitle, QEvent::MouseMove, startPos + 2 * kDragDelta, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(maxSpy.count(), 2);
    QVERIFY(!pHost->isMaximized());
}

// The title bar only asks for the restore; the window carries it out, so nothing else here
// changes the maximised host.
void TestTitleWidget::dragOfMaximisedWindowRestoresOnFirstMove()
{
    m_pHost->showMaximized();
    QVERIFY(m_pHost->isMaximized());
    const QRect maximisedGeometry = m_pHost->screen()->availableGeometry();
    QTRY_COMPARE(m_pHost->frameGeometry(), maximisedGeometry);
    QSignalSpy maxSpy(m_pTitle, &TitleWidget::sigMaxShow);

    const QPoint startPos = grabPoint();
    sendMouse(m_pTitle, QEvent::MouseButtonPress, startPos, Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(maxSpy.count(), 0);
    sendMouse(m_pTitle, QEvent::MouseMove, startPos + kDragDelta, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(maxSpy.count(), 1);
    QCoreApplication::processEvents();
    QCOMPARE(m_pHost->frameGeometry(), maximisedGeometry);
}

void TestTitleWidget::buttonsEmitTheirSignal_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("minCount");
    QTest::addColumn<int>("maxCount");
    QTest::addColumn<int>("exitCount");
    QTest::newRow("minimise") << QStringLiteral("minBtn") << 1 << 0 << 0;
    QTest::newRow("maximise") << QStringLiteral("maxBtn") << 0 << 1 << 0;
    QTest::newRow("close") << QStringLiteral("exitBtn") << 0 << 0 << 1;
}

void TestTitleWidget::buttonsEmitTheirSignal()
{
    QFETCH(QString, button);
    QFETCH(int, minCount);
    QFETCH(int, maxCount);
    QFETCH(int, exitCount);
    auto *pButton = m_pTitle->findChild<CIconButton *>(button);
    QVERIFY(pButton);
    QSignalSpy minSpy(m_pTitle, &TitleWidget::sigMinShow);
    QSignalSpy maxSpy(m_pTitle, &TitleWidget::sigMaxShow);
    QSignalSpy exitSpy(m_pTitle, &TitleWidget::sigExitApp);

    QTest::mouseClick(pButton, Qt::LeftButton);
    QCOMPARE(minSpy.count(), minCount);
    QCOMPARE(maxSpy.count(), maxCount);
    QCOMPARE(exitSpy.count(), exitCount);
}

void TestTitleWidget::setScaleSetsTitleSize_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<int>("pixelSize");
    QTest::newRow("1.0") << 1.0 << 18;
    QTest::newRow("1.25 truncates 22.5") << 1.25 << 22;
    QTest::newRow("1.5") << 1.5 << 27;
    QTest::newRow("1.75 truncates 31.5") << 1.75 << 31;
    QTest::newRow("2.0") << 2.0 << 36;
}

void TestTitleWidget::setScaleSetsTitleSize()
{
    QFETCH(double, scale);
    QFETCH(int, pixelSize);
    auto *pAppText = m_pTitle->findChild<CText *>(QStringLiteral("appText"));
    QVERIFY(pAppText);
    QCOMPARE(pAppText->text(), QStringLiteral("Kestrova"));

    m_pTitle->setScale(scale);
    m_pTitle->grab(); // the label applies its size to its font when it paints
    QCOMPARE(pAppText->font().pixelSize(), pixelSize);
}

QTEST_MAIN(TestTitleWidget)
#include "tst_titlewidget.moc"
