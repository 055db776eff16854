#include "widgets/ctexthintpopwidget.h"
#include "widgets/ctextbutton.h"
#include "widgets/ctextinput.h"
#include "widgets/cwidget.h"
#include "widgets/screenscale.h"
#include "widgets/toasthintwidget.h"

#include "support/buttonhost.h"
#include "support/formchecks.h"
#include "support/pixelchecks.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include <functional>

// The widget kit on a screen 3840 pixels wide, where every size it is given counts twice.
// The suite runs only there (tests/support/widescreen.sh gives it such a screen); the other
// widget suites see the offscreen platform's 800 x 600 screen, at scale 1.

using KitSetup = std::function<void(CWidget &)>;
Q_DECLARE_METATYPE(KitSetup)

namespace {
constexpr int kWideScreenWidth = 3840;
constexpr int kWideScale = 2;
const QSize kButtonSize = ButtonHost::buttonSize();
const QSize kInputSize(200, 40);
const QColor kBorder(QStringLiteral("#3366CC"));
const QColor kFill(Qt::red);
const QColor kInputFill(QStringLiteral("#ECF0F3"));

// A filled rounded rectangle on a transparent canvas.
QImage roundedFace(const QSize &size, const QRect &face, int nRadius, const QColor &fill)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(face, nRadius, nRadius, Qt::AbsoluteSize);
    return image;
}

} // namespace

class TestKitScaleWideScreen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void containerSheet_data();
    void containerSheet();
    void popUpBoxes();
    void buttonAutoWidthCountsFontAndPadding_data();
    void buttonAutoWidthCountsFontAndPadding();
    void buttonBorder();
    void buttonRadiusAndMargin();
    void inputSheetAndFont();
    void inputBorder();
    void inputRadius();

private:

    ButtonHost m_host;
};

void TestKitScaleWideScreen::initTestCase()
{
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().width(), kWideScreenWidth);
    QCOMPARE(primaryScreenScale(), kWideScale);
}

void TestKitScaleWideScreen::init()
{
    m_host.reset();
}

void TestKitScaleWideScreen::cleanup()
{
    m_host.clear();
}

void TestKitScaleWideScreen::containerSheet_data()
{
    QTest::addColumn<KitSetup>("setup");
    QTest::addColumn<QString>("expected");

    QTest::newRow("setRadius(4) writes 8 px") << KitSetup([](CWidget &w) {
        w.setBackgroundColor(QColor(QStringLiteral("#FEFFFF")));
        w.setRadius(4);
    }) << boxSheet(QStringLiteral("box"), QStringLiteral("#fffeffff"), 8);
    QTest::newRow("radii 1, 2, 3, 4 write 2, 4, 6, 8 px")
        << KitSetup([](CWidget &w) { w.setRadii(1, 2, 3, 4); })
        << QStringLiteral("border-top-left-radius: 2px;border-top-right-radius: 4px;"
                          "border-bottom-left-radius: 6px;border-bottom-right-radius: 8px;");
    QTest::newRow("border 2 writes 4 px") << KitSetup([](CWidget &w) { w.setBorder(QColor("#123456"), 2); })
                                          << QStringLiteral("border: 4px solid #ff123456;");
    QTest::newRow("padding 3 writes 6 px") << KitSetup([](CWidget &w) { w.setPadding(3); })
                                           << QStringLiteral("padding: 6px;");
}

void TestKitScaleWideScreen::containerSheet()
{
    QFETCH(KitSetup, setup);
    QFETCH(QString, expected);
    CWidget widget;
    widget.setObjectName(QStringLiteral("box"));
    setup(widget);
    QVERIFY2(widget.styleSheet().contains(expected), qPrintable(widget.styleSheet()));
}

// Both pop-ups round their white box with radius 4, which the screen makes 8.
void TestKitScaleWideScreen::popUpBoxes()
{
    const QString strBox = boxSheet(QStringLiteral("tipsBg"), QStringLiteral("#fffeffff"), 8);
    QCOMPARE(ToastHintWidget::getInstance()->findChild<CWidget *>(QStringLiteral("tipsBg"))->styleSheet(), strBox);
    QCOMPARE(CTextHintPopWidget::getInstance()->findChild<CWidget *>(QStringLiteral("tipsBg"))->styleSheet(), strBox);
    delete ToastHintWidget::getInstance();
    delete CTextHintPopWidget::getInstance();
}

void TestKitScaleWideScreen::buttonAutoWidthCountsFontAndPadding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("padding");
    QTest::addColumn<int>("maxWidth");
    QTest::addColumn<int>("width");

    // Widths worked out from the rules alone: the text's width, at most twice the maximum,
    // and twice the padding on either side. "Save" is over 60 px wide at 28 px in any sans
    // font and under 40 px at 14 px, so it reaches the doubled maximum 50 only if the font
    // size 14 paints at 28 px.
    const QString strLong = QStringLiteral("Camera 192.168.100.200 on the third floor");
    QTest::newRow("no text: padding 14 is 28 a side") << QString() << 14 << 60 << 56;
    QTest::newRow("no text: padding 5 is 10 a side") << QString() << 5 << 60 << 20;
    QTest::newRow("28 px text reaches maximum 25") << QStringLiteral("Save") << 14 << 25 << 106;
    QTest::newRow("long text stops at maximum 60") << strLong << 14 << 60 << 176;
    QTest::newRow("long text, no padding") << strLong << 0 << 60 << 120;
}

void TestKitScaleWideScreen::buttonAutoWidthCountsFontAndPadding()
{
    QFETCH(QString, text);
    QFETCH(int, padding);
    QFETCH(int, maxWidth);
    QFETCH(int, width);
    CTextButton *pButton = m_host.makeButton(text);
    pButton->setMaxWidth(maxWidth);
    pButton->setHPadding(padding);
    pButton->setAutoWidth(true);
    paintedAlone(pButton);
    QCOMPARE(pButton->width(), width);
}

// Border width 2 paints 4 px: the second column is still wholly border.
void TestKitScaleWideScreen::buttonBorder()
{
    CTextButton *pButton = m_host.makeButton();
    pButton->setColors(kBorder, kBorder, Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent);
    pButton->setBorderWidth(2);
    const QImage image = paintedAlone(pButton);
    const int nMiddleY = kButtonSize.height() / 2;
    for (int x : {0, 1}) {
        const QColor pixel = image.pixelColor(x, nMiddleY);
        QVERIFY2(channelDifference(pixel, kBorder) <= kColourTolerance, qPrintable(pixel.name(QColor::HexArgb)));
    }
    QCOMPARE(image.pixelColor(3, nMiddleY).alpha(), 0);
}

// Radius 10 and margin 2 become 20 and 4: a face inset by 4 px with corners of 16.
void TestKitScaleWideScreen::buttonRadiusAndMargin()
{
    CTextButton *pButton = m_host.makeButton();
    pButton->setColors(Qt::transparent, Qt::transparent, kFill, kFill, Qt::transparent, Qt::transparent);
    pButton->setRadius(10);
    pButton->setMargin(2);
    const QImage image = paintedAlone(pButton);
    const QRect face(4, 4, kButtonSize.width() - 8, kButtonSize.height() - 8);
    const int nDifference = largestChannelDifference(image, roundedFace(kButtonSize, face, 16, kFill));
    QVERIFY2(nDifference <= kColourTolerance, qPrintable(QString::number(nDifference)));
}

void TestKitScaleWideScreen::inputSheetAndFont()
{
    CTextInput input;
    QCOMPARE(input.styleSheet(), QStringLiteral("QWidget{background:transparent; padding:0px 36px 1px 36px; border:none}"));
    QCOMPARE(input.font().pixelSize(), 48);
    input.setFontSize(12);
    QCOMPARE(input.font().pixelSize(), 24);
}

// Border width factor 3 paints 6 px.
void TestKitScaleWideScreen::inputBorder()
{
    auto *pInput = new CTextInput(m_host.window());
    pInput->setGeometry(QRect(QPoint(10, 10), kInputSize));
    pInput->setColors(kBorder, kBorder, Qt::transparent, Qt::transparent, Qt::black, Qt::black);
    const QImage image = paintedAlone(pInput);
    const int x = kInputSize.width() / 2;
    for (int y = 0; y < 6; ++y) {
        const QColor pixel = image.pixelColor(x, y);
        QVERIFY2(channelDifference(pixel, kBorder) <= kColourTolerance, qPrintable(QString::number(y)));
    }
    QCOMPARE(image.pixelColor(x, 7).alpha(), 0);
}

// The default radius 4 rounds the fill with 8 px corners.
void TestKitScaleWideScreen::inputRadius()
{
    auto *pInput = new CTextInput(m_host.window());
    pInput->setGeometry(QRect(QPoint(10, 10), kInputSize));
    const QImage image = paintedAlone(pInput);
    const QRect whole(QPoint(0, 0), kInputSize);
    const QImage reference = roundedFace(kInputSize, whole, 8, kInputFill);
    const int nDifference = largestChannelDifference(image, reference);
    QVERIFY2(nDifference <= kColourTolerance, qPrintable(QString::number(nDifference)));
    QVERIFY(largestChannelDifference(reference, roundedFace(kInputSize, whole, 4, kInputFill)) > kColourTolerance);
}

QTEST_MAIN(TestKitScaleWideScreen)
#include "tst_kitscale_widescreen.moc"
