#include "widgets/toggleswitch.h"

#include "support/pixelchecks.h"

#include <QMetaProperty>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {
const QColor kOnColor(0x21, 0x96, 0xF3);
const QColor kOffColor(0xCC, 0xCC, 0xCC);
// A track pixel the resting handle (x 1 to 14 on a 30 × 15 switch) does not cover.
const QPoint kTrackRightOfHandle(22, 7);
// The corners the pill-shaped track leaves bare on a 30 × 15 switch.
const QList<QPoint> kBareCorners = {QPoint(0, 0), QPoint(29, 0), QPoint(0, 14), QPoint(29, 14)};
// The row through the middle of the handle, and the row of the handle's top edge.
constexpr int kMiddleRow = 7;
constexpr int kHandleTopRow = 1;

bool isNear(const QColor &shown, const QColor &expected)
{
    return channelDifference(shown, expected) <= kColourTolerance;
}

// The first and last column of the row that show the handle's white.
QPair<int, int> whiteSpan(const QImage &image, int y)
{
    QPair<int, int> span(-1, -1);
    for (int x = 0; x < image.width(); ++x) {
        if (!isNear(image.pixelColor(x, y), Qt::white))
            continue;
        if (span.first < 0)
            span.first = x;
        span.second = x;
    }
    return span;
}
} // namespace

Q_DECLARE_METATYPE(Qt::MouseButton)

class TestToggleSwitch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void initialState();
    void animationSetup();
    void checkedPropertyNotifies();
    void clickTogglesWithBothSignals();
    void clickRepaintsTrackAtOnce();
    void handleSlidesToEnd_data();
    void handleSlidesToEnd();
    void handleSlidesBack();
    void slideTakes150Ms();
    void reversalRestartsFromCurrentPosition();
    void sameStateEmitsNothing_data();
    void sameStateEmitsNothing();
    void releaseTogglesOnlyForLeftButton_data();
    void releaseTogglesOnlyForLeftButton();
    void switchSizeRespectsMinimum_data();
    void switchSizeRespectsMinimum();
    void restingSwitchPainting_data();
    void restingSwitchPainting();
    void handlePaintedWhereItSlides_data();
    void handlePaintedWhereItSlides();

private:
    QPropertyAnimation *animation() const;
    QColor pixel(const QPoint &point) const;

    std::unique_ptr<QWidget> m_pContainer;
    ToggleSwitch *m_pSwitch = nullptr;
};

void TestToggleSwitch::init()
{
    // Inside a container, as in the device table, so the switch is not a window itself.
    m_pContainer = std::make_unique<QWidget>();
    m_pContainer->resize(240, 160);
    m_pSwitch = new ToggleSwitch(m_pContainer.get());
    m_pSwitch->setSwitchSize(30, 15);
    m_pContainer->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pContainer.get()));
}

void TestToggleSwitch::cleanup()
{
    m_pContainer.reset();
}

QPropertyAnimation *TestToggleSwitch::animation() const
{
    return m_pSwitch->findChild<QPropertyAnimation *>();
}

QColor TestToggleSwitch::pixel(const QPoint &point) const
{
    return m_pSwitch->grab().toImage().pixelColor(point);
}

void TestToggleSwitch::initialState()
{
    const ToggleSwitch fresh;
    QCOMPARE(fresh.minimumSize(), QSize(30, 15));
    QCOMPARE(fresh.sizeHint(), QSize(40, 20));
    QVERIFY(!m_pSwitch->isChecked());
    QCOMPARE(m_pSwitch->handleX(), 1);
    QCOMPARE(pixel(kTrackRightOfHandle), kOffColor);
    QCOMPARE(pixel(QPoint(7, 7)), QColor(Qt::white));
}

void TestToggleSwitch::animationSetup()
{
    QPropertyAnimation *pAnimation = animation();
    QVERIFY(pAnimation);
    QCOMPARE(pAnimation->targetObject(), m_pSwitch);
    QCOMPARE(pAnimation->propertyName(), QByteArray("handleX"));
    QCOMPARE(pAnimation->duration(), 150);
    QCOMPARE(pAnimation->easingCurve().type(), QEasingCurve::InOutCubic);
}

void TestToggleSwitch::checkedPropertyNotifies()
{
    const QMetaObject *pMeta = m_pSwitch->metaObject();
    const QMetaProperty checked = pMeta->property(pMeta->indexOfProperty("checked"));
    QVERIFY(checked.hasNotifySignal());
    QCOMPARE(checked.notifySignal().name(), QByteArray("checkedChanged"));
    const QMetaProperty handle = pMeta->property(pMeta->indexOfProperty("handleX"));
    QVERIFY(handle.isValid());
    QVERIFY(!handle.hasNotifySignal());

    QSignalSpy spy(m_pSwitch, &ToggleSwitch::checkedChanged);
    QVERIFY(m_pSwitch->setProperty("checked", true));
    QCOMPARE(spy.count(), 1);
    QVERIFY(m_pSwitch->property("checked").toBool());
}

void TestToggleSwitch::clickTogglesWithBothSignals()
{
    QStringList order;
    connect(m_pSwitch, &ToggleSwitch::checkedChanged, this,
            [&](bool bOn) { order << QStringLiteral("checkedChanged(%1)").arg(bOn); });
    connect(m_pSwitch, &ToggleSwitch::toggled, this,
            [&](bool bOn) { order << QStringLiteral("toggled(%1)").arg(bOn); });

    QTest::mouseClick(m_pSwitch, Qt::LeftButton);

    QVERIFY(m_pSwitch->isChecked());
    QCOMPARE(order, QStringList({"checkedChanged(1)", "toggled(1)"}));
}

void TestToggleSwitch::clickRepaintsTrackAtOnce()
{
    QTest::mouseClick(m_pSwitch, Qt::LeftButton);
    QCOMPARE(m_pSwitch->handleX(), 1);
    QCOMPARE(pixel(kTrackRightOfHandle), kOnColor);
}

void TestToggleSwitch::handleSlidesToEnd_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("endX");
    QTest::newRow("device table 30x15") << QSize(30, 15) << 16;
    QTest::newRow("size hint 40x20") << QSize(40, 20) << 21;
    QTest::newRow("wide 60x20") << QSize(60, 20) << 41;
}

void TestToggleSwitch::handleSlidesToEnd()
{
    QFETCH(QSize, size);
    QFETCH(int, endX);
    m_pSwitch->setSwitchSize(size.width(), size.height());
    QCOMPARE(m_pSwitch->size(), size);

    m_pSwitch->setChecked(true);
    QCOMPARE(animation()->state(), QAbstractAnimation::Running);
    QTRY_COMPARE(m_pSwitch->handleX(), endX);
    QTRY_COMPARE(animation()->state(), QAbstractAnimation::Stopped);

    const int nMiddle = size.height() / 2;
    QCOMPARE(pixel(QPoint(endX + nMiddle, nMiddle)), QColor(Qt::white));
    QCOMPARE(pixel(QPoint(nMiddle, nMiddle)), kOnColor);
}

void TestToggleSwitch::handleSlidesBack()
{
    m_pSwitch->setChecked(true);
    QTRY_COMPARE(m_pSwitch->handleX(), 16);
    QSignalSpy toggledSpy(m_pSwitch, &ToggleSwitch::toggled);

    m_pSwitch->setChecked(false);

    QCOMPARE(toggledSpy.count(), 1);
    QCOMPARE(toggledSpy.at(0).at(0).toBool(), false);
    QCOMPARE(pixel(QPoint(22, 7)), QColor(Qt::white));
    QTRY_COMPARE(m_pSwitch->handleX(), 1);
    QCOMPARE(pixel(kTrackRightOfHandle), kOffColor);
}

void TestToggleSwitch::slideTakes150Ms()
{
    m_pSwitch->setChecked(true);
    animation()->pause();
    animation()->setCurrentTime(75);
    QCOMPARE(m_pSwitch->handleX(), 8);
    animation()->setCurrentTime(149);
    QVERIFY(m_pSwitch->handleX() < 16);
    animation()->setCurrentTime(150);
    QCOMPARE(m_pSwitch->handleX(), 16);
}

void TestToggleSwitch::reversalRestartsFromCurrentPosition()
{
    m_pSwitch->setChecked(true);
    animation()->pause();
    animation()->setCurrentTime(50);
    animation()->resume();
    const int nMidway = m_pSwitch->handleX();
    QVERIFY(nMidway > 1 && nMidway < 16);

    m_pSwitch->setChecked(false);

    QCOMPARE(animation()->state(), QAbstractAnimation::Running);
    QCOMPARE(animation()->currentTime(), 0);
    QCOMPARE(animation()->startValue().toInt(), nMidway);
    QCOMPARE(animation()->endValue().toInt(), 1);
    QTRY_COMPARE(m_pSwitch->handleX(), 1);
}

void TestToggleSwitch::sameStateEmitsNothing_data()
{
    QTest::addColumn<bool>("state");
    QTest::newRow("unchecked") << false;
    QTest::newRow("checked") << true;
}

void TestToggleSwitch::sameStateEmitsNothing()
{
    QFETCH(bool, state);
    m_pSwitch->setChecked(state);
    QTRY_COMPARE(animation()->state(), QAbstractAnimation::Stopped);
    const int nRestingX = m_pSwitch->handleX();
    QSignalSpy changedSpy(m_pSwitch, &ToggleSwitch::checkedChanged);
    QSignalSpy toggledSpy(m_pSwitch, &ToggleSwitch::toggled);

    m_pSwitch->setChecked(state);

    QCOMPARE(changedSpy.count(), 0);
    QCOMPARE(toggledSpy.count(), 0);
    QCOMPARE(animation()->state(), QAbstractAnimation::Stopped);
    QCOMPARE(m_pSwitch->handleX(), nRestingX);
}

void TestToggleSwitch::releaseTogglesOnlyForLeftButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<bool>("toggles");
    QTest::newRow("left inside") << Qt::LeftButton << QPoint(15, 7) << true;
    QTest::newRow("left released outside") << Qt::LeftButton << QPoint(200, 120) << true;
    QTest::newRow("right inside") << Qt::RightButton << QPoint(15, 7) << false;
    QTest::newRow("middle inside") << Qt::MiddleButton << QPoint(15, 7) << false;
}

void TestToggleSwitch::releaseTogglesOnlyForLeftButton()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(QPoint, releaseAt);
    QFETCH(bool, toggles);
    QSignalSpy changedSpy(m_pSwitch, &ToggleSwitch::checkedChanged);
    QSignalSpy toggledSpy(m_pSwitch, &ToggleSwitch::toggled);

    QTest::mousePress(m_pSwitch, button, Qt::NoModifier, QPoint(15, 7));
    QCOMPARE(changedSpy.count(), 0);
    QTest::mouseRelease(m_pSwitch, button, Qt::NoModifier, releaseAt);

    QCOMPARE(m_pSwitch->isChecked(), toggles);
    QCOMPARE(changedSpy.count(), toggles ? 1 : 0);
    QCOMPARE(toggledSpy.count(), toggles ? 1 : 0);
}

void TestToggleSwitch::switchSizeRespectsMinimum_data()
{
    QTest::addColumn<QSize>("requested");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("below minimum") << QSize(20, 10) << QSize(30, 15);
    QTest::newRow("height below minimum") << QSize(44, 12) << QSize(44, 15);
    QTest::newRow("width below minimum") << QSize(12, 22) << QSize(30, 22);
    QTest::newRow("above minimum") << QSize(50, 25) << QSize(50, 25);
}

void TestToggleSwitch::switchSizeRespectsMinimum()
{
    QFETCH(QSize, requested);
    QFETCH(QSize, expected);
    ToggleSwitch *pFresh = new ToggleSwitch(m_pContainer.get());
    pFresh->setSwitchSize(requested.width(), requested.height());
    QCOMPARE(pFresh->minimumSize(), expected);
    QCOMPARE(pFresh->maximumSize(), expected);
    pFresh->show();
    QCOMPARE(pFresh->size(), expected);
}

void TestToggleSwitch::restingSwitchPainting_data()
{
    QTest::addColumn<bool>("checked");
    QTest::addColumn<QColor>("track");
    QTest::addColumn<QPoint>("bareTrack");
    QTest::addColumn<QPoint>("handleCentre");
    QTest::addColumn<QColor>("rim");
    // The rim: black at alpha 20 over half of the handle's top pixel, which is 98 % handle
    // white and 2 % track: (0.98 × 255 + 0.02 × track) × (1 − 10 / 255) per channel.
    QTest::newRow("off") << false << kOffColor << kTrackRightOfHandle << QPoint(7, 7) << QColor(0xF4, 0xF4, 0xF4);
    QTest::newRow("on") << true << kOnColor << QPoint(7, 7) << QPoint(22, 7) << QColor(0xF1, 0xF3, 0xF5);
}

// What a user sees of the resting switch: the track's colour beside the handle, a white
// handle, round ends, and the handle's faint grey rim (without it the top edge would be
// within 4 of white).
void TestToggleSwitch::restingSwitchPainting()
{
    QFETCH(bool, checked);
    QFETCH(QColor, track);
    QFETCH(QPoint, bareTrack);
    QFETCH(QPoint, handleCentre);
    QFETCH(QColor, rim);
    m_pSwitch->setChecked(checked);
    QTRY_COMPARE(animation()->state(), QAbstractAnimation::Stopped);
    const QImage image = paintedAlone(m_pSwitch);

    QVERIFY2(isNear(image.pixelColor(bareTrack), track), qPrintable(image.pixelColor(bareTrack).name()));
    QVERIFY2(isNear(image.pixelColor(handleCentre), Qt::white), qPrintable(image.pixelColor(handleCentre).name()));
    for (const QPoint &corner : kBareCorners)
        QCOMPARE(image.pixelColor(corner).alpha(), 0);
    const QColor top = image.pixelColor(handleCentre.x(), kHandleTopRow);
    QVERIFY2(isNear(top, rim), qPrintable(top.name()));
}

void TestToggleSwitch::handlePaintedWhereItSlides_data()
{
    QTest::addColumn<int>("time");
    QTest::addColumn<int>("firstWhite");
    QTest::addColumn<int>("lastWhite");
    // The handle spans 13 px from its left edge (1, 3 and 16 at these times: the slide eases
    // in); its outer columns carry the rim.
    QTest::newRow("start") << 0 << 2 << 12;
    QTest::newRow("a third") << 50 << 4 << 14;
    QTest::newRow("end") << 150 << 17 << 27;
}

// The white of the handle moves along the middle row as the slide runs.
void TestToggleSwitch::handlePaintedWhereItSlides()
{
    QFETCH(int, time);
    QFETCH(int, firstWhite);
    QFETCH(int, lastWhite);
    m_pSwitch->setChecked(true);
    animation()->pause();
    animation()->setCurrentTime(time);
    const QImage image = paintedAlone(m_pSwitch);
    QCOMPARE(whiteSpan(image, kMiddleRow), qMakePair(firstWhite, lastWhite));
}

QTEST_MAIN(TestToggleSwitch)
#include "tst_toggleswitch.moc"
