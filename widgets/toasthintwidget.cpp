#include "widgets/toasthintwidget.h"

#include "ui_toasthintwidget.h"

#include "core/lazyinstance.h"
#include "widgets/cfontfamily.h"
#include "widgets/overlaysetup.h"

namespace {
LazyInstance<ToastHintWidget> s_instance;

const QLatin1String kSuccessImage(":/res/success.png");
const QLatin1String kFailedImage(":/res/failed.png");
constexpr int kTextFontSize = 20;
} // namespace

ToastHintWidget::ToastHintWidget(QWidget *parent)
    : QWidget(parent)
    , ui(new Ui::ToastHintWidget)
{
    ui->setupUi(this);
    setupHintOverlay(this, ui->bg, ui->tipsBg, ui->exitBtn);
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
    showOverParent(this);
}

// The message wraps and is cut inside the text label's fixed size.
void ToastHintWidget::setupLook()
{
    ui->tipText->setFontFamily(CFontFamily::getInstance()->family());
    ui->tipText->setFontSize(kTextFontSize);
    ui->tipText->setWrapWidth(ui->tipText->maximumWidth());
    ui->tipText->setTextSize(ui->tipText->maximumSize());
    ui->tipText->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    ui->iconLabel->setIcons({kSuccessImage, kFailedImage});
}
