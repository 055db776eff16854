#include "widgets/ciconbutton.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {
const QString kClose = QStringLiteral(":/res/exit1.png");
const QString kMin = QStringLiteral(":/res/min.png");
const QString kMax = QStringLiteral(":/res/max.png");
const QString kExit = QStringLiteral(":/res/exit.png");

QString expectedSheet(const QString &strNormal, const QString &strHover, const QString &strPressed,
                      const QString &strDisabled)
{
    return QStringLiteral("QPushButton {border-image: url(%1);border: none;}"
                          "QPushButton:hover {border-image: url(%2);border: none;}"
                          "QPushButton:pressed {border-image: url(%3);border: none;}"
                          "QPushButton:focus:pressed {border-image: url(%3);border: none;}"
                          "QPushButton:disabled {border-image: url(%4);border: none;}")
        .arg(strNormal, strHover, strPressed, strDisabled);
}

// Counts the presses that reach it, to see whether the button passed one on.
class PressCounter : public QWidget
{
public:
    int m_nPresses = 0;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        ++m_nPresses;
        QWidget::mousePressEvent(event);
    }
};
} // namespace

class TestCIconButton : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void styleSheetPerImageCount_data();
    void styleSheetPerImageCount();
    void rejectedSets_data();
    void rejectedSets();
    void currentSetSelectsSheet();
    void setImageSetReplacesAll();
    void stateSequence_data();
    void stateSequence();
    void releaseOutsideDropsFocus();
    void pressPassOn_data();
    void pressPassOn();
    void selectedEmitsOnChangeOnly();
    void disabledAtNextEvaluation();

private:
    void record(const QString &strEntry);
    void enter();
    void leave();

    std::unique_ptr<PressCounter> m_pParent;
    CIconButton *m_pButton = nullptr;
    QStringList m_listEvents;
};

void TestCIconButton::init()
{
    m_pParent = std::make_unique<PressCounter>();
    m_pParent->resize(100, 100);
    m_pButton = new CIconButton(m_pParent.get());
    m_pButton->setGeometry(20, 20, 24, 24);
    m_listEvents.clear();
    connect(m_pButton, &CIconButton::sigEnter, this, [this] { record(QStringLiteral("enter")); });
    connect(m_pButton, &CIconButton::sigLeave, this, [this] { record(QStringLiteral("leave")); });
    connect(m_pButton, &CIconButton::sigStateChanged, this,
            [this](CIconButton::ButtonState_EN enState) { record(QStringLiteral("state %1").arg(enState)); });
    connect(m_pButton, &QAbstractButton::released, this, [this] { record(QStringLiteral("released")); });
    connect(m_pButton, &QAbstractButton::clicked, this, [this] { record(QStringLiteral("clicked")); });
}

void TestCIconButton::cleanup()
{
    m_pParent.reset();
}

void TestCIconButton::record(const QString &strEntry)
{
    m_listEvents.append(strEntry);
}

void TestCIconButton::enter()
{
    QEvent event(QEvent::Enter);
    QApplication::sendEvent(m_pButton, &event);
}

void TestCIconButton::leave()
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(m_pButton, &event);
}

void TestCIconButton::styleSheetPerImageCount_data()
{
    QTest::addColumn<QStringList>("images");
    QTest::addColumn<QString>("expected");

    QTest::newRow("one image for every state") << QStringList{kClose}
                                               << expectedSheet(kClose, kClose, kClose, kClose);
    QTest::newRow("second is the hover image") << QStringList{kMin, kMax}
                                               << expectedSheet(kMin, kMax, kMin, kMin);
    QTest::newRow("third is the pressed image") << QStringList{kMin, kMax, kExit}
                                                << expectedSheet(kMin, kMax, kExit, kMin);
    QTest::newRow("fourth is the disabled image") << QStringList{kMin, kMax, kExit, kClose}
                                                  << expectedSheet(kMin, kMax, kExit, kClose);
    const QString strMissing = QStringLiteral(":/res/missing.png");
    QTest::newRow("missing image kept as its path") << QStringList{strMissing}
                                                    << expectedSheet(strMissing, strMissing, strMissing, strMissing);
}

void TestCIconButton::styleSheetPerImageCount()
{
    QFETCH(QStringList, images);
    QFETCH(QString, expected);

    m_pButton->addImageSet(images);
    QCOMPARE(m_pButton->styleSheet(), expected);
    if (images.size() == 1)
        QCOMPARE(m_pButton->styleSheet().count(images.first()), 5);
}

// A set of five paths is not added; an empty set is added but leaves the sheet alone.
void TestCIconButton::rejectedSets_data()
{
    QTest::addColumn<QStringList>("images");
    QTest::addColumn<bool>("added");

    QTest::newRow("five paths") << QStringList{kMin, kMax, kExit, kClose, kMin} << false;
    QTest::newRow("empty list") << QStringList() << true;
}

void TestCIconButton::rejectedSets()
{
    QFETCH(QStringList, images);
    QFETCH(bool, added);

    m_pButton->addImageSet({kClose});
    const QString strBefore = m_pButton->styleSheet();
    m_pButton->addImageSet(images);
    QCOMPARE(m_pButton->styleSheet(), strBefore);

    m_pButton->setCurrentSet(1);
    QCOMPARE(m_pButton->currentSet(), added ? 1 : 0);
    QCOMPARE(m_pButton->styleSheet(), strBefore);
}

void TestCIconButton::currentSetSelectsSheet()
{
    m_pButton->addImageSet({kMin});
    m_pButton->addImageSet({kMax, kExit});
    QCOMPARE(m_pButton->styleSheet(), expectedSheet(kMin, kMin, kMin, kMin));

    m_pButton->setCurrentSet(1);
    QCOMPARE(m_pButton->currentSet(), 1);
    QCOMPARE(m_pButton->styleSheet(), expectedSheet(kMax, kExit, kMax, kMax));

    m_pButton->setCurrentSet(2);
    m_pButton->setCurrentSet(-1);
    QCOMPARE(m_pButton->currentSet(), 1);
}

void TestCIconButton::setImageSetReplacesAll()
{
    m_pButton->addImageSet({kMin});
    m_pButton->addImageSet({kMax});
    m_pButton->setImageSet({kExit});
    QCOMPARE(m_pButton->styleSheet(), expectedSheet(kExit, kExit, kExit, kExit));

    m_pButton->setCurrentSet(1);
    QCOMPARE(m_pButton->currentSet(), 0);
}

void TestCIconButton::stateSequence_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("in and out") << QStringList{"enter", "leave"}
                                << QStringList{"enter", "state 1", "leave", "state 0"};
    QTest::newRow("release inside")
        << QStringList{"enter", "press", "release inside"}
        << QStringList{"enter", "state 1", "state 2", "state 1", "released", "clicked"};
    // Released outside without a move in between, the button only drops its down state.
    QTest::newRow("release outside")
        << QStringList{"enter", "press", "release outside"}
        << QStringList{"enter", "state 1", "state 2", "state 0"};
    QTest::newRow("leave while pressed")
        << QStringList{"enter", "press", "leave"}
        << QStringList{"enter", "state 1", "state 2", "leave", "state 0"};
    QTest::newRow("second enter changes nothing")
        << QStringList{"enter", "enter"} << QStringList{"enter", "state 1", "enter"};
}

void TestCIconButton::stateSequence()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, expected);

    const QPoint inside(5, 5);
    const QPoint outside(-10, 40);
    for (const QString &strStep : steps) {
        if (strStep == QLatin1String("enter"))
            enter();
        else if (strStep == QLatin1String("leave"))
            leave();
        else if (strStep == QLatin1String("press"))
            QTest::mousePress(m_pButton, Qt::LeftButton, Qt::NoModifier, inside);
        else
            QTest::mouseRelease(m_pButton, Qt::LeftButton, Qt::NoModifier,
                                strStep == QLatin1String("release inside") ? inside : outside);
    }
    QCOMPARE(m_listEvents, expected);
}

void TestCIconButton::releaseOutsideDropsFocus()
{
    m_pParent->show();
    QApplication::setActiveWindow(m_pParent.get());
    if (!QTest::qWaitForWindowActive(m_pParent.get()))
        QSKIP("This platform does not activate windows, so nothing can hold the focus");
    m_pButton->setFocus();
    QVERIFY(m_pButton->hasFocus());

    QTest::mousePress(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(m_pButton->hasFocus());

    QTest::mousePress(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(30, 5));
    QVERIFY(!m_pButton->hasFocus());
}

void TestCIconButton::pressPassOn_data()
{
    QTest::addColumn<bool>("passOn");
    QTest::addColumn<int>("parentPresses");

    QTest::newRow("passed on by default") << true << 1;
    QTest::newRow("kept when switched off") << false << 0;
}

void TestCIconButton::pressPassOn()
{
    QFETCH(bool, passOn);
    QFETCH(int, parentPresses);

    m_pButton->setPassPressOn(passOn);
    QTest::mousePress(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QCOMPARE(m_pParent->m_nPresses, parentPresses);
    QVERIFY(m_pButton->isDown());
    QTest::mouseRelease(m_pButton, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QVERIFY(m_listEvents.contains(QStringLiteral("clicked")));
}

void TestCIconButton::selectedEmitsOnChangeOnly()
{
    m_pButton->addImageSet({kClose});
    QSignalSpy selectedSpy(m_pButton, &CIconButton::sigSelectedChanged);
    QSignalSpy stateSpy(m_pButton, &CIconButton::sigStateChanged);

    m_pButton->setSelected(true);
    m_pButton->setSelected(true);
    QCOMPARE(selectedSpy.count(), 1);
    QCOMPARE(selectedSpy.at(0).at(0).toBool(), true);
    QCOMPARE(stateSpy.count(), 1);
    QCOMPARE(stateSpy.at(0).at(0).value<CIconButton::ButtonState_EN>(), CIconButton::STATE_PRESSED);
    QVERIFY(m_pButton->isSelected());

    enter();
    leave();
    QCOMPARE(stateSpy.count(), 1);

    m_pButton->setSelected(false);
    QCOMPARE(selectedSpy.count(), 2);
    QCOMPARE(selectedSpy.at(1).at(0).toBool(), false);
    QCOMPARE(stateSpy.at(1).at(0).value<CIconButton::ButtonState_EN>(), CIconButton::STATE_NORMAL);
    QCOMPARE(m_pButton->styleSheet(), expectedSheet(kClose, kClose, kClose, kClose));
}

void TestCIconButton::disabledAtNextEvaluation()
{
    QSignalSpy stateSpy(m_pButton, &CIconButton::sigStateChanged);
    m_pButton->setEnabled(false);
    QCOMPARE(stateSpy.count(), 0);

    m_pButton->setSelected(false);
    QCOMPARE(stateSpy.count(), 1);
    QCOMPARE(stateSpy.at(0).at(0).value<CIconButton::ButtonState_EN>(), CIconButton::STATE_DISABLED);

    m_pButton->setEnabled(true);
    enter();
    QCOMPARE(stateSpy.count(), 2);
    QCOMPARE(stateSpy.at(1).at(0).value<CIconButton::ButtonState_EN>(), CIconButton::STATE_HOVER);
}

QTEST_MAIN(TestCIconButton)
#include "tst_ciconbutton.moc"
