#include "ui/titlewidget.h"

#include <QColor>
#include <QMouseEvent>
#include <QStringList>
#include <QTimer>

#include "ui/roundedpoint.h"
#include "ui_titlewidget.h"
#include "widgets/cfontfamily.h"

namespace {
const QString kAppName = QStringLiteral("Kestrova");
const QString kStyleSheet = QStringLiteral("QWidget#bg {background: #00B7FF;}");
const QColor kTextColor = QColor(QStringLiteral("#FFFFFF"));
constexpr int kTextWidth = 200;
constexpr int kDblClickGuardMs = 100;

const QString kExitImage = QStringLiteral(":/res/exit.png");
const QString kMinImage = QStringLiteral(":/res/min.png");
const QString kMaxImage = QStringLiteral(":/res/max.png");
}

TitleWidget::TitleWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::TitleWidget)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_MouseTracking);
    setStyleSheet(kStyleSheet);
    initAppText();
    initButtons();
    initConnect();
    initDblClickTimer();
}

TitleWidget::~TitleWidget()
{
    delete ui;
}

bool TitleWidget::isPressed() const
{
    return m_bPressed;
}

void TitleWidget::setScale(double scale)
{
    ui->appText->setFontSize(int(m_nFontSize * scale));
}

void TitleWidget::initAppText()
{
    ui->appText->setText(kAppName);
    ui->appText->setFontSize(m_nFontSize);
    ui->appText->setColor(kTextColor);
    ui->appText->setFontFamily(CFontFamily::getInstance()->family());
    ui->appText->setTextWidth(kTextWidth);
}

void TitleWidget::initButtons()
{
    ui->exitBtn->addImageSet(QStringList{kExitImage});
    ui->minBtn->addImageSet(QStringList{kMinImage});
    ui->maxBtn->addImageSet(QStringList{kMaxImage});
}

void TitleWidget::initConnect()
{
    connect(ui->minBtn, &QAbstractButton::released, this, &TitleWidget::sigMinShow);
    connect(ui->maxBtn, &QAbstractButton::released, this, &TitleWidget::sigMaxShow);
    connect(ui->exitBtn, &QAbstractButton::released, this, &TitleWidget::sigExitApp);
}

// Started by a double click; while it runs, moves of a maximised window do not restore it.
void TitleWidget::initDblClickTimer()
{
    m_dblClickTimer = new QTimer(this);
    m_dblClickTimer->setInterval(kDblClickGuardMs);
    connect(m_dblClickTimer, &QTimer::timeout, m_dblClickTimer, &QTimer::stop);
}

void TitleWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_bPressed = true;
        m_dragOffset = roundedPoint(event->screenPos()) - window()->frameGeometry().topLeft();
    }
    QWidget::mousePressEvent(event);
}

void TitleWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bPressed && (event->buttons() & Qt::LeftButton)) {
        QWidget *pWindow = window();
        if (pWindow->isMaximized()) {
            if (!m_dblClickTimer->isActive())
                emit sigMaxShow();
        } else {
            pWindow->move(roundedPoint(event->screenPos()) - m_dragOffset);
        }
    }
    QWidget::mouseMoveEvent(event);
}

// The base class hands the double click on as a press, which starts the drag state.
void TitleWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit sigMaxShow();
    m_dblClickTimer->start();
    QWidget::mouseDoubleClickEvent(event);
}

// Any button ends a drag; the release is not passed on.
void TitleWidget::mouseReleaseEvent(QMouseEvent *)
{
    m_bPressed = false;
}
