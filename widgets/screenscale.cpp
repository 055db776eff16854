#include "widgets/screenscale.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>

namespace {
constexpr int kReferenceWidth = 1920;
}

int screenScaleForGeometry(const QRect &geometry)
{
    if (geometry.right() - geometry.left() < kReferenceWidth - 1)
        return 1;
    return geometry.width() / kReferenceWidth;
}

int primaryScreenScale()
{
    const QScreen *pScreen = QGuiApplication::primaryScreen();
    return pScreen ? screenScaleForGeometry(pScreen->geometry()) : 1;
}
