#include "widgets/ctexthintpopwidget.h"

#include "ui_ctexthintpopwidget.h"

#include "core/lazyinstance.h"
#include "widgets/cfontfamily.h"
#include "widgets/overlaysetup.h"

#include <QMouseEvent>
#include <QPixmap>

namespace {
LazyInstance<CTextHintPopWidget> s_instance;

const QLatin1String kWarnImage(":/res/warn.png");
const QLatin1String kTipTextSheet("QLabel{font:14px @family;color:#000000;}");
constexpr int kButtonFontSize = 10;
const QColor kSureFillColor(QStringLiteral("#00B7FF"));
const QColor kCancelFillColor(QStringLiteral("#B4C4D1"));
const QColor kButtonTextColor(QStringLiteral("#FFFFFF"));

QPoint globalCursor(const QMouseEvent *event)
{
    return event->screenPos().toPoint();
}
} // namespace

CTextHintPopWidget::CTextHintPopWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::CTextHintPopWidget)
    , m_bDrag(false)
    , m_nOffsetX(0)
    , m_nOffsetY(0)
{
    ui->setupUi(this);
    setupHintOverlay(this, ui->bg, ui->tipsBg, ui->exitBtn);
    setupLook();
    setupButtons();
    connectAnswers();
    hide();
}

CTextHintPopWidget::~CTextHintPopWidget()
{
    s_instance.forget(this);
    delete ui;
}

CTextHintPopWidget *CTextHintPopWidget::getInstance(QWidget *parent)
{
    return s_instance.get([parent] { return new CTextHintPopWidget(parent); });
}

void CTextHintPopWidget::setTipText(const QString &strText)
{
    ui->tipText->setText(strText);
}

void CTextHintPopWidget::showPop()
{
    showOverParent(this);
}

void CTextHintPopWidget::hidePop()
{
    hide();
}

void CTextHintPopWidget::setTipIcon(const QString &strPath)
{
    ui->tipsLabel->setPixmap(QPixmap(strPath));
}

void CTextHintPopWidget::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_bDrag = true;
        const QPoint offset = globalCursor(event) - window()->frameGeometry().topLeft();
        m_nOffsetX = offset.x();
        m_nOffsetY = offset.y();
    }
    QWidget::mousePressEvent(event);
}

void CTextHintPopWidget::mouseMoveEvent(QMouseEvent *event)
{
    if (m_bDrag && (event->buttons() & Qt::LeftButton))
        window()->move(globalCursor(event) - QPoint(m_nOffsetX, m_nOffsetY));
    QWidget::mouseMoveEvent(event);
}

void CTextHintPopWidget::setupLook()
{
    ui->tipsLabel->setPixmap(QPixmap(kWarnImage));
    ui->tipsLabel->setScaledContents(true);
    ui->tipText->setStyleSheet(CFontFamily::getInstance()->styleSheet(kTipTextSheet));
    ui->tipText->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ui->tipText->setWordWrap(true);
}

void CTextHintPopWidget::setupButtons()
{
    ui->sureBtn->setText(QStringLiteral("Yes"));
    ui->sureBtn->setFontSize(kButtonFontSize);
    ui->sureBtn->setColors(Qt::transparent, Qt::transparent, kSureFillColor,
                           Qt::transparent, kButtonTextColor, kButtonTextColor);
    ui->cancelBtn->setText(QStringLiteral("No"));
    ui->cancelBtn->setFontSize(kButtonFontSize);
    ui->cancelBtn->setColors(Qt::transparent, Qt::transparent, kCancelFillColor,
                             Qt::transparent, kButtonTextColor, kButtonTextColor);
}

// The answers go out on released, not clicked: a press dragged off a button answers too.
void CTextHintPopWidget::connectAnswers()
{
    connect(ui->exitBtn, &QAbstractButton::released, this, &CTextHintPopWidget::sigCancel);
    connect(ui->cancelBtn, &QAbstractButton::released, this, &CTextHintPopWidget::sigCancel);
    connect(ui->sureBtn, &QAbstractButton::released, this, &CTextHintPopWidget::sigSure);
}
