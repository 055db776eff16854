#include "widgets/cwidget.h"

#include "support/formchecks.h"

#include <QTest>

#include <functional>
#include <memory>

using WidgetSetup = std::function<void(CWidget &)>;
Q_DECLARE_METATYPE(WidgetSetup)

namespace {
const QLatin1String kFlat(
    "QWidget%1 {background-color: %2; border: %3px solid %4; background-clip: content;"
    "padding: %5px;border-top-left-radius: %6px;border-top-right-radius: %7px;"
    "border-bottom-left-radius: %8px;border-bottom-right-radius: %9px;"
    "background-image: url(%10);}");
const QLatin1String kGradient(
    "QWidget%1 {background-color: qlineargradient(spread:pad, x1:%2, y1:%3, x2:%4, y2:%5, "
    "stop:0 %6, stop:1 %7);background-clip: content;border: %8px solid %9;padding: %10px;"
    "border-top-left-radius: %11px;border-top-right-radius: %12px;"
    "border-bottom-left-radius: %13px;border-bottom-right-radius: %14px;"
    "background-image: url(%15);}");

struct Sheet_S
{
    QString strName;
    QString strBackground = QStringLiteral("#00000000");
    int nBorder = 0;
    QString strBorderColor = QStringLiteral("#ff000000");
    int nPadding = 0;
    int nRadii[4] = {0, 0, 0, 0};
    QString strImage;
};

QString selector(const Sheet_S &stSheet)
{
    return stSheet.strName.isEmpty() ? QString() : QLatin1Char('#') + stSheet.strName;
}

// Fills the border, padding, corner and image places still open in strSheet.
QString withBoxParts(const QString &strSheet, const Sheet_S &stSheet)
{
    return strSheet.arg(stSheet.nBorder)
        .arg(stSheet.strBorderColor)
        .arg(stSheet.nPadding)
        .arg(stSheet.nRadii[0])
        .arg(stSheet.nRadii[1])
        .arg(stSheet.nRadii[2])
        .arg(stSheet.nRadii[3])
        .arg(stSheet.strImage);
}

QString flatSheet(const Sheet_S &stSheet)
{
    return withBoxParts(QString(kFlat).arg(selector(stSheet), stSheet.strBackground), stSheet);
}

QString gradientSheet(const Sheet_S &stSheet, const QVector<int> &line, const QString &strEnd)
{
    const QString strColors = QString(kGradient)
        .arg(selector(stSheet))
        .arg(line[0])
        .arg(line[1])
        .arg(line[2])
        .arg(line[3])
        .arg(stSheet.strBackground, strEnd);
    return withBoxParts(strColors, stSheet);
}
} // namespace

class TestCWidget : public QObject
{
    Q_OBJECT

private slots:
    void noSheetBeforeFirstSetter();
    void styleSheet_data();
    void styleSheet();
    void sameSheetIsNotAppliedAgain();
    void nameIsReadWhenTheSheetIsBuilt();
    void roundedBoxPaintsBackground();
};

void TestCWidget::noSheetBeforeFirstSetter()
{
    CWidget widget;
    widget.setObjectName(QStringLiteral("bg"));
    QVERIFY(widget.styleSheet().isEmpty());
}

void TestCWidget::styleSheet_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<WidgetSetup>("setup");
    QTest::addColumn<QString>("expected");

    const int s = expectedScale();
    Sheet_S stBg;
    stBg.strName = QStringLiteral("bg");
    stBg.strBackground = QStringLiteral("#80000000");
    QTest::newRow("translucent backdrop")
        << stBg.strName << WidgetSetup([](CWidget &w) { w.setBackgroundColor(QColor("#80000000")); })
        << flatSheet(stBg);

    Sheet_S stUnnamed;
    stUnnamed.strBackground = QStringLiteral("#ffff0000");
    QTest::newRow("unnamed widget gets the bare selector")
        << QString() << WidgetSetup([](CWidget &w) { w.setBackgroundColor(Qt::red); })
        << flatSheet(stUnnamed);

    Sheet_S stBox;
    stBox.strName = QStringLiteral("tipsBg");
    stBox.strBackground = QStringLiteral("#fffeffff");
    std::fill(std::begin(stBox.nRadii), std::end(stBox.nRadii), 4 * s);
    QTest::newRow("white box with scaled radius") << stBox.strName << WidgetSetup([](CWidget &w) {
        w.setBackgroundColor(QColor("#FEFFFF"));
        w.setRadius(4);
    }) << flatSheet(stBox);

    Sheet_S stRadii;
    stRadii.nRadii[0] = 1 * s;
    stRadii.nRadii[1] = 2 * s;
    stRadii.nRadii[2] = 3 * s;
    stRadii.nRadii[3] = 4 * s;
    QTest::newRow("radii top-left, top-right, bottom-left, bottom-right")
        << QString() << WidgetSetup([](CWidget &w) { w.setRadii(1, 2, 3, 4); }) << flatSheet(stRadii);

    Sheet_S stBorder;
    stBorder.nBorder = 2 * s;
    stBorder.strBorderColor = QStringLiteral("#ff123456");
    stBorder.nPadding = 3 * s;
    QTest::newRow("border and padding") << QString() << WidgetSetup([](CWidget &w) {
        w.setBorder(QColor("#123456"), 2);
        w.setPadding(3);
    }) << flatSheet(stBorder);

    Sheet_S stCleared;
    stCleared.strBorderColor = QStringLiteral("#00000000");
    QTest::newRow("cleared border") << QString() << WidgetSetup([](CWidget &w) {
        w.setBorder(QColor("#123456"), 2);
        w.clearBorder();
    }) << flatSheet(stCleared);

    const QString strEnd = QStringLiteral("#ff00b7ff");
    Sheet_S stGradient;
    QTest::newRow("end colour alone turns the gradient on")
        << QString() << WidgetSetup([](CWidget &w) { w.setGradientEndColor(QColor("#00B7FF")); })
        << gradientSheet(stGradient, {0, 0, 0, 1}, strEnd);
    QTest::newRow("gradient on resets the start colour") << QString() << WidgetSetup([](CWidget &w) {
        w.setBackgroundColor(Qt::red);
        w.setGradientEndColor(QColor("#00B7FF"));
        w.setGradientOn(true);
    }) << gradientSheet(stGradient, {0, 0, 0, 1}, strEnd);

    const QVector<QVector<int>> lines = {{0, 0, 0, 1}, {0, 1, 0, 0}, {0, 0, 1, 0}, {1, 0, 0, 0}};
    Sheet_S stStart;
    stStart.strBackground = QStringLiteral("#ffffffff");
    for (int nDirection : {0, 1, 2, 3, 7, -1}) {
        const QVector<int> line = nDirection >= 0 && nDirection < 4 ? lines[nDirection]
                                                                    : QVector<int>{0, 0, 0, 0};
        QTest::addRow("direction %d", nDirection) << QString() << WidgetSetup([nDirection](CWidget &w) {
            w.setGradientOn(true);
            w.setBackgroundColor(Qt::white);
            w.setGradientEndColor(QColor("#00B7FF"));
            w.setGradientDirection(nDirection);
        }) << gradientSheet(stStart, line, strEnd);
    }

    Sheet_S stFlatAgain;
    stFlatAgain.strBackground = QStringLiteral("#ffffffff");
    QTest::newRow("gradient off again") << QString() << WidgetSetup([](CWidget &w) {
        w.setGradientEndColor(QColor("#00B7FF"));
        w.setGradientOn(false);
        w.setBackgroundColor(Qt::white);
    }) << flatSheet(stFlatAgain);

    Sheet_S stImage;
    stImage.strImage = QStringLiteral(":/res/failed.png");
    QTest::newRow("image index modulo the count") << QString() << WidgetSetup([](CWidget &w) {
        w.setImages({QStringLiteral(":/res/success.png"), QStringLiteral(":/res/failed.png")});
        w.setImageIndex(3);
    }) << flatSheet(stImage);
    QTest::newRow("negative image index") << QString() << WidgetSetup([](CWidget &w) {
        w.setImages({QStringLiteral(":/res/success.png"), QStringLiteral(":/res/failed.png")});
        w.setImageIndex(-1);
    }) << flatSheet(stImage);

    Sheet_S stNoImage;
    QTest::newRow("image index without images")
        << QString() << WidgetSetup([](CWidget &w) { w.setImageIndex(2); }) << flatSheet(stNoImage);
    QTest::newRow("index past a shorter list gives no image") << QString() << WidgetSetup([](CWidget &w) {
        w.setImages({QStringLiteral(":/res/success.png"), QStringLiteral(":/res/failed.png")});
        w.setImageIndex(1);
        w.setImages({QStringLiteral(":/res/success.png")});
    }) << flatSheet(stNoImage);
}

void TestCWidget::styleSheet()
{
    QFETCH(QString, name);
    QFETCH(WidgetSetup, setup);
    QFETCH(QString, expected);

    CWidget widget;
    widget.setObjectName(name);
    setup(widget);
    QCOMPARE(widget.styleSheet(), expected);
}

// A sheet replaced from outside stays as it is when a setter produces the sheet the widget
// applied last, and is overwritten by the next different one.
void TestCWidget::sameSheetIsNotAppliedAgain()
{
    CWidget widget;
    widget.setObjectName(QStringLiteral("bg"));
    widget.setBackgroundColor(QColor("#80000000"));
    widget.QWidget::setStyleSheet(QString());

    widget.setBackgroundColor(QColor("#80000000"));
    widget.setRadius(0);
    QVERIFY(widget.styleSheet().isEmpty());

    widget.setBackgroundColor(QColor("#FEFFFF"));
    QVERIFY(widget.styleSheet().contains(QStringLiteral("background-color: #fffeffff;")));
}

void TestCWidget::nameIsReadWhenTheSheetIsBuilt()
{
    CWidget widget;
    widget.setBackgroundColor(Qt::red);
    widget.setObjectName(QStringLiteral("late"));
    QVERIFY(widget.styleSheet().startsWith(QStringLiteral("QWidget {")));

    widget.setPadding(0);
    QVERIFY(widget.styleSheet().startsWith(QStringLiteral("QWidget#late {")));
}

// A white box with rounded corners over a dark parent: the corner pixel keeps the
// parent's colour, the middle is the box colour.
void TestCWidget::roundedBoxPaintsBackground()
{
    QWidget parent;
    parent.setStyleSheet(QStringLiteral("background: #000000;"));
    parent.resize(120, 80);
    auto *pBox = new CWidget(&parent);
    pBox->setObjectName(QStringLiteral("tipsBg"));
    pBox->setGeometry(10, 10, 100, 60);
    pBox->setBackgroundColor(QColor("#FEFFFF"));
    pBox->setRadius(10);
    parent.show();
    QVERIFY(QTest::qWaitForWindowExposed(&parent));

    const QImage image = parent.grab().toImage();
    QCOMPARE(image.pixelColor(10, 10), QColor(Qt::black));
    QCOMPARE(image.pixelColor(60, 40), QColor("#FEFFFF"));
    QCOMPARE(image.pixelColor(109, 69), QColor(Qt::black));
    QCOMPARE(image.pixelColor(60, 10), QColor("#FEFFFF"));
}

QTEST_MAIN(TestCWidget)
#include "tst_cwidget.moc"
