#include "widgets/ctexthintpopwidget.h"

#include "widgets/ciconbutton.h"
#include "widgets/ctextbutton.h"
#include "widgets/cwidget.h"

#include "support/formchecks.h"
#include "support/pixelchecks.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

namespace {
const QString kQuestion = QStringLiteral("Are you sure to save the changes and reboot the camera now?");
const QColor kAccent(QStringLiteral("#00B7FF"));
const QColor kCancelFill(QStringLiteral("#B4C4D1"));

// Rows of the image holding any pixel darker than mid grey, grouped into bands.
int inkBands(const QImage &image, int *pTop, int *pLeft)
{
    int nBands = 0;
    bool bInBand = false;
    *pTop = -1;
    *pLeft = image.width();
    for (int y = 0; y < image.height(); ++y) {
        bool bInk = false;
        for (int x = 0; x < image.width(); ++x) {
            const QColor color = image.pixelColor(x, y);
            if (color.alpha() > 128 && color.lightness() < 128) {
                bInk = true;
                *pLeft = std::min(*pLeft, x);
            }
        }
        if (bInk && *pTop < 0)
            *pTop = y;
        if (bInk && !bInBand)
            ++nBands;
        bInBand = bInk;
    }
    return nBands;
}
} // namespace

Q_DECLARE_METATYPE(Qt::MouseButton)

class TestCTextHintPopWidget : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void singleton();
    void windowSetup();
    void formSizes_data();
    void formSizes();
    void formStretches_data();
    void formStretches();
    void look();
    void buttonFaces_data();
    void buttonFaces();
    void disabledYesIsTransparentWithWhiteText();
    void answersEmitOnceAndDoNotHide_data();
    void answersEmitOnceAndDoNotHide();
    void showPopCoversResizedParent();
    void showPopWithoutParentKeepsSize();
    void longQuestionWrapsTopLeft();
    void tipIconReplacesWarning();
    void hidePop();
    void dragMovesWindowOnlyWithLeftButton_data();
    void dragMovesWindowOnlyWithLeftButton();

private:
    CTextHintPopWidget *pop() const;
    template <typename T>
    T *part(const char *pszName) const;

    QWidget *m_pParent = nullptr;
    QSize m_initialSize;
    bool m_bCreatedAsWindow = false;
    Qt::WindowFlags m_initialFlags;
};

CTextHintPopWidget *TestCTextHintPopWidget::pop() const
{
    return CTextHintPopWidget::getInstance();
}

template <typename T>
T *TestCTextHintPopWidget::part(const char *pszName) const
{
    return pop()->findChild<T *>(QLatin1String(pszName));
}

// The pop-up lives for the whole run, as in the program; its parent stands in for the
// main window.
void TestCTextHintPopWidget::initTestCase()
{
    QCoreApplication::setApplicationName(QStringLiteral("Kestrova"));
    CTextHintPopWidget *pPop = pop();
    m_initialSize = pPop->size();
    m_bCreatedAsWindow = pPop->isWindow();
    m_initialFlags = pPop->windowFlags();
    QVERIFY(!pPop->isVisible());

    m_pParent = new QWidget;
    m_pParent->setObjectName(QStringLiteral("mainWindow"));
    m_pParent->move(100, 100);
    m_pParent->resize(965, 679);
    pPop->setParent(m_pParent);
    m_pParent->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pParent));
}

void TestCTextHintPopWidget::init()
{
    pop()->hide();
    pop()->setTipText(kQuestion);
}

void TestCTextHintPopWidget::cleanupTestCase()
{
    delete m_pParent;
}

void TestCTextHintPopWidget::singleton()
{
    QWidget other;
    CTextHintPopWidget *pPop = pop();
    QCOMPARE(CTextHintPopWidget::getInstance(&other), pPop);
    QCOMPARE(pPop->parentWidget(), m_pParent);
}

void TestCTextHintPopWidget::windowSetup()
{
    QVERIFY(m_bCreatedAsWindow);
    QCOMPARE(m_initialSize, QSize(965, 679));
    QCOMPARE(m_initialFlags, Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    QCOMPARE(pop()->windowModality(), Qt::ApplicationModal);
    QCOMPARE(pop()->windowTitle(), QStringLiteral("Kestrova"));
    QVERIFY(pop()->testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(!pop()->isWindow());
}

void TestCTextHintPopWidget::formSizes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("minimum");
    QTest::addColumn<QSize>("maximum");

    const QSize unbounded(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    QTest::newRow("bg") << "bg" << QSize(772, 550) << unbounded;
    QTest::newRow("exitBtn") << "exitBtn" << QSize(10, 10) << QSize(10, 10);
    QTest::newRow("tipsLabel") << "tipsLabel" << QSize(14, 14) << QSize(14, 14);
    QTest::newRow("tipWidget") << "tipWidget" << QSize(202, 78) << QSize(202, 78);
    QTest::newRow("sureBtn") << "sureBtn" << QSize(48, 20) << QSize(48, 20);
    QTest::newRow("cancelBtn") << "cancelBtn" << QSize(48, 20) << QSize(48, 20);
}

void TestCTextHintPopWidget::formSizes()
{
    compareFormSizes(pop());
}

void TestCTextHintPopWidget::formStretches_data()
{
    QTest::addColumn<QString>("layout");
    QTest::addColumn<QVector<int>>("expected");

    QTest::newRow("verticalLayout") << "verticalLayout" << QVector<int>{10, 10, 78, 20, 17};
    QTest::newRow("horizontalLayout_3") << "horizontalLayout_3" << QVector<int>{241, 12, 9};
    QTest::newRow("horizontalLayout_2") << "horizontalLayout_2" << QVector<int>{34, 5, 202, 21};
    QTest::newRow("horizontalLayout") << "horizontalLayout" << QVector<int>{53, 49, 11, 49, 53};
}

void TestCTextHintPopWidget::formStretches()
{
    compareFormStretches(pop());
}

void TestCTextHintPopWidget::look()
{
    QCOMPARE(part<CWidget>("bg")->styleSheet(), boxSheet(QStringLiteral("bg"), QStringLiteral("#80000000"), 0));
    QCOMPARE(part<CWidget>("tipsBg")->styleSheet(),
             boxSheet(QStringLiteral("tipsBg"), QStringLiteral("#fffeffff"), 4 * expectedScale()));
    QCOMPARE(part<CWidget>("tipsBg")->minimumSize(), QSize(262, 135));
    QCOMPARE(part<CIconButton>("exitBtn")->styleSheet().count(QStringLiteral("url(:/res/exit1.png)")), 5);

    const QLabel *pIcon = part<QLabel>("tipsLabel");
    QVERIFY(pIcon->hasScaledContents());
    QCOMPARE(pIcon->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32),
             imageOf(QStringLiteral(":/res/warn.png")));

    const QLabel *pText = part<QLabel>("tipText");
    QCOMPARE(pText->styleSheet(), QStringLiteral("QLabel{font:14px Microsoft YaHei;color:#000000;}"));
    QCOMPARE(pText->alignment(), Qt::AlignLeft | Qt::AlignTop);
    QVERIFY(pText->wordWrap());
    QCOMPARE(part<QAbstractButton>("sureBtn")->text(), QStringLiteral("Yes"));
    QCOMPARE(part<QAbstractButton>("cancelBtn")->text(), QStringLiteral("No"));
    QVERIFY(part<QAbstractButton>("exitBtn")->text().isEmpty());

    const QList<QGridLayout *> grids = pop()->findChildren<QGridLayout *>();
    QCOMPARE(grids.size(), 4);
    for (const QGridLayout *pGrid : grids) {
        QCOMPARE(pGrid->contentsMargins(), QMargins());
        QCOMPARE(pGrid->spacing(), 0);
    }
    const QGridLayout *pIconGrid = pop()->findChild<QGridLayout *>(QStringLiteral("gridLayout_3"));
    QCOMPARE(pIconGrid->rowStretch(0), 5);
    QCOMPARE(pIconGrid->rowStretch(1), 14);
    QCOMPARE(pIconGrid->rowStretch(2), 30);
    QCOMPARE(pIconGrid->columnStretch(0), 20);
    QCOMPARE(pIconGrid->columnStretch(1), 14);
}

// The face of the shown buttons: a flat fill behind white text. Disabled, a button paints
// its text alone, and that text is white; enabled, the same text lies over the fill.
void TestCTextHintPopWidget::buttonFaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("fill");

    QTest::newRow("Yes") << "sureBtn" << kAccent;
    QTest::newRow("No") << "cancelBtn" << kCancelFill;
}

void TestCTextHintPopWidget::buttonFaces()
{
    QFETCH(QString, name);
    QFETCH(QColor, fill);

    pop()->showPop();
    auto *pButton = pop()->findChild<CTextButton *>(name);
    pButton->setEnabled(false);
    const QImage textAlone = paintedAlone(pButton);
    pButton->setEnabled(true);
    const QImage image = paintedAlone(pButton);

    int nInk = 0;
    for (int y = 0; y < textAlone.height(); ++y) {
        for (int x = 0; x < textAlone.width(); ++x) {
            const QColor ink = textAlone.pixelColor(x, y);
            if (ink.alpha() == 0)
                continue;
            ++nInk;
            QVERIFY2(channelDifference(QColor(ink.rgb()), Qt::white) <= kColourTolerance, qPrintable(ink.name()));
        }
    }
    QVERIFY(nInk > 0);
    QCOMPARE(image.pixelColor(2, 2), fill);
    const int nFromText = largestChannelDifference(image, overFace(textAlone, fill));
    QVERIFY2(nFromText <= kColourTolerance, qPrintable(QString::number(nFromText)));
}

// The face is left transparent; what is painted is the text, in white.
void TestCTextHintPopWidget::disabledYesIsTransparentWithWhiteText()
{
    pop()->showPop();
    auto *pYes = part<CTextButton>("sureBtn");
    pYes->setEnabled(false);
    const QImage disabled = paintedAlone(pYes);
    pYes->setEnabled(true);
    const QImage enabled = paintedAlone(pYes);

    QCOMPARE(disabled.pixelColor(2, 2).alpha(), 0);
    int nInk = 0;
    for (int y = 0; y < disabled.height(); ++y) {
        for (int x = 0; x < disabled.width(); ++x) {
            const QColor color = disabled.pixelColor(x, y);
            if (color.alpha() == 0)
                continue;
            ++nInk;
            QCOMPARE(color.rgb(), QColor(Qt::white).rgb());
        }
    }
    QVERIFY(nInk > 0);
    QCOMPARE(enabled.pixelColor(2, 2), kAccent);
}

void TestCTextHintPopWidget::answersEmitOnceAndDoNotHide_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("sure");
    QTest::addColumn<int>("cancel");

    QTest::newRow("Yes") << "sureBtn" << 1 << 0;
    QTest::newRow("No") << "cancelBtn" << 0 << 1;
    QTest::newRow("close") << "exitBtn" << 0 << 1;
}

void TestCTextHintPopWidget::answersEmitOnceAndDoNotHide()
{
    QFETCH(QString, button);
    QFETCH(int, sure);
    QFETCH(int, cancel);

    pop()->showPop();
    QSignalSpy sureSpy(pop(), &CTextHintPopWidget::sigSure);
    QSignalSpy cancelSpy(pop(), &CTextHintPopWidget::sigCancel);
    QWidget *pButton = pop()->findChild<QWidget *>(button);
    QVERIFY(pButton);

    QTest::mouseClick(pButton, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(sureSpy.count(), sure);
    QCOMPARE(cancelSpy.count(), cancel);
    QVERIFY(pop()->isVisible());
}

void TestCTextHintPopWidget::showPopCoversResizedParent()
{
    auto *pSibling = new QWidget(m_pParent);
    pSibling->show();
    m_pParent->resize(1107, 679);
    pop()->showPop();
    QCOMPARE(pop()->size(), QSize(1107, 679));
    QCOMPARE(pop()->pos(), QPoint(0, 0));
    QVERIFY(pop()->isVisible());
    QCOMPARE(m_pParent->children().constLast(), pop());

    pSibling->raise();
    m_pParent->resize(1000, 700);
    pop()->showPop();
    QCOMPARE(pop()->size(), QSize(1000, 700));
    QCOMPARE(m_pParent->children().constLast(), pop());
    delete pSibling;
}

void TestCTextHintPopWidget::showPopWithoutParentKeepsSize()
{
    pop()->setParent(nullptr);
    pop()->resize(500, 400);
    pop()->showPop();
    QCOMPARE(pop()->size(), QSize(500, 400));
    QVERIFY(pop()->isVisible());
    pop()->hide();
    pop()->setParent(m_pParent);
}

void TestCTextHintPopWidget::longQuestionWrapsTopLeft()
{
    m_pParent->resize(1107, 679);
    pop()->showPop();
    QLabel *pText = part<QLabel>("tipText");
    QCOMPARE(pText->text(), kQuestion);
    QCOMPARE(pText->parentWidget()->size(), QSize(202, 78));

    int nTop = 0;
    int nLeft = 0;
    const int nLines = inkBands(pText->grab().toImage(), &nTop, &nLeft);
    QVERIFY2(nLines >= 2, qPrintable(QString::number(nLines)));
    QVERIFY2(nTop >= 0 && nTop < 8, qPrintable(QString::number(nTop)));
    QVERIFY2(nLeft < 4, qPrintable(QString::number(nLeft)));
}

void TestCTextHintPopWidget::tipIconReplacesWarning()
{
    const QString strSuccess = QStringLiteral(":/res/success.png");
    const QString strWarn = QStringLiteral(":/res/warn.png");
    pop()->setTipIcon(strSuccess);
    const QImage shown = part<QLabel>("tipsLabel")->pixmap(Qt::ReturnByValue).toImage();
    pop()->setTipIcon(strWarn);
    QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32), imageOf(strSuccess));
}

void TestCTextHintPopWidget::hidePop()
{
    pop()->showPop();
    pop()->hidePop();
    QVERIFY(!pop()->isVisible());
}

// Presses on the backdrop reach the pop-up; a left drag moves the top-level window by the
// cursor's travel, a right drag leaves it.
void TestCTextHintPopWidget::dragMovesWindowOnlyWithLeftButton_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("moves");

    QTest::newRow("right button") << Qt::RightButton << false;
    QTest::newRow("left button") << Qt::LeftButton << true;
}

void TestCTextHintPopWidget::dragMovesWindowOnlyWithLeftButton()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, moves);

    pop()->showPop();
    QWidget *pBackdrop = part<QWidget>("bg");
    const QPoint start = m_pParent->pos();
    const QPoint local(20, 20);
    const QPoint travel(30, 17);
    const QPointF pressAt = pBackdrop->mapToGlobal(local);

    QMouseEvent press(QEvent::MouseButtonPress, local, pressAt, button, button, Qt::NoModifier);
    QApplication::sendEvent(pBackdrop, &press);
    QMouseEvent move(QEvent::MouseMove, local + travel, pressAt + travel, Qt::NoButton, button, Qt::NoModifier);
    QApplication::sendEvent(pBackdrop, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, local + travel, pressAt + travel, button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(pBackdrop, &release);

    if (moves)
        QTRY_COMPARE(m_pParent->pos(), start + travel);
    else
        QCOMPARE(m_pParent->pos(), start);
    m_pParent->move(start);
}

QTEST_MAIN(TestCTextHintPopWidget)
#include "tst_ctexthintpopwidget.moc"
