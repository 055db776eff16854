// The frameless main window: its own edge resizing, maximise and restore, DPI scaling of
// the title bar and the device view, and result toasts.

#include <QtTest>

#include <QCursor>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScopedPointer>
#include <QScreen>
#include <QTableWidget>
#include <QWindow>

#include "support/formchecks.h"
#include "support/logcapture.h"
#include "ui/mainwindow.h"
#include "ui/modifymodule.h"
#include "ui/titlewidget.h"
#include "widgets/ciconbutton.h"
#include "widgets/ciconlabel.h"
#include "widgets/ctext.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"

namespace {

const QRect kStartGeometry(100, 80, 1107, 679);
constexpr int kOutward = 20;

enum Edge { NoEdge = 0, LeftEdge = 1, RightEdge = 2, TopEdge = 4, BottomEdge = 8 };

void sendMouse(QWidget *pWidget, QEvent::Type type, const QPoint &globalPos, Qt::MouseButton button,
               Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pWidget->mapFromGlobal(globalPos), globalPos, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(pWidget, &event);
}

// The edges whose position differs between two geometries, as direction flags.
int movedEdges(const QRect &before, const QRect &after)
{
    return (before.left() != after.left() ? LeftEdge : NoEdge) | (before.right() != after.right() ? RightEdge : NoEdge)
         | (before.top() != after.top() ? TopEdge : NoEdge) | (before.bottom() != after.bottom() ? BottomEdge : NoEdge);
}

// QObject::receivers is protected; a pointer to it taken through a subclass works on any object.
struct ReceiverProbe : QObject
{
    static int count(const QObject *pSender, const char *pSignal)
    {
        return (pSender->*(&ReceiverProbe::receivers))(pSignal);
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void popupsAreChildrenOfTheWindow();
    void pressClassifiesEdges_data();
    void pressClassifiesEdges();
    void hoverSetsResizeCursor_data();
    void hoverSetsResizeCursor();
    void dragKeepsSizeLimits_data();
    void dragKeepsSizeLimits();
    void releaseEndsResize();
    void maximiseThenRestoreReturnsToFramePosition();
    void maximiseWithoutScreenUnderCursorDoesNothing();
    void minimiseButtonMinimises();
    void logicalDpiChangeScalesTitleAndView_data();
    void logicalDpiChangeScalesTitleAndView();
    void screenDpiChangeReachesWindow();
    void screenChangeMovesDpiConnection();
    void showTipsShowsResultText_data();
    void showTipsShowsResultText();

private:
    void edgeTable();
    void clickTitleButton(const QString &strName);

    QScopedPointer<MainWindow> m_pWindow;
};

void TestMainWindow::init()
{
    m_pWindow.reset(new MainWindow);
    m_pWindow->setGeometry(kStartGeometry);
    m_pWindow->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pWindow.data()));
    QTRY_COMPARE(m_pWindow->geometry(), kStartGeometry);
}

void TestMainWindow::cleanup()
{
    m_pWindow.reset();
}

void TestMainWindow::clickTitleButton(const QString &strName)
{
    auto *pButton = m_pWindow->findChild<CIconButton *>(strName);
    QVERIFY(pButton);
    QTest::mouseClick(pButton, Qt::LeftButton);
}

void TestMainWindow::popupsAreChildrenOfTheWindow()
{
    QCOMPARE(CTextHintPopWidget::getInstance()->parentWidget(), m_pWindow.data());
    QCOMPARE(ToastHintWidget::getInstance()->parentWidget(), m_pWindow.data());
    QVERIFY(!CTextHintPopWidget::getInstance()->isWindow());
    QVERIFY(!ToastHintWidget::getInstance()->isWindow());
}

// Positions on the 1107 × 679 window, the band being 5 pixels wide.
void TestMainWindow::edgeTable()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("cursorShape");
    QTest::newRow("top-left corner (5,5)") << QPoint(5, 5) << 5 << int(Qt::SizeFDiagCursor);
    QTest::newRow("top-left corner (0,0)") << QPoint(0, 0) << 5 << int(Qt::SizeFDiagCursor);
    QTest::newRow("(6,6) is inside") << QPoint(6, 6) << 0 << int(Qt::ArrowCursor);
    QTest::newRow("left x=5") << QPoint(5, 300) << 1 << int(Qt::SizeHorCursor);
    QTest::newRow("x=6 is inside") << QPoint(6, 300) << 0 << int(Qt::ArrowCursor);
    QTest::newRow("right x=1101") << QPoint(1101, 300) << 2 << int(Qt::SizeHorCursor);
    QTest::newRow("x=1100 is inside") << QPoint(1100, 300) << 0 << int(Qt::ArrowCursor);
    QTest::newRow("top y=5") << QPoint(500, 5) << 4 << int(Qt::SizeVerCursor);
    QTest::newRow("bottom y=673") << QPoint(500, 673) << 8 << int(Qt::SizeVerCursor);
    QTest::newRow("y=672 is inside") << QPoint(500, 672) << 0 << int(Qt::ArrowCursor);
    QTest::newRow("top-right corner") << QPoint(1101, 5) << 6 << int(Qt::SizeBDiagCursor);
    QTest::newRow("bottom-left corner") << QPoint(5, 673) << 9 << int(Qt::SizeBDiagCursor);
    QTest::newRow("bottom-right corner") << QPoint(1106, 678) << 10 << int(Qt::SizeFDiagCursor);
}

void TestMainWindow::pressClassifiesEdges_data()
{
    edgeTable();
}

// Drags from the pressed point away from the window's centre: exactly the classified
// edges follow, since growing never breaks a limit.
void TestMainWindow::pressClassifiesEdges()
{
    QFETCH(QPoint, pos);
    QFETCH(int, direction);
    const QPoint globalPos = m_pWindow->mapToGlobal(pos);
    const QPoint centre = m_pWindow->rect().center();
    const QPoint outward(pos.x() < centre.x() ? -kOutward : kOutward, pos.y() < centre.y() ? -kOutward : kOutward);

    sendMouse(m_pWindow.data(), QEvent::MouseButtonPress, globalPos, Qt::LeftButton, Qt::LeftButton);
    sendMouse(m_pWindow.data(), QEvent::MouseMove, globalPos + outward, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(movedEdges(kStartGeometry, m_pWindow->geometry()), direction);
}

void TestMainWindow::hoverSetsResizeCursor_data()
{
    edgeTable();
}

void TestMainWindow::hoverSetsResizeCursor()
{
    QFETCH(QPoint, pos);
    QFETCH(int, direction);
    QFETCH(int, cursorShape);
    sendMouse(m_pWindow.data(), QEvent::MouseMove, m_pWindow->mapToGlobal(pos), Qt::NoButton, Qt::NoButton);
    QCOMPARE(m_pWindow->testAttribute(Qt::WA_SetCursor), direction != 0);
    QCOMPARE(int(m_pWindow->cursor().shape()), cursorShape);
    QCOMPARE(m_pWindow->geometry(), kStartGeometry);
}

void TestMainWindow::dragKeepsSizeLimits_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QPoint>("delta");
    QTest::addColumn<QRect>("expected");
    const QRect start = kStartGeometry;
    QTest::newRow("left edge outwards") << QPoint(2, 300) << QPoint(-40, 0)
                                        << start.adjusted(-38, 0, 0, 0);
    QTest::newRow("left edge inwards below minimum width") << QPoint(2, 300) << QPoint(50, 0) << start;
    QTest::newRow("right edge outwards") << QPoint(1104, 300) << QPoint(40, 0)
                                         << start.adjusted(0, 0, 38, 0);
    QTest::newRow("right edge inwards") << QPoint(1104, 300) << QPoint(-40, 0) << start;
    QTest::newRow("bottom edge inwards") << QPoint(500, 676) << QPoint(0, -40) << start;
    QTest::newRow("top edge outwards") << QPoint(500, 3) << QPoint(0, -25) << start.adjusted(0, -22, 0, 0);
    QTest::newRow("top-left corner: left held at minimum, top moves")
        << QPoint(2, 2) << QPoint(50, -30) << start.adjusted(0, -28, 0, 0);
    QTest::newRow("bottom-right corner: bottom held at minimum, right moves")
        << QPoint(1104, 676) << QPoint(30, -30) << start.adjusted(0, 0, 28, 0);
}

// The dragged edge lands on the cursor (not on the press offset), or stays where it is.
void TestMainWindow::dragKeepsSizeLimits()
{
    QFETCH(QPoint, pos);
    QFETCH(QPoint, delta);
    QFETCH(QRect, expected);
    const QPoint globalPos = m_pWindow->mapToGlobal(pos);
    sendMouse(m_pWindow.data(), QEvent::MouseButtonPress, globalPos, Qt::LeftButton, Qt::LeftButton);
    sendMouse(m_pWindow.data(), QEvent::MouseMove, globalPos + delta, Qt::NoButton, Qt::LeftButton);
    QCOMPARE(m_pWindow->geometry(), expected);
    QVERIFY(m_pWindow->width() >= m_pWindow->minimumWidth());
    QVERIFY(m_pWindow->height() >= m_pWindow->minimumHeight());
}

void TestMainWindow::releaseEndsResize()
{
    const QPoint globalPos = m_pWindow->mapToGlobal(QPoint(1104, 300));
    sendMouse(m_pWindow.data(), QEvent::MouseButtonPress, globalPos, Qt::LeftButton, Qt::LeftButton);
    sendMouse(m_pWindow.data(), QEvent::MouseButtonRelease, globalPos, Qt::LeftButton, Qt::NoButton);
    QVERIFY(!m_pWindow->testAttribute(Qt::WA_SetCursor));
    sendMouse(m_pWindow.data(), QEvent::MouseMove, globalPos + QPoint(kOutward, 0), Qt::NoButton, Qt::NoButton);
    QCOMPARE(m_pWindow->geometry(), kStartGeometry);
}

void TestMainWindow::maximiseThenRestoreReturnsToFramePosition()
{
    QScreen *pScreen = QGuiApplication::primaryScreen();
    QVERIFY(pScreen);
    QCursor::setPos(pScreen->geometry().center());
    if (QGuiApplication::screenAt(QCursor::pos()) != pScreen)
        QSKIP("the platform does not report a cursor position on its screen");
    const QPoint normalPos = m_pWindow->frameGeometry().topLeft();

    clickTitleButton(QStringLiteral("maxBtn"));
    if (!m_pWindow->isMaximized())
        QSKIP("the platform does not maximise windows");
    QTRY_COMPARE(m_pWindow->frameGeometry().topLeft(), pScreen->geometry().topLeft());

    clickTitleButton(QStringLiteral("maxBtn"));
    QVERIFY(!m_pWindow->isMaximized());
    QTRY_COMPARE(m_pWindow->frameGeometry().topLeft(), normalPos);
}

void TestMainWindow::maximiseWithoutScreenUnderCursorDoesNothing()
{
    const QRect screens = QGuiApplication::primaryScreen()->virtualGeometry();
    QCursor::setPos(screens.bottomRight() + QPoint(1000, 1000));
    if (QGuiApplication::screenAt(QCursor::pos()))
        QSKIP("the platform keeps the cursor on a screen");

    clickTitleButton(QStringLiteral("maxBtn"));
    QVERIFY(!m_pWindow->isMaximized());
    QCOMPARE(m_pWindow->geometry(), kStartGeometry);
}

void TestMainWindow::minimiseButtonMinimises()
{
    clickTitleButton(QStringLiteral("minBtn"));
    QVERIFY(m_pWindow->isMinimized());
}

void TestMainWindow::logicalDpiChangeScalesTitleAndView_data()
{
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("titleSize");
    QTest::addColumn<QString>("tableFont");
    QTest::addColumn<QString>("headerFont");
    QTest::newRow("96 dpi") << 96.0 << 18 << QStringLiteral("font:14px") << QStringLiteral("font:16px");
    QTest::newRow("120 dpi") << 120.0 << 22 << QStringLiteral("font:17.5px") << QStringLiteral("font:20px");
    QTest::newRow("144 dpi") << 144.0 << 27 << QStringLiteral("font:21px") << QStringLiteral("font:24px");
}

void TestMainWindow::logicalDpiChangeScalesTitleAndView()
{
    QFETCH(double, dpi);
    QFETCH(int, titleSize);
    QFETCH(QString, tableFont);
    QFETCH(QString, headerFont);
    auto *pAppText = m_pWindow->findChild<CText *>(QStringLiteral("appText"));
    auto *pTable = m_pWindow->getModifyModule()->findChild<QTableWidget *>(QStringLiteral("ipTable"));
    QVERIFY(pAppText);
    QVERIFY(pTable);

    m_pWindow->slotLogicalDpiChanged(dpi);
    m_pWindow->grab(); // the title label applies its size to its font when it paints
    QCOMPARE(pAppText->font().pixelSize(), titleSize);
    QVERIFY2(pTable->styleSheet().contains(tableFont), qPrintable(pTable->styleSheet()));
    QVERIFY2(pTable->horizontalHeader()->styleSheet().contains(headerFont),
             qPrintable(pTable->horizontalHeader()->styleSheet()));
}

// The window follows the DPI of the screen it was created on.
void TestMainWindow::screenDpiChangeReachesWindow()
{
    auto *pAppText = m_pWindow->findChild<CText *>(QStringLiteral("appText"));
    QVERIFY(pAppText);
    emit m_pWindow->screen()->logicalDotsPerInchChanged(144.0);
    m_pWindow->grab();
    QCOMPARE(pAppText->font().pixelSize(), 27);
}

// The window hooks its native window's screen changes once the event loop has run.
void TestMainWindow::screenChangeMovesDpiConnection()
{
    QScreen *pScreen = m_pWindow->screen();
    QWindow *pNative = m_pWindow->windowHandle();
    QVERIFY(pNative);
    const QString strLogLine = QStringLiteral("窗口切换到新屏幕：") + pScreen->name();
    const int nDpiReceivers = ReceiverProbe::count(pScreen, SIGNAL(logicalDotsPerInchChanged(qreal)));

    {
        const LogCapture capture;
        QTRY_VERIFY((emit pNative->screenChanged(pScreen), LogCapture::messages().contains(strLogLine)));
    }

    QCOMPARE(ReceiverProbe::count(pScreen, SIGNAL(logicalDotsPerInchChanged(qreal))), nDpiReceivers);
    auto *pAppText = m_pWindow->findChild<CText *>(QStringLiteral("appText"));
    QVERIFY(pAppText);
    emit pScreen->logicalDotsPerInchChanged(120.0);
    m_pWindow->grab();
    QCOMPARE(pAppText->font().pixelSize(), 22);
}

void TestMainWindow::showTipsShowsResultText_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("icon");
    QTest::newRow("0 success") << 0 << QStringLiteral("Success") << QStringLiteral(":/res/success.png");
    QTest::newRow("1 failed") << 1 << QStringLiteral("Failed") << QStringLiteral(":/res/failed.png");
    QTest::newRow("2 form error") << 2 << QStringLiteral("Form Error") << QStringLiteral(":/res/failed.png");
    QTest::newRow("-1 unknown") << -1 << QStringLiteral("Unknow") << QStringLiteral(":/res/failed.png");
    QTest::newRow("5 without entry") << 5 << QStringLiteral("Unknow") << QStringLiteral(":/res/failed.png");
}

void TestMainWindow::showTipsShowsResultText()
{
    QFETCH(int, type);
    QFETCH(QString, text);
    QFETCH(QString, icon);
    ToastHintWidget *pToast = ToastHintWidget::getInstance();
    auto *pTipText = pToast->findChild<CText *>(QStringLiteral("tipText"));
    auto *pIconLabel = pToast->findChild<CIconLabel *>(QStringLiteral("iconLabel"));
    QVERIFY(pTipText);
    QVERIFY(pIconLabel);
    const QImage expectedIcon = imageOf(icon);
    QVERIFY2(!expectedIcon.isNull(), qPrintable(icon));

    m_pWindow->slotShowTips(type);
    QVERIFY(pToast->isVisible());
    QCOMPARE(pToast->size(), m_pWindow->size());
    QCOMPARE(pTipText->text(), text);
    QCOMPARE(pIconLabel->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32), expectedIcon);
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
