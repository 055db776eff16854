#pragma once

// Checks of Designer forms and their images, shared by the widget tests.

#include <QBoxLayout>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <QVector>
#include <QWidget>

// The screen scale the kit widgets expect, from the primary screen's width.
inline int expectedScale()
{
    const int nWidth = QGuiApplication::primaryScreen()->geometry().width();
    return nWidth < 1920 ? 1 : nWidth / 1920;
}

// The style sheet a CWidget gets for a flat fill with rounded corners.
inline QString boxSheet(const QString &strName, const QString &strColor, int nRadius)
{
    return QStringLiteral("QWidget#%1 {background-color: %2; border: 0px solid #ff000000; "
                          "background-clip: content;padding: 0px;border-top-left-radius: %3px;"
                          "border-top-right-radius: %3px;border-bottom-left-radius: %3px;"
                          "border-bottom-right-radius: %3px;background-image: url();}")
        .arg(strName, strColor)
        .arg(nRadius);
}

// The image at the path as a label shows it, in the format grabs and pixmaps are compared
// in. It goes through a pixmap like the widgets' icons do: a pixmap stores premultiplied
// alpha, and how half-transparent pixels round on the way there and back depends on the
// SIMD path Qt picks for the processor, so the file read directly may differ by one.
inline QImage imageOf(const QString &strPath)
{
    return QPixmap(strPath).toImage().convertToFormat(QImage::Format_ARGB32);
}

inline QVector<int> stretches(const QBoxLayout *pLayout)
{
    QVector<int> list;
    for (int i = 0; i < pLayout->count(); ++i)
        list.append(pLayout->stretch(i));
    return list;
}

// The data row's "name", "minimum" and "maximum": the child of pForm so named has those
// minimum and maximum sizes.
inline void compareFormSizes(const QWidget *pForm)
{
    QFETCH(QString, name);
    QFETCH(QSize, minimum);
    QFETCH(QSize, maximum);

    const QWidget *pWidget = pForm->findChild<QWidget *>(name);
    QVERIFY(pWidget);
    QCOMPARE(pWidget->minimumSize(), minimum);
    QCOMPARE(pWidget->maximumSize(), maximum);
}

// The data row's "layout" and "expected": the box layout of pForm so named has those
// stretch factors, no spacing and no margins.
inline void compareFormStretches(const QWidget *pForm)
{
    QFETCH(QString, layout);
    QFETCH(QVector<int>, expected);

    const QBoxLayout *pLayout = pForm->findChild<QBoxLayout *>(layout);
    QVERIFY(pLayout);
    QCOMPARE(stretches(pLayout), expected);
    QCOMPARE(pLayout->spacing(), 0);
    QCOMPARE(pLayout->contentsMargins(), QMargins());
}
