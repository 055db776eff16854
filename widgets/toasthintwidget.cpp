#include "widgets/toasthintwidget.h"

#include "ui_toasthintwidget.h"

#include "core/lazyinstance.h"

#include <QCoreApplication>

namespace {
LazyInstance<ToastHintWidget> s_instance;

const QColor kBackdropColor(QStringLiteral("#80000000"));
const QColor kBoxColor(QStringLiteral("#FEFFFF"));
constexpr int kBoxRadius = 4;
const QLatin1String kCloseImage(":/res/exit1.png");
const QLatin1String kSuccessImage(":/res/success.png");
const QLatin1String kFailedImage(":/res/failed.png");
const QLatin1String kTextFamily("Microsoft YaHei");
constexpr int kTextFontSize = 20;
} // namespace

ToastHintWidget::ToastHintWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ToastHintWidget)
{
    ui->setupUi(this);
    setupWindow();
    setupLook();
    connect(ui->exitBtn, &QAbstractButton::released, this, &QWidget::hide);
    hide();
}

ToastHintWidget::~ToastHintWidget()
{
    s_instance.forget(this);
    delete ui;
}

ToastHintWidget *ToastHintWidget::getInstance()
{
    return s_instance.get([] { return new ToastHintWidget; });
}

void ToastHintWidget::showTips(int nKind, const QString &strText)
{
    ui->tipText->setText(strText);
    ui->iconLabel->setIconIndex(nKind);
    if (QWidget *pParent = parentWidget())
        resize(pParent->width(), pParent->height());
    show();
    raise();
}

void ToastHintWidget::setupWindow()
{
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QCoreApplication::applicationName());
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setAttribute(Qt::WA_TranslucentBackground);
}

// The message wraps and is cut inside the text label's fixed size.
void ToastHintWidget::setupLook()
{
    ui->bg->setBackgroundColor(kBackdropColor);
    ui->exitBtn->addImageSet({kCloseImage});
    ui->tipsBg->setBackgroundColor(kBoxColor);
    ui->tipsBg->setRadius(kBoxRadius);
    ui->tipText->setFontFamily(kTextFamily);
    ui->tipText->setFontSize(kTextFontSize);
    ui->tipText->setWrapWidth(ui->tipText->maximumWidth());
    ui->tipText->setTextSize(ui->tipText->maximumSize());
    ui->tipText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ui->iconLabel->setIcons({kSuccessImage, kFailedImage});
}
