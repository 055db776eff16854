#include "widgets/ctext.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTest>
#include <QTextOption>

#include <memory>

namespace {
// A fixed-pitch font makes the average character width the width of every character.
const QString kMonoFamily = QStringLiteral("DejaVu Sans Mono");
constexpr int kFontSize = 14;
const QSize kWidgetSize(320, 120);
const QColor kTextColor(QStringLiteral("#C00000"));
const QString kDigits30 = QStringLiteral("0123456789abcdefghijABCDEFGHIJ");
const QString kDigits40 = kDigits30 + QStringLiteral("klmnopqrst");
const QString kDigits20 = kDigits30.left(20);
} // namespace

class TestCText : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void defaults();
    void layout_data();
    void layout();
    void fontAppliedOnPaint();
    void oversizedTextRectIsIgnored_data();
    void oversizedTextRectIsIgnored();

private:
    QFont monoFont() const;
    int averageWidth(const QString &strText) const;
    int lineHeight() const;
    QImage render() const;
    QImage reference(const QRect &textRect, const QString &strLaidOut, int nAlignment) const;
    static int rightmostInk(const QImage &image, const QColor &background);
    static int lowestInk(const QImage &image, const QColor &background);

    std::unique_ptr<QWidget> m_pParent;
    CText *m_pText = nullptr;
};

void TestCText::init()
{
    m_pParent = std::make_unique<QWidget>();
    m_pParent->resize(400, 200);
    m_pText = new CText(m_pParent.get());
    m_pText->resize(kWidgetSize);
    m_pText->setFontFamily(kMonoFamily);
    m_pText->setFontSize(kFontSize);
    m_pText->setColor(kTextColor);
}

QFont TestCText::monoFont() const
{
    QFont font;
    font.setPixelSize(kFontSize);
    font.setFamily(kMonoFamily);
    font.setWeight(QFont::Normal);
    return font;
}

int TestCText::averageWidth(const QString &strText) const
{
    return int(QFontMetricsF(monoFont()).horizontalAdvance(strText) / strText.length());
}

int TestCText::lineHeight() const
{
    return int(QFontMetricsF(monoFont()).height());
}

QImage TestCText::render() const
{
    return m_pText->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// What the widget must look like: the given lines drawn straight into the rectangle.
QImage TestCText::reference(const QRect &textRect, const QString &strLaidOut, int nAlignment) const
{
    QImage image = render();
    image.fill(image.pixelColor(0, 0));
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setFont(monoFont());
    painter.setPen(kTextColor);
    painter.drawText(QRectF(textRect), strLaidOut, QTextOption(Qt::Alignment(nAlignment)));
    return image;
}

int TestCText::rightmostInk(const QImage &image, const QColor &background)
{
    int nRight = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background)
                nRight = std::max(nRight, x);
    return nRight;
}

int TestCText::lowestInk(const QImage &image, const QColor &background)
{
    int nLowest = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) != background)
                nLowest = y;
    return nLowest;
}

void TestCText::defaults()
{
    CText text;
    QCOMPARE(text.text(), QStringLiteral("Default String"));
    QCOMPARE(text.focusPolicy(), Qt::NoFocus);
}

// Lines are counted in characters per line (K) and lines that fit the rectangle (M);
// the wrap width and the rectangle height are chosen from the font to give them.
void TestCText::layout_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("charsPerLine");
    QTest::addColumn<bool>("wrap");
    QTest::addColumn<double>("linesHigh");
    QTest::addColumn<bool>("ellipsis");
    QTest::addColumn<QString>("expected");

    QTest::newRow("three lines of ten") << kDigits30 << 10 << true << 3.5 << false
                                        << QStringLiteral("0123456789\nabcdefghij\nABCDEFGHIJ");
    QTest::newRow("no wrap width keeps one line") << kDigits30 << 10 << false << 3.5 << false
                                                  << QStringLiteral("0123456789");
    QTest::newRow("cut at the lines that fit") << kDigits40 << 10 << true << 3.5 << false
                                               << QStringLiteral("0123456789\nabcdefghij\nABCDEFGHIJ");
    QTest::newRow("ellipsis on the cut text") << kDigits40 << 10 << true << 3.5 << true
                                              << QStringLiteral("0123456789\nabcdefghij\nABCDEFGHI...");
    QTest::newRow("ellipsis on a whole text") << QStringLiteral("abc") << 10 << false << 1.5 << true
                                              << QStringLiteral("ab...");
    // A text ending exactly at a line end keeps a line feed, which the ellipsis replaces.
    QTest::newRow("ellipsis replaces a final line feed") << kDigits20 << 10 << true << 3.5 << true
                                                      << QStringLiteral("0123456789\nabcdefghij...");
    QTest::newRow("rectangle lower than a line") << kDigits30 << 10 << true << 0.5 << false
                                                 << QStringLiteral("0123456789");
    QTest::newRow("empty text paints nothing") << QString() << 10 << true << 3.5 << false << QString();
    QTest::newRow("empty text with ellipsis") << QString() << 10 << true << 3.5 << true
                                              << QStringLiteral("...");
    QTest::newRow("short last line") << kDigits30.left(25) << 10 << true << 2.5 << false
                                     << QStringLiteral("0123456789\nabcdefghij");
}

void TestCText::layout()
{
    QFETCH(QString, text);
    QFETCH(int, charsPerLine);
    QFETCH(bool, wrap);
    QFETCH(double, linesHigh);
    QFETCH(bool, ellipsis);
    QFETCH(QString, expected);

    const int nAverage = averageWidth(text.isEmpty() ? kDigits30 : text);
    const int nLineWidth = charsPerLine * nAverage + nAverage / 2;
    const QSize textSize(nLineWidth, int(linesHigh * lineHeight()));
    m_pText->setText(text);
    m_pText->setTextSize(textSize);
    m_pText->setWrapWidth(wrap ? nLineWidth : 0);
    m_pText->setEllipsis(ellipsis);
    m_pText->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    const int nAlignment = Qt::AlignLeft | Qt::AlignTop;
    QCOMPARE(render(), reference(QRect(QPoint(0, 0), textSize), expected, nAlignment));
}

void TestCText::fontAppliedOnPaint()
{
    m_pText->setFontWeight(QFont::Bold);
    m_pText->setFontSize(20);
    m_pText->grab();
    QCOMPARE(m_pText->font().pixelSize(), 20);
    QCOMPARE(m_pText->font().weight(), int(QFont::Bold));
    QCOMPARE(m_pText->font().family(), kMonoFamily);
}

// A width or height beyond the widget's own is ignored and the earlier rectangle stays;
// the text is aligned to the rectangle's right or bottom edge to show where it is.
void TestCText::oversizedTextRectIsIgnored_data()
{
    QTest::addColumn<bool>("horizontal");
    QTest::addColumn<int>("second");

    QTest::newRow("width beyond the widget") << true << kWidgetSize.width() + 1;
    QTest::newRow("height beyond the widget") << false << kWidgetSize.height() + 40;
}

void TestCText::oversizedTextRectIsIgnored()
{
    QFETCH(bool, horizontal);
    QFETCH(int, second);

    constexpr int kFirst = 100;
    m_pText->setText(QStringLiteral("gap"));
    if (horizontal) {
        m_pText->setAlignment(Qt::AlignRight | Qt::AlignTop);
        m_pText->setTextWidth(kFirst);
        m_pText->setTextWidth(second);
    } else {
        m_pText->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
        m_pText->setTextHeight(kFirst);
        m_pText->setTextHeight(second);
    }

    const QImage image = render();
    const QColor background = image.pixelColor(0, 0); // far from the aligned text
    const int nInkEdge = horizontal ? rightmostInk(image, background) : lowestInk(image, background);
    QVERIFY2(nInkEdge >= kFirst - 12 && nInkEdge < kFirst, qPrintable(QString::number(nInkEdge)));
}

QTEST_MAIN(TestCText)
#include "tst_ctext.moc"
