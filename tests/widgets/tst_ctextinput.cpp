#include "widgets/cfontfamily.h"
#include "widgets/ctextinput.h"

#include <QTest>

#include <memory>

namespace {
const QColor kDefaultFill(QStringLiteral("#ECF0F3"));
const QColor kDefaultText(QStringLiteral("#000000"));
const QColor kDefaultDisabledText(QStringLiteral("#837f82"));
const QSize kInputSize(200, 40);
} // namespace

class TestCTextInput : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void construction();
    void defaultFaceIsRoundedFill();
    void stateColours_data();
    void stateColours();
    void borderIsInsetByHalfItsWidth_data();
    void borderIsInsetByHalfItsWidth();
    void radiusShapesTheCorners();
    void fontSizeAppliesAtOnce();
    void textPaintedOverFace();

private:
    QImage paint() const;

    std::unique_ptr<QWidget> m_pWindow;
    CTextInput *m_pInput = nullptr;
};

void TestCTextInput::init()
{
    m_pWindow = std::make_unique<QWidget>();
    m_pWindow->resize(300, 100);
    m_pInput = new CTextInput(m_pWindow.get());
    m_pInput->setGeometry(QRect(QPoint(10, 10), kInputSize));
}

void TestCTextInput::cleanup()
{
    m_pWindow.reset();
}

// The input alone, without a window background, so unpainted pixels stay transparent.
QImage TestCTextInput::paint() const
{
    QImage image(m_pInput->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    m_pInput->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void TestCTextInput::construction()
{
    QCOMPARE(m_pInput->styleSheet(), QStringLiteral("QWidget{background:transparent; "
                                                    "padding:0px 18px 1px 18px; border:none}"));
    QCOMPARE(m_pInput->font().pixelSize(), 24);
    QCOMPARE(m_pInput->font().weight(), 50);
    QCOMPARE(m_pInput->font().family(), CFontFamily::getInstance()->family());
    QCOMPARE(m_pInput->textMargins(), QMargins(0, 0, 30, 0));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        QCOMPARE(m_pInput->palette().color(group, QPalette::Text), kDefaultText);
}

void TestCTextInput::defaultFaceIsRoundedFill()
{
    const QImage image = paint();
    QCOMPARE(image.pixelColor(kInputSize.width() / 2, 0), kDefaultFill);
    QCOMPARE(image.pixelColor(0, kInputSize.height() / 2), kDefaultFill);
    QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
    QCOMPARE(image.pixelColor(kInputSize.width() - 1, kInputSize.height() - 1).alpha(), 0);
}

void TestCTextInput::stateColours_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<QColor>("text");
    QTest::newRow("enabled") << true << QColor(Qt::yellow) << QColor(Qt::blue);
    QTest::newRow("disabled") << false << QColor(Qt::green) << QColor(Qt::red);
}

void TestCTextInput::stateColours()
{
    QFETCH(bool, enabled);
    QFETCH(QColor, fill);
    QFETCH(QColor, text);
    m_pInput->setColors(Qt::transparent, Qt::transparent, Qt::yellow, Qt::green, Qt::blue, Qt::red);
    m_pInput->setEnabledState(enabled);

    QCOMPARE(m_pInput->isEnabled(), enabled);
    QCOMPARE(m_pInput->palette().color(QPalette::Text), text);
    QCOMPARE(paint().pixelColor(kInputSize.width() / 2, kInputSize.height() / 2), fill);

    m_pInput->setEnabledState(!enabled);
    QVERIFY(m_pInput->palette().color(QPalette::Text) != text);
}

void TestCTextInput::borderIsInsetByHalfItsWidth_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<int>("width");
    QTest::newRow("default factor 3") << 3.0 << 3;
    QTest::newRow("factor 2.7 truncates to 2") << 2.7 << 2;
    QTest::newRow("factor 4") << 4.0 << 4;
}

void TestCTextInput::borderIsInsetByHalfItsWidth()
{
    QFETCH(double, factor);
    QFETCH(int, width);
    m_pInput->setColors(Qt::red, Qt::red, Qt::transparent, Qt::transparent, Qt::black, Qt::black);
    m_pInput->setBorderWidthFactor(factor);

    const QImage image = paint();
    const int x = kInputSize.width() / 2;
    for (int y = 0; y < width - 1; ++y)
        QCOMPARE(image.pixelColor(x, y), QColor(Qt::red));
    QCOMPARE(image.pixelColor(x, width + 1).alpha(), 0);
    QCOMPARE(image.pixelColor(x, kInputSize.height() - 2), QColor(Qt::red));
    QVERIFY(image.pixelColor(x, kInputSize.height() - 1).alpha() > 0);
}

void TestCTextInput::radiusShapesTheCorners()
{
    m_pInput->setRadius(0);
    QCOMPARE(paint().pixelColor(0, 0), kDefaultFill);
    m_pInput->setRadius(12);
    const QImage image = paint();
    QCOMPARE(image.pixelColor(1, 1).alpha(), 0);
    QCOMPARE(image.pixelColor(4, 4).alpha(), 255);
}

void TestCTextInput::fontSizeAppliesAtOnce()
{
    m_pInput->setFontSize(12);
    QCOMPARE(m_pInput->font().pixelSize(), 12);
    QCOMPARE(m_pInput->font().weight(), 50);
    QCOMPARE(m_pInput->font().family(), CFontFamily::getInstance()->family());
}

void TestCTextInput::textPaintedOverFace()
{
    m_pInput->setColors(Qt::transparent, Qt::transparent, Qt::white, Qt::white, Qt::blue, Qt::blue);
    m_pInput->setText(QStringLiteral("192.168.1.20"));
    const QImage image = paint();
    int nTextPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.blue() > 200 && pixel.red() < 100)
                ++nTextPixels;
        }
    }
    QVERIFY(nTextPixels > 0);
    QCOMPARE(image.pixelColor(kInputSize.width() - 5, kInputSize.height() / 2), QColor(Qt::white));
}

QTEST_MAIN(TestCTextInput)
#include "tst_ctextinput.moc"
