#include "widgets/ctextbutton.h"
#include "widgets/screenscale.h"

#include "support/buttonhost.h"
#include "support/pixelchecks.h"

#include <QPainter>
#include <QTest>

namespace {
const QColor kAccent(QStringLiteral("#00B7FF"));
const QColor kWhite(QStringLiteral("#FFFFFF"));
const QColor kFill(Qt::red);
const QColor kBorder(QStringLiteral("#3366CC"));
const QSize kButtonSize = ButtonHost::buttonSize();
constexpr int kPadding = 14;
constexpr int kMaxWidth = 120;

// The pop-up's "Yes" colours: only the enabled fill is visible.
void setYesColors(CTextButton &button)
{
    button.setColors(Qt::transparent, Qt::transparent, kAccent, Qt::transparent, kWhite, kWhite);
}

void setFillOnly(CTextButton &button, const QColor &fill)
{
    button.setColors(Qt::transparent, Qt::transparent, fill, fill, Qt::transparent,
                     Qt::transparent);
}

QFont buttonFont(const QString &strFamily, int nPixelSize, int nWeight)
{
    QFont font(strFamily);
    font.setPixelSize(nPixelSize);
    font.setWeight(nWeight);
    return font;
}

int textWidth(const QFont &font, const QSize &size, const QString &strText)
{
    const QRect area(QPoint(0, 0), size);
    return QFontMetrics(font).boundingRect(area, Qt::AlignCenter, strText).width();
}

// A reference face: one rounded rectangle over (m, m, W - 2m, H - 2m) with the given radius.
QImage referenceFace(const QSize &size, int nMargin, int nRadius)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kFill);
    painter.drawRoundedRect(QRect(nMargin, nMargin, size.width() - 2 * nMargin,
                                  size.height() - 2 * nMargin),
                            nRadius, nRadius, Qt::AbsoluteSize);
    return image;
}

// Rows [first, last] that hold a pixel of the given colour with some coverage.
QPair<int, int> rowsWithColour(const QImage &image, const QColor &colour)
{
    int nFirst = -1;
    int nLast = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() > 0 && pixel.rgb() == colour.rgb()) {
                if (nFirst < 0)
                    nFirst = y;
                nLast = y;
                break;
            }
        }
    }
    return {nFirst, nLast};
}

QImage quadrant(const QImage &image, int k)
{
    const QSize half(image.width() / 2, image.height() / 2);
    const QPoint origin((k % 2) * half.width(), (k / 2) * half.height());
    return image.copy(QRect(origin, half));
}
} // namespace

class TestCTextButton : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void screenScale_data();
    void screenScale();
    void defaultsPaintBlackTextOnNothing();
    void disabledYesIsWhiteTextOnTransparent();
    void enablingYesPaintsAccentFace();
    void createdInDisabledParentUsesDisabledColours();
    void plainRectangle_data();
    void plainRectangle();
    void marginReducesCornerRadius();
    void radiiGoClockwise();
    void gradientRunsLeftToRight();
    void borderNeedsColourAndWidth_data();
    void borderNeedsColourAndWidth();
    void textDrawnOnePixelHigh();
    void autoWidthFitsShortText_data();
    void autoWidthFitsShortText();
    void autoWidthOf40PxText();
    void autoWidthShortensLongText();

private:

    ButtonHost m_host;
};

void TestCTextButton::init()
{
    m_host.reset();
}

void TestCTextButton::cleanup()
{
    m_host.clear();
}

void TestCTextButton::screenScale_data()
{
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("scale");
    QTest::newRow("1280 wide") << QRect(0, 0, 1280, 1024) << 1;
    QTest::newRow("1919 wide") << QRect(0, 0, 1919, 1080) << 1;
    QTest::newRow("1920 wide") << QRect(0, 0, 1920, 1080) << 1;
    QTest::newRow("2560 wide") << QRect(0, 0, 2560, 1440) << 1;
    QTest::newRow("3839 wide") << QRect(0, 0, 3839, 2160) << 1;
    QTest::newRow("3840 wide") << QRect(0, 0, 3840, 2160) << 2;
    QTest::newRow("5760 wide") << QRect(0, 0, 5760, 3240) << 3;
    QTest::newRow("left of the origin") << QRect(-3840, 0, 3840, 2160) << 2;
}

void TestCTextButton::screenScale()
{
    QFETCH(QRect, geometry);
    QFETCH(int, scale);
    QCOMPARE(screenScaleForGeometry(geometry), scale);
}

void TestCTextButton::defaultsPaintBlackTextOnNothing()
{
    CTextButton *pButton = m_host.makeButton("Yes");
    const QImage image = paintedAlone(pButton);
    QCOMPARE(image.size(), kButtonSize);
    QCOMPARE(image.pixelColor(2, 2).alpha(), 0);
    QVERIFY(rowsWithColour(image, Qt::black).first >= 0);
}

void TestCTextButton::disabledYesIsWhiteTextOnTransparent()
{
    CTextButton *pButton = m_host.makeButton("Yes");
    pButton->setFontSize(10);
    setYesColors(*pButton);
    pButton->setEnabled(false);

    const QImage image = paintedAlone(pButton);
    int nTextPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 0)
                continue;
            QCOMPARE(pixel.rgb(), kWhite.rgb());
            ++nTextPixels;
        }
    }
    QVERIFY(nTextPixels > 0);
    QVERIFY(nTextPixels < image.width() * image.height() / 4);
}

// The disabled button paints the white text alone (see above); enabled, the same text lies
// over the accent face.
void TestCTextButton::enablingYesPaintsAccentFace()
{
    CTextButton *pButton = m_host.makeButton("Yes");
    pButton->setFontSize(10);
    setYesColors(*pButton);
    pButton->setEnabled(false);
    const QImage textAlone = paintedAlone(pButton);

    pButton->setEnabled(true);
    const QImage image = paintedAlone(pButton);
    QCOMPARE(image.pixelColor(2, 2), kAccent);
    QCOMPARE(image.pixelColor(kButtonSize.width() - 3, kButtonSize.height() - 3), kAccent);
    const int nFromText = largestChannelDifference(image, overFace(textAlone, kAccent));
    QVERIFY2(nFromText <= kColourTolerance, qPrintable(QString::number(nFromText)));
    QImage plainFace(kButtonSize, QImage::Format_ARGB32_Premultiplied);
    plainFace.fill(kAccent);
    QVERIFY(largestChannelDifference(image, plainFace) > kColourTolerance);
}

void TestCTextButton::createdInDisabledParentUsesDisabledColours()
{
    m_host.window()->setEnabled(false);
    CTextButton *pButton = m_host.makeButton();
    QVERIFY(!pButton->isEnabled());
    pButton->setColors(Qt::transparent, Qt::transparent, kAccent, kFill, kWhite, kWhite);
    QCOMPARE(paintedAlone(pButton).pixelColor(5, 5), kFill);
    m_host.window()->setEnabled(true);
    QCOMPARE(paintedAlone(pButton).pixelColor(5, 5), kAccent);
}

void TestCTextButton::plainRectangle_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QSize>("filled");
    QTest::newRow("even size fills everything") << QSize(40, 20) << QSize(40, 20);
    QTest::newRow("odd size leaves last column and row") << QSize(41, 21) << QSize(40, 20);
}

void TestCTextButton::plainRectangle()
{
    QFETCH(QSize, size);
    QFETCH(QSize, filled);
    CTextButton *pButton = m_host.makeButton();
    pButton->resize(size);
    setFillOnly(*pButton, kFill);

    const QImage image = paintedAlone(pButton);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            const bool bInFace = x < filled.width() && y < filled.height();
            QCOMPARE(image.pixelColor(x, y).alpha(), bInFace ? 255 : 0);
        }
    }
    QCOMPARE(image.pixelColor(0, 0), kFill);
}

void TestCTextButton::marginReducesCornerRadius()
{
    CTextButton *pButton = m_host.makeButton();
    setFillOnly(*pButton, kFill);
    pButton->setRadius(10);
    pButton->setMargin(2);

    const QImage image = paintedAlone(pButton);
    QCOMPARE(image.pixelColor(1, 20).alpha(), 0);
    QCOMPARE(image.pixelColor(2, 20), kFill);
    // Where a radius-8 arc has ended but a radius-10 arc would still cut the edge.
    QCOMPARE(image.pixelColor(2, 10), kFill);
    QCOMPARE(image.pixelColor(10, 2), kFill);
    // Inside and outside the arc on the diagonal.
    QCOMPARE(image.pixelColor(5, 5), kFill);
    QCOMPARE(image.pixelColor(3, 3).alpha(), 0);
    QCOMPARE(image, referenceFace(kButtonSize, 2, 8));
}

void TestCTextButton::radiiGoClockwise()
{
    CTextButton *pButton = m_host.makeButton();
    setFillOnly(*pButton, kFill);
    pButton->setRadii(4, 8, 12, 16);

    const QImage image = paintedAlone(pButton);
    const int radiusOfQuadrant[] = {4, 8, 16, 12}; // top-left, top-right, bottom-left, bottom-right
    for (int k = 0; k < 4; ++k)
        QCOMPARE(quadrant(image, k),
                 quadrant(referenceFace(kButtonSize, 0, radiusOfQuadrant[k]), k));
}

void TestCTextButton::gradientRunsLeftToRight()
{
    CTextButton *pButton = m_host.makeButton();
    setFillOnly(*pButton, Qt::red);
    pButton->setGradientColors(Qt::transparent, Qt::transparent, Qt::blue, Qt::blue,
                               Qt::transparent, Qt::transparent);
    QImage image = paintedAlone(pButton);
    const QColor left = image.pixelColor(0, 20);
    const QColor right = image.pixelColor(kButtonSize.width() - 1, 20);
    QVERIFY2(left.red() > 240 && left.blue() < 15, qPrintable(left.name()));
    QVERIFY2(right.blue() > 240 && right.red() < 15, qPrintable(right.name()));

    pButton->setGradientOn(false);
    image = paintedAlone(pButton);
    QCOMPARE(image.pixelColor(kButtonSize.width() - 1, 20), QColor(Qt::red));
}

void TestCTextButton::borderNeedsColourAndWidth_data()
{
    QTest::addColumn<QColor>("border");
    QTest::addColumn<int>("width");
    QTest::addColumn<bool>("painted");
    QTest::newRow("blue, 2 px") << kBorder << 2 << true;
    QTest::newRow("blue, no width") << kBorder << 0 << false;
    QTest::newRow("transparent, 2 px") << QColor(Qt::transparent) << 2 << false;
}

void TestCTextButton::borderNeedsColourAndWidth()
{
    QFETCH(QColor, border);
    QFETCH(int, width);
    QFETCH(bool, painted);
    CTextButton *pButton = m_host.makeButton();
    pButton->setColors(border, border, Qt::transparent, Qt::transparent, Qt::transparent,
                       Qt::transparent);
    pButton->setBorderWidth(width);

    const QImage image = paintedAlone(pButton);
    const int nMiddleY = kButtonSize.height() / 2;
    for (int x : {0, kButtonSize.width() - 1}) {
        const QColor pixel = image.pixelColor(x, nMiddleY);
        if (painted)
            QVERIFY2(channelDifference(pixel, border) <= kColourTolerance, qPrintable(pixel.name(QColor::HexArgb)));
        else
            QCOMPARE(pixel.alpha(), 0);
    }
    QCOMPARE(image.pixelColor(kButtonSize.width() / 2, nMiddleY).alpha(), 0);
}

void TestCTextButton::textDrawnOnePixelHigh()
{
    CTextButton *pButton = m_host.makeButton("Save");
    pButton->setColors(Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent,
                       Qt::black, Qt::black);
    const QImage image = paintedAlone(pButton);

    QImage reference(kButtonSize, QImage::Format_ARGB32_Premultiplied);
    reference.fill(Qt::transparent);
    QPainter painter(&reference);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setFont(buttonFont("Arial", 14, 50));
    painter.setPen(Qt::black);
    painter.drawText(QRect(QPoint(0, 0), kButtonSize), Qt::AlignCenter, "Save");
    painter.end();

    const QPair<int, int> rows = rowsWithColour(image, Qt::black);
    const QPair<int, int> referenceRows = rowsWithColour(reference, Qt::black);
    QVERIFY(referenceRows.first > 0);
    QCOMPARE(rows.first, referenceRows.first - 1);
    QCOMPARE(rows.second, referenceRows.second - 1);
}

void TestCTextButton::autoWidthFitsShortText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("pixelSize");
    QTest::addColumn<int>("padding");
    QTest::newRow("Yes at 10 px") << "Yes" << 10 << kPadding;
    QTest::newRow("Cancel at 16 px") << "Cancel" << 16 << kPadding;
    QTest::newRow("Save with padding 6") << "Save" << 16 << 6;
    QTest::newRow("no text") << "" << 14 << kPadding;
}

void TestCTextButton::autoWidthFitsShortText()
{
    QFETCH(QString, text);
    QFETCH(int, pixelSize);
    QFETCH(int, padding);
    CTextButton *pButton = m_host.makeButton(text);
    pButton->setFontSize(pixelSize);
    pButton->setHPadding(padding);
    pButton->setAutoWidth(true);

    const int nTextWidth = textWidth(buttonFont("Arial", pixelSize, 50), kButtonSize, text);
    QVERIFY(nTextWidth <= kMaxWidth);
    paintedAlone(pButton);
    QCOMPARE(pButton->width(), nTextWidth + 2 * padding);
    QCOMPARE(pButton->minimumWidth(), pButton->maximumWidth());
}

void TestCTextButton::autoWidthOf40PxText()
{
    const QString strText = QStringLiteral("Save");
    int nPixelSize = 0;
    for (int nSize = 8; nSize <= 40 && nPixelSize == 0; ++nSize) {
        if (textWidth(buttonFont("Arial", nSize, 50), kButtonSize, strText) == 40)
            nPixelSize = nSize;
    }
    if (nPixelSize == 0)
        QSKIP("no pixel size of the installed fallback font makes \"Save\" 40 px wide");

    CTextButton *pButton = m_host.makeButton(strText);
    pButton->setFontSize(nPixelSize);
    pButton->setAutoWidth(true);
    paintedAlone(pButton);
    QCOMPARE(pButton->width(), 68);
}

void TestCTextButton::autoWidthShortensLongText()
{
    const QString strLong = QStringLiteral("Camera 192.168.100.200 on the third floor");
    const QFont font = buttonFont("Arial", 14, 50);
    QVERIFY(textWidth(font, kButtonSize, strLong) > kMaxWidth);
    QString strShort;
    for (int n = 1; strShort.isEmpty(); ++n) {
        const QString strCandidate = strLong.left(n) + "...";
        if (textWidth(font, kButtonSize, strCandidate) >= kMaxWidth)
            strShort = strCandidate;
    }

    CTextButton *pButton = m_host.makeButton(strLong);
    pButton->setAutoWidth(true);
    const QImage image = paintedAlone(pButton);
    QCOMPARE(pButton->width(), kMaxWidth + 2 * kPadding);
    QCOMPARE(pButton->text(), strLong);

    CTextButton *pReference = m_host.makeButton(strShort);
    pReference->resize(pButton->size());
    QCOMPARE(image, paintedAlone(pReference));
    QVERIFY(textWidth(font, pButton->size(), strShort) >= kMaxWidth);
}

QTEST_MAIN(TestCTextButton)
#include "tst_ctextbutton.moc"
