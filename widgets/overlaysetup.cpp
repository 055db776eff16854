#include "widgets/overlaysetup.h"

#include "widgets/ciconbutton.h"
#include "widgets/cwidget.h"

#include <QCoreApplication>

namespace {
const QColor kBackdropColor(QStringLiteral("#80000000"));
const QColor kBoxColor(QStringLiteral("#FEFFFF"));
constexpr int kBoxRadius = 4;
const QLatin1String kCloseImage(":/res/exit1.png");
} // namespace

void setupHintOverlay(QWidget *pOverlay, CWidget *pBackdrop, CWidget *pBox, CIconButton *pClose)
{
    pOverlay->setWindowModality(Qt::ApplicationModal);
    pOverlay->setWindowTitle(QCoreApplication::applicationName());
    pOverlay->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    pOverlay->setAttribute(Qt::WA_TranslucentBackground);
    pBackdrop->setBackgroundColor(kBackdropColor);
    pBox->setBackgroundColor(kBoxColor);
    pBox->setRadius(kBoxRadius);
    pClose->addImageSet({kCloseImage});
}

void showOverParent(QWidget *pOverlay)
{
    if (QWidget *pParent = pOverlay->parentWidget())
        pOverlay->resize(pParent->width(), pParent->height());
    pOverlay->show();
    pOverlay->raise();
}
