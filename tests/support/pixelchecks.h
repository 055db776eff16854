#pragma once

// Colour comparisons shared by the widget tests: close enough to catch a wrong colour,
// loose enough for the rounding of blending and antialiasing.

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <cstdlib>
#include <limits>

// How far one channel may be off and still count as the same colour: blending rounds
// differently on different paths (SIMD or not, premultiplied or not), never by more.
constexpr int kColourTolerance = 2;

// The largest difference between the two colours in any channel, alpha included.
inline int channelDifference(const QColor &first, const QColor &second)
{
    return std::max({std::abs(first.red() - second.red()), std::abs(first.green() - second.green()),
                     std::abs(first.blue() - second.blue()), std::abs(first.alpha() - second.alpha())});
}

// The largest channel difference over all pixels; the largest int when the sizes differ.
inline int largestChannelDifference(const QImage &first, const QImage &second)
{
    if (first.size() != second.size())
        return std::numeric_limits<int>::max();
    int nLargest = 0;
    for (int y = 0; y < first.height(); ++y)
        for (int x = 0; x < first.width(); ++x)
            nLargest = std::max(nLargest, channelDifference(first.pixelColor(x, y), second.pixelColor(x, y)));
    return nLargest;
}

// What painting the same pixels over a flat face gives: the face, with textAlone (painted
// on a transparent canvas) laid over it.
inline QImage overFace(const QImage &textAlone, const QColor &face)
{
    QImage image(textAlone.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(face);
    QPainter painter(&image);
    painter.drawImage(0, 0, textAlone);
    return image;
}

// The widget's own painting on a transparent canvas, so that an unpainted pixel stays
// transparent. Painted twice: with auto width the first paint fixes the width.
inline QImage paintedAlone(QWidget *pWidget)
{
    QImage image;
    for (int nPass = 0; nPass < 2; ++nPass) {
        image = QImage(pWidget->size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        pWidget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    }
    return image;
}
