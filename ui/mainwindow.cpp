#include "ui/mainwindow.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDebug>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QRect>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "core/nametables.h"
#include "core/toastkind.h"
#include "ui/modifymodule.h"
#include "ui/roundedpoint.h"
#include "ui/titlewidget.h"
#include "ui_mainwindow.h"
#include "widgets/ctexthintpopwidget.h"
#include "widgets/toasthintwidget.h"

namespace {
const QString kWindowTitle = QStringLiteral("Kestrova");
const QString kStyleSheet = QStringLiteral("QMainWindow#MainWindow { background: #00B7FF;}");
// The native window exists only once the window is shown, so the screen-change hook waits
// for the event loop.
constexpr int kScreenHookDelayMs = 1;
constexpr double kBaseDpi = 96.0;

constexpr int kLeftEdge = 1;
constexpr int kRightEdge = 2;
constexpr int kTopEdge = 4;
constexpr int kBottomEdge = 8;

Qt::CursorShape cursorShapeFor(int nDirection)
{
    switch (nDirection) {
    case kLeftEdge | kTopEdge:
    case kRightEdge | kBottomEdge:
        return Qt::SizeFDiagCursor;
    case kRightEdge | kTopEdge:
    case kLeftEdge | kBottomEdge:
        return Qt::SizeBDiagCursor;
    case kLeftEdge:
    case kRightEdge:
        return Qt::SizeHorCursor;
    default:
        return Qt::SizeVerCursor;
    }
}

bool withinLimits(int nValue, int nMinimum, int nMaximum)
{
    return nValue >= nMinimum && nValue <= nMaximum;
}
}

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    initWindow();
    connectScreenDpi(screen());
    QTimer::singleShot(kScreenHookDelayMs, Qt::PreciseTimer, this, &MainWindow::connectScreenChanged);
    connectTitleBar();
    adoptPopups();
}

MainWindow::~MainWindow()
{
    delete ui;
}

ModifyModule *MainWindow::getModifyModule() const
{
    return ui->modifyWidget;
}

void MainWindow::initWindow()
{
    setWindowTitle(kWindowTitle);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setAttribute(Qt::WA_MouseTracking);
    ui->centralwidget->setAttribute(Qt::WA_MouseTracking);
    setStyleSheet(kStyleSheet);
}

void MainWindow::connectScreenDpi(QScreen *pScreen)
{
    m_dpiConnection = connect(pScreen, &QScreen::logicalDotsPerInchChanged, this,
                              &MainWindow::slotLogicalDpiChanged);
}

void MainWindow::connectScreenChanged()
{
    if (QWindow *pWindow = windowHandle())
        connect(pWindow, &QWindow::screenChanged, this, &MainWindow::handleScreenChanged);
}

// The scale follows the new screen's DPI changes from now on; it is not recomputed here.
void MainWindow::handleScreenChanged(QScreen *pScreen)
{
    if (!pScreen)
        return;
    qDebug().noquote() << QStringLiteral("窗口切换到新屏幕：") + pScreen->name();
    if (m_dpiConnection)
        disconnect(m_dpiConnection);
    connectScreenDpi(pScreen);
    adjustSize();
    update();
}

void MainWindow::connectTitleBar()
{
    connect(ui->titleWidget, &TitleWidget::sigExitApp, qApp, &QCoreApplication::quit);
    connect(ui->titleWidget, &TitleWidget::sigMinShow, this, &QWidget::showMinimized);
    connect(ui->titleWidget, &TitleWidget::sigMaxShow, this, &MainWindow::toggleMaximized);
}

// Both pop-ups become overlays inside the window (and go with it).
void MainWindow::adoptPopups()
{
    CTextHintPopWidget::getInstance()->setParent(this);
    ToastHintWidget::getInstance()->setParent(this);
}

void MainWindow::slotShowTips(int nType)
{
    const int nKind = nType == ResultSuccess ? ToastSuccess : ToastFailure;
    ToastHintWidget::getInstance()->showTips(nKind, getResultName(nType));
}

void MainWindow::slotLogicalDpiChanged(double newDpi)
{
    const double scale = newDpi / kBaseDpi;
    qDebug().noquote() << QStringLiteral("系统缩放修改：DPI=%1, 缩放比例=%2").arg(newDpi).arg(scale);
    ui->titleWidget->setScale(scale);
    ui->modifyWidget->setScale(scale);
}

// Maximises on the screen under the cursor, so the window can be sent to another screen.
void MainWindow::toggleMaximized()
{
    QScreen *pScreen = QGuiApplication::screenAt(QCursor::pos());
    if (isMaximized()) {
        showNormal();
        move(m_normalPos);
    } else if (pScreen) {
        m_normalPos = frameGeometry().topLeft();
        move(pScreen->geometry().topLeft());
        showMaximized();
    }
}

// The edges within the border band of a local point; a corner takes one horizontal and
// one vertical edge, the left and the top winning.
int MainWindow::edgeDirection(const QPoint &localPos) const
{
    int nHorizontal = 0;
    if (localPos.x() <= m_nBorder)
        nHorizontal = kLeftEdge;
    else if (localPos.x() >= width() - 1 - m_nBorder)
        nHorizontal = kRightEdge;
    int nVertical = 0;
    if (localPos.y() <= m_nBorder)
        nVertical = kTopEdge;
    else if (localPos.y() >= height() - 1 - m_nBorder)
        nVertical = kBottomEdge;
    return nHorizontal | nVertical;
}

void MainWindow::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_nDirection = edgeDirection(roundedPoint(event->localPos()));
        m_bPressed = m_nDirection != 0;
    }
    QMainWindow::mousePressEvent(event);
}

void MainWindow::mouseMoveEvent(QMouseEvent *event)
{
    if (!isMaximized()) {
        const QPoint globalPos = roundedPoint(event->screenPos());
        if (m_bPressed)
            resizeByDrag(globalPos);
        else
            updateCursorShape(globalPos);
    }
    QMainWindow::mouseMoveEvent(event);
}

void MainWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_bPressed = false;
        m_nDirection = 0;
        unsetCursor();
    }
    QMainWindow::mouseReleaseEvent(event);
}

// Moves each dragged edge to the cursor unless that would break the size limits; the
// other edge of a corner still follows.
void MainWindow::resizeByDrag(const QPoint &globalPos)
{
    QRect rect = geometry();
    const QSize minSize = minimumSize();
    const QSize maxSize = maximumSize();
    if ((m_nDirection & kLeftEdge)
        && withinLimits(rect.right() - globalPos.x() + 1, minSize.width(), maxSize.width()))
        rect.setLeft(globalPos.x());
    if ((m_nDirection & kRightEdge)
        && withinLimits(globalPos.x() - rect.left() + 1, minSize.width(), maxSize.width()))
        rect.setRight(globalPos.x());
    if ((m_nDirection & kTopEdge)
        && withinLimits(rect.bottom() - globalPos.y() + 1, minSize.height(), maxSize.height()))
        rect.setTop(globalPos.y());
    if ((m_nDirection & kBottomEdge)
        && withinLimits(globalPos.y() - rect.top() + 1, minSize.height(), maxSize.height()))
        rect.setBottom(globalPos.y());
    setGeometry(rect);
}

// Leaves the cursor alone while the title bar is being dragged.
void MainWindow::updateCursorShape(const QPoint &globalPos)
{
    if (ui->titleWidget->isPressed())
        return;
    const int nDirection = edgeDirection(mapFromGlobal(globalPos));
    if (nDirection == 0)
        unsetCursor();
    else
        setCursor(cursorShapeFor(nDirection));
}
