#include "widgets/ccombobox.h"
#include "widgets/cfontfamily.h"

#include <QAbstractItemView>
#include <QFrame>
#include <QRegularExpression>
#include <QTest>

#include <memory>

namespace {
const QString kInitialBox = QStringLiteral(
    "QComboBox{color:#000000;background-color: #ffffff;font-family: Microsoft YaHei;"
    "font-size: 20px;border: 4px solid #000000;border-radius: 10px;padding-left: 0px;"
    "padding-right: 0px;padding-top: 0px;padding-bottom: 0px;}");
const QString kInitialList = QStringLiteral(
    "QComboBox QAbstractItemView {background-color: #cbd8ea;font-family: Microsoft YaHei;"
    "font-size: 20;border: 1px solid #000000;border-radius: 4px;padding: 0px;outline:0px;}");
const QString kInitialItems = QStringLiteral(
    "QComboBox QAbstractItemView::item {height: 36px;border-radius: 4px;color: #000000;"
    "background-color: #a8bedc;padding-left: 0;}");
const QString kInitialHover = QStringLiteral(
    "QComboBox QAbstractItemView::item:hover {background-color: #409ce1;color: #ffffff;}"
    "QComboBox QAbstractItemView::item:selected {background-color: #409ce1;color: #ffffff;}");
// The list's scroll bar, with the image on both of its arrows.
QString scrollSheet(const QString &strArrowImage)
{
    return QStringLiteral(
               "QComboBox QAbstractScrollArea QScrollBar:vertical {width:20px;background-color:#0b3675;"
               "border:0px;padding: 20px 0px 20px 0px;border-radius:10px;}"
               "QComboBox QScrollBar::handle::vertical{border-radius:10px;width:20px;"
               "background-color:#3b67a8;}"
               "QComboBox QScrollBar::handle::vertical::hover{background-color:#3b67b8;}"
               "QScrollBar::sub-line:vertical{subcontrol-position:top;subcontrol-origin:margin;"
               "background-color:#0b3675;border:1px solid #0b3675;height:20px;border-radius:10px;}"
               "QScrollBar::add-line:vertical{subcontrol-position:bottom;subcontrol-origin:margin;"
               "background-color:#0b3675;border:1px solid #0b3675;height:20px;border-radius:10px;}"
               "QScrollBar::up-arrow:vertical{border-image:url(%1);width:20px;height:20px;}"
               "QScrollBar::down-arrow:vertical{border-image:url(%1);width:20px;height:20px;}"
               "QScrollBar::sub-page:vertical,QScrollBar::add-page:vertical{background-color:#0b3675;}")
        .arg(strArrowImage);
}
const QString kInitialScroll = scrollSheet(QString());

// The interface combo of the device view.
const QString kDeviceViewSheet = QStringLiteral(
    "QComboBox{color:#000000;background-color: #ffffff;font-family: Microsoft YaHei;"
    "font-size: 16px;border: 1px solid #b8c4d1;border-radius: 4px;padding-left: 10px;"
    "padding-right: 0px;padding-top: 0px;padding-bottom: 0px;}"
    "QComboBox::drop-down{border:none;right: 5px;subcontrol-origin: padding;"
    "subcontrol-position: center right;}"
    "QComboBox::down-arrow {border-image: url(:/res/down.png);width: 10px;height: 5px;}"
    "QComboBox::down-arrow:on{border-image: url(:/res/down.png);width: 10px;height: 5px;}"
    "QComboBox QAbstractItemView {background-color: #cbd8ea;font-family: Microsoft YaHei;"
    "font-size: 16;border: 1px solid #000000;border-radius: 4px;padding: 0px;outline:0px;}")
    + kInitialItems + kInitialHover + scrollSheet(QStringLiteral(":/res/down.png"));

const QString kScrollWidth15Radius10 = QStringLiteral(
    "QComboBox QAbstractScrollArea QScrollBar:vertical {width:15px;background-color:#0b3675;"
    "border:0px;padding: 15px 0px 15px 0px;border-radius:7px;}"
    "QComboBox QScrollBar::handle::vertical{border-radius:7px;width:15px;"
    "background-color:#3b67a8;}"
    "QComboBox QScrollBar::handle::vertical::hover{background-color:#3b67b8;}"
    "QScrollBar::sub-line:vertical{subcontrol-position:top;subcontrol-origin:margin;"
    "background-color:#0b3675;border:1px solid #0b3675;height:15px;border-radius:7px;}"
    "QScrollBar::add-line:vertical{subcontrol-position:bottom;subcontrol-origin:margin;"
    "background-color:#0b3675;border:1px solid #0b3675;height:15px;border-radius:7px;}"
    "QScrollBar::up-arrow:vertical{border-image:url();width:15px;height:15px;}"
    "QScrollBar::down-arrow:vertical{border-image:url();width:15px;height:15px;}"
    "QScrollBar::sub-page:vertical,QScrollBar::add-page:vertical{background-color:#0b3675;}");

const QString kScrollPieceStart = QStringLiteral("QComboBox QAbstractScrollArea");
const Qt::WindowFlags kListWindowFlags =
    Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint;
} // namespace

class TestCComboBox : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void defaultLookBeforeAnySetter();
    void initialMembersAfterOneSetter();
    void listWindowIsFramelessAndTranslucent();
    void deviceViewSheet();
    void paddingsFillTheirOwnPlaceholders();
    void hoverAndSelectionLookAlike();
    void scrollRadiusIsAtMostHalfTheWidth_data();
    void scrollRadiusIsAtMostHalfTheWidth();
    void scrollWidth15Radius10Piece();
    void invalidColourLeavesOldColour();
    void conditionalColourSetters_data();
    void conditionalColourSetters();
    void arrowImagesPlacement();
    void emptyClosedArrowDropsArrowPieces();
    void byteMembersWrap_data();
    void byteMembersWrap();
    void maxVisibleItems_data();
    void maxVisibleItems();
    void familyComesFromHolder();
    void popupOffsetMovesList();
    void listItemsFollowTheSheet();

private:
    std::unique_ptr<CComboBox> m_pCombo;
};

void TestCComboBox::init()
{
    m_pCombo = std::make_unique<CComboBox>();
}

void TestCComboBox::cleanup()
{
    m_pCombo.reset();
}

void TestCComboBox::defaultLookBeforeAnySetter()
{
    const QComboBox plain;
    QCOMPARE(m_pCombo->styleSheet(), QString());
    QCOMPARE(m_pCombo->maxVisibleItems(), plain.maxVisibleItems());
    QCOMPARE(m_pCombo->view()->window()->windowFlags(), plain.view()->window()->windowFlags());
    QVERIFY(!m_pCombo->view()->window()->testAttribute(Qt::WA_TranslucentBackground));
}

void TestCComboBox::initialMembersAfterOneSetter()
{
    const int nQtVisible = m_pCombo->maxVisibleItems();
    m_pCombo->setPopupOffset(0);
    QCOMPARE(m_pCombo->styleSheet(),
             kInitialBox + kInitialList + kInitialItems + kInitialHover + kInitialScroll);
    QCOMPARE(m_pCombo->maxVisibleItems(), nQtVisible);
}

void TestCComboBox::listWindowIsFramelessAndTranslucent()
{
    m_pCombo->setRadius(4);
    QWidget *pListWindow = m_pCombo->view()->window();
    QVERIFY(pListWindow != m_pCombo.get());
    QCOMPARE(pListWindow->windowFlags() & kListWindowFlags, kListWindowFlags);
    QVERIFY(pListWindow->testAttribute(Qt::WA_TranslucentBackground));
}

void TestCComboBox::deviceViewSheet()
{
    m_pCombo->setRadius(4);
    m_pCombo->setBorder(1, "#B8C4D1");
    m_pCombo->setFontSize(16);
    m_pCombo->setPadding(10, 0, 0, 0);
    m_pCombo->setArrowGeometry(5, 10, 5);
    m_pCombo->setArrowImages(":/res/down.png", ":/res/down.png");
    m_pCombo->setPopupOffset(3);
    QCOMPARE(m_pCombo->styleSheet(), kDeviceViewSheet);
}

void TestCComboBox::paddingsFillTheirOwnPlaceholders()
{
    m_pCombo->setPadding(1, 2, 3, 4);
    QVERIFY(m_pCombo->styleSheet().startsWith(QStringLiteral(
        "QComboBox{color:#000000;background-color: #ffffff;font-family: Microsoft YaHei;"
        "font-size: 20px;border: 4px solid #000000;border-radius: 10px;padding-left: 1px;"
        "padding-right: 3px;padding-top: 2px;padding-bottom: 4px;}QComboBox QAbstractItemView")));
}

void TestCComboBox::hoverAndSelectionLookAlike()
{
    m_pCombo->setItemBackgrounds("#102030", "#405060");
    m_pCombo->setItemTextColors("#708090", "#a0b0c0");
    const QString strSheet = m_pCombo->styleSheet();
    QVERIFY(strSheet.contains(QStringLiteral(
        "color: #708090;background-color: #102030;padding-left: 0;}"
        "QComboBox QAbstractItemView::item:hover {background-color: #405060;color: #a0b0c0;}"
        "QComboBox QAbstractItemView::item:selected {background-color: #405060;color: #a0b0c0;}"
        "QComboBox QAbstractScrollArea")));
}

void TestCComboBox::scrollRadiusIsAtMostHalfTheWidth_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("radius");
    QTest::addColumn<int>("expected");
    QTest::newRow("15 and 10") << 15 << 10 << 7;
    QTest::newRow("exactly half") << 20 << 10 << 10;
    QTest::newRow("under half") << 21 << 6 << 6;
    QTest::newRow("19 and 10") << 19 << 10 << 9;
    QTest::newRow("width 1") << 1 << 1 << 0;
    QTest::newRow("no radius") << 8 << 0 << 0;
}

void TestCComboBox::scrollRadiusIsAtMostHalfTheWidth()
{
    QFETCH(int, width);
    QFETCH(int, radius);
    QFETCH(int, expected);
    m_pCombo->setScrollWidth(width);
    m_pCombo->setScrollRadius(radius);

    const QString strSheet = m_pCombo->styleSheet();
    const QString strScroll = strSheet.mid(strSheet.indexOf(kScrollPieceStart));
    QRegularExpressionMatchIterator it =
        QRegularExpression(QStringLiteral("border-radius:(\\d+)px")).globalMatch(strScroll);
    int nMatches = 0;
    while (it.hasNext()) {
        QCOMPARE(it.next().captured(1).toInt(), expected);
        ++nMatches;
    }
    QCOMPARE(nMatches, 4);
}

void TestCComboBox::scrollWidth15Radius10Piece()
{
    m_pCombo->setScrollWidth(15);
    QVERIFY(m_pCombo->styleSheet().endsWith(kScrollWidth15Radius10));
}

void TestCComboBox::invalidColourLeavesOldColour()
{
    m_pCombo->setColors(QColor(), Qt::red);
    const QString strRedBox =
        QString(kInitialBox).replace(QStringLiteral("color:#000000"), QStringLiteral("color:#ff0000"));
    QCOMPARE(m_pCombo->styleSheet(),
             strRedBox + kInitialList + kInitialItems + kInitialHover + kInitialScroll);
}

void TestCComboBox::conditionalColourSetters_data()
{
    QTest::addColumn<QString>("setter");
    QTest::addColumn<QString>("expected");
    QTest::newRow("background only") << "colors:bg"
                                     << "QComboBox{color:#000000;background-color: #0000ff;";
    QTest::newRow("border colour kept") << "border"
                                        << "border: 2px solid #000000;border-radius: 10px;";
    QTest::newRow("item hover background only")
        << "items:hover"
        << "background-color: #a8bedc;padding-left: 0;}"
           "QComboBox QAbstractItemView::item:hover {background-color: #00ff00;color: #ffffff;}";
    QTest::newRow("item text only") << "text:normal"
                                    << "color: #ff0000;background-color: #a8bedc;";
    QTest::newRow("scroll handle only")
        << "scroll:handle"
        << "{width:20px;background-color:#0b3675;border:0px;padding: 20px 0px 20px 0px;"
           "border-radius:10px;}QComboBox QScrollBar::handle::vertical{border-radius:10px;"
           "width:20px;background-color:#0000ff;}QComboBox QScrollBar::handle::vertical::hover"
           "{background-color:#3b67b8;}";
}

void TestCComboBox::conditionalColourSetters()
{
    QFETCH(QString, setter);
    QFETCH(QString, expected);
    if (setter == "colors:bg")
        m_pCombo->setColors(Qt::blue, QColor());
    else if (setter == "border")
        m_pCombo->setBorder(2, QColor());
    else if (setter == "items:hover")
        m_pCombo->setItemBackgrounds(QColor(), Qt::green);
    else if (setter == "text:normal")
        m_pCombo->setItemTextColors(Qt::red, QColor());
    else if (setter == "scroll:handle")
        m_pCombo->setScrollColors(QColor(), Qt::blue, QColor());
    QVERIFY2(m_pCombo->styleSheet().contains(expected), qPrintable(m_pCombo->styleSheet()));
}

void TestCComboBox::arrowImagesPlacement()
{
    m_pCombo->setArrowImages(":/a.png", ":/b.png");
    const QString strSheet = m_pCombo->styleSheet();
    QVERIFY(strSheet.contains(QStringLiteral(
        "padding-bottom: 0px;}QComboBox::drop-down{border:none;right: 12px;"
        "subcontrol-origin: padding;subcontrol-position: center right;}"
        "QComboBox::down-arrow {border-image: url(:/b.png);width: 30px;height: 30px;}"
        "QComboBox::down-arrow:on{border-image: url(:/a.png);width: 30px;height: 30px;}"
        "QComboBox QAbstractItemView {")));
    QVERIFY(strSheet.contains(QStringLiteral(
        "QScrollBar::up-arrow:vertical{border-image:url(:/a.png);width:20px;height:20px;}"
        "QScrollBar::down-arrow:vertical{border-image:url(:/b.png);width:20px;height:20px;}")));
}

void TestCComboBox::emptyClosedArrowDropsArrowPieces()
{
    m_pCombo->setArrowImages(":/a.png", QString());
    const QString strSheet = m_pCombo->styleSheet();
    QVERIFY(!strSheet.contains(QStringLiteral("drop-down")));
    QVERIFY(!strSheet.contains(QStringLiteral("QComboBox::down-arrow")));
    QVERIFY(strSheet.contains(QStringLiteral(
        "QScrollBar::up-arrow:vertical{border-image:url(:/a.png);width:20px;height:20px;}"
        "QScrollBar::down-arrow:vertical{border-image:url();")));
}

void TestCComboBox::byteMembersWrap_data()
{
    QTest::addColumn<QString>("setter");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("font size 276") << "font" << 276 << "font-size: 20px;";
    QTest::newRow("font size 255") << "font" << 255 << "font-size: 255px;";
    QTest::newRow("font size 260") << "font" << 260 << "font-size: 4px;";
    QTest::newRow("radius -1") << "radius" << -1 << "border-radius: 255px;";
    QTest::newRow("item height 300") << "item" << 300 << "{height: 44px;";
    QTest::newRow("popup offset is not in the sheet") << "offset" << 3 << "font-size: 20px;";
}

void TestCComboBox::byteMembersWrap()
{
    QFETCH(QString, setter);
    QFETCH(int, value);
    QFETCH(QString, expected);
    if (setter == "font")
        m_pCombo->setFontSize(value);
    else if (setter == "radius")
        m_pCombo->setRadius(value);
    else if (setter == "item")
        m_pCombo->setItemHeight(value);
    else if (setter == "offset")
        m_pCombo->setPopupOffset(value);
    QVERIFY2(m_pCombo->styleSheet().contains(expected), qPrintable(m_pCombo->styleSheet()));
}

void TestCComboBox::maxVisibleItems_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("expected");
    QTest::newRow("seven") << 7 << 7;
    QTest::newRow("zero keeps the current number") << 0 << 5;
    QTest::newRow("wraps to 16 bits") << 65536 + 9 << 9;
    QTest::newRow("wraps to zero") << 65536 << 5;
}

void TestCComboBox::maxVisibleItems()
{
    QFETCH(int, count);
    QFETCH(int, expected);
    m_pCombo->setMaxVisible(5);
    m_pCombo->setMaxVisible(count);
    QCOMPARE(m_pCombo->maxVisibleItems(), expected);
    QVERIFY(!m_pCombo->styleSheet().isEmpty());
}

void TestCComboBox::familyComesFromHolder()
{
    CFontFamily *pHolder = CFontFamily::getInstance();
    const QString strKept = pHolder->family();
    pHolder->setFamily(QStringLiteral("Test Sans"));
    CComboBox combo;
    pHolder->setFamily(strKept);

    combo.setFontSize(12);
    QVERIFY(combo.styleSheet().contains(QStringLiteral("font-family: Test Sans;font-size: 12px;")));
    QVERIFY(combo.styleSheet().contains(QStringLiteral("font-family: Test Sans;font-size: 12;")));
}

void TestCComboBox::popupOffsetMovesList()
{
    QWidget window;
    window.resize(400, 300);
    CComboBox *pCombo = new CComboBox(&window);
    pCombo->setGeometry(20, 20, 128, 30);
    pCombo->addItems({"192.168.1.20", "10.0.0.5", "172.16.3.4"});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    pCombo->setRadius(4);
    pCombo->showPopup();
    QWidget *pList = pCombo->view()->window();
    QTRY_VERIFY(pList->isVisible());
    const QPoint qtPlace = pList->pos();
    pCombo->hidePopup();
    QTRY_VERIFY(!pList->isVisible());

    pCombo->setPopupOffset(3);
    pCombo->showPopup();
    QTRY_VERIFY(pList->isVisible());
    QCOMPARE(pCombo->findChild<QFrame *>(), pList);
    QCOMPARE(pList->pos(), qtPlace + QPoint(0, 3));
    pCombo->hidePopup();
}


// The item rules only reach the list through a styled delegate; the item height is the
// visible proof that the open list follows them.
void TestCComboBox::listItemsFollowTheSheet()
{
    constexpr int kItemHeight = 36;
    m_pCombo->addItems({QStringLiteral("192.168.1.20"), QStringLiteral("10.0.0.7")});
    m_pCombo->setItemHeight(kItemHeight);
    m_pCombo->resize(128, 30);
    m_pCombo->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pCombo.get()));
    m_pCombo->showPopup();
    QAbstractItemView *pView = m_pCombo->view();
    QTRY_VERIFY(pView->isVisible());
    QCOMPARE(pView->visualRect(pView->model()->index(0, 0)).height(), kItemHeight);
    m_pCombo->hidePopup();
}

QTEST_MAIN(TestCComboBox)

#include "tst_ccombobox.moc"
