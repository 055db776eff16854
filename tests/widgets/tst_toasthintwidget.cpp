#include "widgets/toasthintwidget.h"

#include "widgets/ciconbutton.h"
#include "widgets/ciconlabel.h"
#include "widgets/ctext.h"
#include "widgets/cwidget.h"

#include "support/formchecks.h"
#include "support/pixelchecks.h"

#include <QTest>
#include <QTimer>

namespace {
const QString kSuccess = QStringLiteral(":/res/success.png");
const QString kFailed = QStringLiteral(":/res/failed.png");
const QSize kTextSize(162, 53);
const QString kLongFailure = QStringLiteral("Failed to write the settings to camera 192.168.100.200");

// The message as a text label set up by hand shows it: the toast's font, alignment and
// text rectangle, with the given wrap width.
QImage messageLaidOut(const QString &strText, int nWrapWidth)
{
    CText text;
    text.resize(kTextSize);
    text.setFontFamily(QStringLiteral("Microsoft YaHei"));
    text.setFontSize(20);
    text.setWrapWidth(nWrapWidth);
    text.setTextSize(kTextSize);
    text.setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    text.setText(strText);
    return paintedAlone(&text);
}

// Runs of rows that hold any painted pixel: the lines of a text.
int inkLines(const QImage &image)
{
    int nLines = 0;
    bool bInLine = false;
    for (int y = 0; y < image.height(); ++y) {
        bool bInk = false;
        for (int x = 0; x < image.width() && !bInk; ++x)
            bInk = image.pixelColor(x, y).alpha() > 0;
        if (bInk && !bInLine)
            ++nLines;
        bInLine = bInk;
    }
    return nLines;
}

// The bounding rectangle of the dark pixels.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).lightness() < 128)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}
} // namespace

class TestToastHintWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void singletonWindow();
    void formSizes_data();
    void formSizes();
    void formStretches_data();
    void formStretches();
    void look();
    void kindPicksIcon_data();
    void kindPicksIcon();
    void secondMessageReplacesFirst();
    void showTipsCoversResizedParent();
    void closeButtonHides();
    void staysWithoutTimeout();
    void messageCentredAtTop();
    void longFailureWraps();
    void backdropDimsParent();

private:
    ToastHintWidget *toast() const;
    template <typename T>
    T *part(const char *pszName) const;
    QImage shownIcon() const;

    QWidget *m_pParent = nullptr;
    QSize m_initialSize;
    bool m_bCreatedHidden = false;
};

ToastHintWidget *TestToastHintWidget::toast() const
{
    return ToastHintWidget::getInstance();
}

template <typename T>
T *TestToastHintWidget::part(const char *pszName) const
{
    return toast()->findChild<T *>(QLatin1String(pszName));
}

QImage TestToastHintWidget::shownIcon() const
{
    return part<CIconLabel>("iconLabel")->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The toast lives for the whole run, as in the program, over a white stand-in for the
// main window.
void TestToastHintWidget::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Kestrova"));
    ToastHintWidget *pToast = toast();
    m_initialSize = pToast->size();
    m_bCreatedHidden = !pToast->isVisible() && pToast->isWindow();

    m_pParent = new QWidget;
    m_pParent->setObjectName(QStringLiteral("mainWindow"));
    m_pParent->setStyleSheet(QStringLiteral("QWidget#mainWindow {background: #FFFFFF;}"));
    m_pParent->resize(965, 679);
    pToast->setParent(m_pParent);
    m_pParent->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pParent));
}

void TestToastHintWidget::init()
{
    toast()->hide();
}

void TestToastHintWidget::cleanupTestCase()
{
    delete m_pParent;
}

void TestToastHintWidget::singletonWindow()
{
    QVERIFY(m_bCreatedHidden);
    QCOMPARE(m_initialSize, QSize(814, 519));
    QCOMPARE(ToastHintWidget::getInstance(), toast());
    QCOMPARE(toast()->parentWidget(), m_pParent);
    QCOMPARE(toast()->windowModality(), Qt::ApplicationModal);
    QCOMPARE(toast()->windowTitle(), QStringLiteral("Kestrova"));
    QVERIFY(toast()->windowFlags().testFlag(Qt::FramelessWindowHint));
    QVERIFY(toast()->windowFlags().testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(toast()->testAttribute(Qt::WA_TranslucentBackground));
}

void TestToastHintWidget::formSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");

    const QSize unbounded(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QTest::newRow("bg") << "bg" << QSize(772, 550) << unbounded;
    QTest::newRow("tipsBg") << "tipsBg" << QSize(215, 110) << QSize(215, 110);
    QTest::newRow("exitBtn") << "exitBtn" << QSize(10, 10) << QSize(10, 10);
    QTest::newRow("iconLabel") << "iconLabel" << QSize(30, 30) << QSize(30, 30);
    QTest::newRow("tipText") << "tipText" << QSize(162, 53) << QSize(162, 53);
}

void TestToastHintWidget::formSizes()
{
    compareFormSizes(toast());
}

void TestToastHintWidget::formStretches_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QVector<int>>("expected");

    QTest::newRow("verticalLayout") << "verticalLayout" << QVector<int>{10, 10, 5, 30, 5, 40, 10};
    QTest::newRow("horizontalLayout_3") << "horizontalLayout_3" << QVector<int>{194, 12, 9};
    QTest::newRow("horizontalLayout") << "horizontalLayout" << QVector<int>{0, 0, 0};
    QTest::newRow("horizontalLayout_2") << "horizontalLayout_2" << QVector<int>{27, 162, 26};
}

void TestToastHintWidget::formStretches()
{
    compareFormStretches(toast());
}

void TestToastHintWidget::look()
{
    QCOMPARE(part<CWidget>("bg")->styleSheet(), boxSheet(QStringLiteral("bg"), QStringLiteral("#80000000"), 0));
    QCOMPARE(part<CWidget>("tipsBg")->styleSheet(),
             boxSheet(QStringLiteral("tipsBg"), QStringLiteral("#fffeffff"), 4 * expectedScale()));
    QCOMPARE(part<CIconButton>("exitBtn")->styleSheet().count(QStringLiteral("url(:/res/exit1.png)")), 5);
    QVERIFY(part<CIconButton>("exitBtn")->text().isEmpty());

    toast()->showTips(0, QStringLiteral("Success"));
    part<CText>("tipText")->grab();
    const QFont font = part<CText>("tipText")->font();
    QCOMPARE(font.family(), QStringLiteral("Microsoft YaHei"));
    QCOMPARE(font.pixelSize(), 20);
}

void TestToastHintWidget::kindPicksIcon_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("otherIcon");

    QTest::newRow("0 success") << 0 << kSuccess << kFailed;
    QTest::newRow("1 failure") << 1 << kFailed << kSuccess;
    QTest::newRow("2 wraps to success") << 2 << kSuccess << kFailed;
    QTest::newRow("3 wraps to failure") << 3 << kFailed << kSuccess;
}

void TestToastHintWidget::kindPicksIcon()
{
    QFETCH(int, kind);
    QFETCH(QString, icon);
    QFETCH(QString, otherIcon);

    toast()->showTips(kind, QStringLiteral("Result"));
    QCOMPARE(shownIcon(), imageOf(icon));
    // The comparison must be able to tell the two icons apart.
    QVERIFY(shownIcon() != imageOf(otherIcon));
    QCOMPARE(part<CText>("tipText")->text(), QStringLiteral("Result"));
    QVERIFY(toast()->isVisible());
}

void TestToastHintWidget::secondMessageReplacesFirst()
{
    toast()->showTips(0, QStringLiteral("Success"));
    toast()->showTips(1, QStringLiteral("Failed"));
    QCOMPARE(part<CText>("tipText")->text(), QStringLiteral("Failed"));
    QCOMPARE(shownIcon(), imageOf(kFailed));
    QVERIFY(toast()->isVisible());
}

void TestToastHintWidget::showTipsCoversResizedParent()
{
    auto *pSibling = new QWidget(m_pParent);
    pSibling->show();
    m_pParent->resize(1107, 679);
    toast()->showTips(0, QStringLiteral("Success"));
    QCOMPARE(toast()->size(), QSize(1107, 679));
    QCOMPARE(m_pParent->children().constLast(), toast());

    m_pParent->resize(965, 679);
    toast()->showTips(0, QStringLiteral("Success"));
    QCOMPARE(toast()->size(), QSize(965, 679));
    delete pSibling;
}

void TestToastHintWidget::closeButtonHides()
{
    toast()->showTips(1, QStringLiteral("Failed"));
    QTest::mouseClick(part<CIconButton>("exitBtn"), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(!toast()->isVisible());
}

// Nothing ticks inside the toast: it is still up after a while with events running.
void TestToastHintWidget::staysWithoutTimeout()
{
    toast()->showTips(0, QStringLiteral("Success"));
    QVERIFY(toast()->findChildren<QTimer *>().isEmpty());
    QTest::qWait(1500);
    QVERIFY(toast()->isVisible());
}

void TestToastHintWidget::messageCentredAtTop()
{
    toast()->showTips(0, QStringLiteral("Success"));
    CText *pText = part<CText>("tipText");
    const QRect ink = inkBounds(pText->grab().toImage());
    QVERIFY(!ink.isEmpty());
    const int nLeftGap = ink.left();
    const int nRightGap = pText->width() - 1 - ink.right();
    QVERIFY2(qAbs(nLeftGap - nRightGap) <= 2, qPrintable(QStringLiteral("%1 %2").arg(nLeftGap).arg(nRightGap)));
    QVERIFY2(ink.top() < 10, qPrintable(QString::number(ink.top())));
}

// A failure text too long for one line wraps at 162 px and is cut to the two lines that
// fit the 162 x 53 text rectangle.
void TestToastHintWidget::longFailureWraps()
{
    toast()->showTips(1, kLongFailure);
    QCOMPARE(shownIcon(), imageOf(kFailed));
    const QImage image = paintedAlone(part<CText>("tipText"));
    QCOMPARE(image, messageLaidOut(kLongFailure, kTextSize.width()));
    QCOMPARE(inkLines(image), 2);
    // The comparison tells a wrapped message from one left on a single line.
    QVERIFY(image != messageLaidOut(kLongFailure, 0));
}

// Over a white parent the backdrop shows as mid grey around a white box.
void TestToastHintWidget::backdropDimsParent()
{
    m_pParent->resize(965, 679);
    toast()->showTips(0, QStringLiteral("Success"));
    const QImage image = m_pParent->grab().toImage();
    const QColor corner = image.pixelColor(5, 5);
    QVERIFY2(qAbs(corner.red() - 127) <= 2 && corner.red() == corner.green() && corner.green() == corner.blue(),
             qPrintable(corner.name()));
    const QWidget *pBox = part<QWidget>("tipsBg");
    const QPoint boxInside = pBox->mapTo(m_pParent, QPoint(4, pBox->height() - 4));
    QCOMPARE(image.pixelColor(boxInside), QColor(QStringLiteral("#FEFFFF")));
}

QTEST_MAIN(TestToastHintWidget)
#include "tst_toasthintwidget.moc"
