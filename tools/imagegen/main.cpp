// Paints the program's nine images into the folder given as the only argument.
// The glyphs are plain antialiased strokes on a transparent background, so every image
// stays legible on the accent colour as well as on white.

#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QTextStream>

namespace {

const QColor kWhite(QStringLiteral("#FFFFFF"));
const QColor kCloseGrey(QStringLiteral("#6B7885"));
const QColor kArrowDark(QStringLiteral("#4A5560"));
const QColor kSuccessGreen(QStringLiteral("#27C281"));
const QColor kFailedRed(QStringLiteral("#F2545B"));
const QColor kWarnOrange(QStringLiteral("#FF9F1A"));

constexpr int kPopCloseSide = 34;
constexpr int kToastIconSide = 96;
constexpr int kSmallIconSide = 20;
constexpr int kTitleIconSide = 24;
constexpr int kArrowWidth = 12;
constexpr int kArrowHeight = 7;

QPen roundPen(const QColor &color, qreal dWidth)
{
    return QPen(color, dWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

QPen squarePen(const QColor &color, qreal dWidth)
{
    return QPen(color, dWidth, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
}

// A cross whose arms span the square centred in the image with the given half side.
void drawCross(QPainter &painter, const QPointF &centre, qreal dHalf)
{
    painter.drawLine(centre + QPointF(-dHalf, -dHalf), centre + QPointF(dHalf, dHalf));
    painter.drawLine(centre + QPointF(-dHalf, dHalf), centre + QPointF(dHalf, -dHalf));
}

void drawDisc(QPainter &painter, const QColor &color, const QRectF &rect)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(rect);
}

void drawPopClose(QPainter &painter)
{
    painter.setPen(roundPen(kCloseGrey, 4.5));
    drawCross(painter, QPointF(17.0, 17.0), 11.0);
}

void drawSuccess(QPainter &painter)
{
    drawDisc(painter, kSuccessGreen, QRectF(4.0, 4.0, 88.0, 88.0));
    QPainterPath tick;
    tick.moveTo(27.0, 49.0);
    tick.lineTo(42.0, 64.0);
    tick.lineTo(70.0, 35.0);
    painter.setPen(roundPen(kWhite, 8.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(tick);
}

void drawFailed(QPainter &painter)
{
    drawDisc(painter, kFailedRed, QRectF(4.0, 4.0, 88.0, 88.0));
    painter.setPen(roundPen(kWhite, 8.0));
    drawCross(painter, QPointF(48.0, 48.0), 17.0);
}

void drawWarn(QPainter &painter)
{
    drawDisc(painter, kWarnOrange, QRectF(0.5, 0.5, 19.0, 19.0));
    painter.setPen(roundPen(kWhite, 2.4));
    painter.drawLine(QPointF(10.0, 5.2), QPointF(10.0, 11.0));
    drawDisc(painter, kWhite, QRectF(8.6, 13.2, 2.8, 2.8));
}

void drawSearch(QPainter &painter)
{
    painter.setPen(roundPen(kWhite, 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(8.5, 8.5), 5.5, 5.5);
    painter.setPen(roundPen(kWhite, 2.6));
    painter.drawLine(QPointF(12.8, 12.8), QPointF(17.0, 17.0));
}

void drawDown(QPainter &painter)
{
    QPainterPath chevron;
    chevron.moveTo(1.5, 1.5);
    chevron.lineTo(6.0, 5.5);
    chevron.lineTo(10.5, 1.5);
    painter.setPen(roundPen(kArrowDark, 1.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(chevron);
}

void drawTitleExit(QPainter &painter)
{
    painter.setPen(roundPen(kWhite, 2.0));
    drawCross(painter, QPointF(12.0, 12.0), 5.5);
}

void drawTitleMin(QPainter &painter)
{
    painter.setPen(squarePen(kWhite, 2.0));
    painter.drawLine(QPointF(7.0, 13.0), QPointF(17.0, 13.0));
}

void drawTitleMax(QPainter &painter)
{
    painter.setPen(squarePen(kWhite, 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(7.0, 7.0, 10.0, 10.0));
}

struct ImageJob_S
{
    const char *pszName;
    int nWidth;
    int nHeight;
    void (*draw)(QPainter &painter);
};

const ImageJob_S kJobs[] = {
    {"exit1.png", kPopCloseSide, kPopCloseSide, drawPopClose},
    {"success.png", kToastIconSide, kToastIconSide, drawSuccess},
    {"failed.png", kToastIconSide, kToastIconSide, drawFailed},
    {"warn.png", kSmallIconSide, kSmallIconSide, drawWarn},
    {"search.png", kSmallIconSide, kSmallIconSide, drawSearch},
    {"down.png", kArrowWidth, kArrowHeight, drawDown},
    {"exit.png", kTitleIconSide, kTitleIconSide, drawTitleExit},
    {"min.png", kTitleIconSide, kTitleIconSide, drawTitleMin},
    {"max.png", kTitleIconSide, kTitleIconSide, drawTitleMax},
};

// A transparent canvas of the job's size with its glyph drawn antialiased.
QImage paintImage(const ImageJob_S &job)
{
    QImage image(job.nWidth, job.nHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    job.draw(painter);
    painter.end();
    return image;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList listArgs = app.arguments();
    if (listArgs.size() != 2) {
        err << "usage: kestrova-imagegen <res folder>\n";
        return 2;
    }
    const QDir outDir(listArgs.at(1));
    for (const ImageJob_S &job : kJobs) {
        const QString strPath = outDir.filePath(QString::fromLatin1(job.pszName));
        if (!paintImage(job).save(strPath)) {
            err << "cannot write " << strPath << "\n";
            return 1;
        }
    }
    return 0;
}
