#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

class QFontMetricsF;

// A label that paints its own text with a fixed pixel size, weight, family and colour
// into a text rectangle inside the widget. Its line breaker cuts the text by the average
// character width (not at word boundaries) into as many lines as the rectangle holds,
// and can end the result with "...".
//
// Defaults: "Default String", 16 px, weight 50, colour "#000000", the CFontFamily
// family, Qt::AlignLeft | Qt::AlignVCenter, single line, no ellipsis, and the text
// rectangle covering the widget's size at construction. Every setter schedules a repaint.
class CText : public QWidget
{
    Q_OBJECT

public:
    explicit CText(QWidget *parent = nullptr);

    void setText(const QString &strText);
    // Font pixel size. Default 16.
    void setFontSize(int nSize);
    // QFont weight: 50 normal, 63 demi-bold, 75 bold. Default 50.
    void setFontWeight(int nWeight);
    void setFontFamily(const QString &strFamily);
    void setColor(const QColor &color);
    // Qt::Alignment of the text inside the text rectangle.
    void setAlignment(int nAlignment);
    // Width of one line; 0 or less paints a single line. Default 0.
    void setWrapWidth(int nWidth);
    // Ends the laid-out text with "...", replacing its last character. Default off.
    void setEllipsis(bool bEllipsis);
    // Narrows the text rectangle; a width larger than the widget's is ignored.
    void setTextWidth(int nWidth);
    // Lowers the text rectangle; a height larger than the widget's is ignored.
    void setTextHeight(int nHeight);
    // setTextWidth and setTextHeight, each with its own check.
    void setTextSize(const QSize &size);

    QString text() const;
    // The painting font as of the last paint.
    QFont font() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyFont();
    int lineWidth() const;
    QString layoutText(const QFontMetricsF &metrics) const;
    QString withEllipsis(QString strLaidOut) const;

    QString m_strText;
    int m_nFontSize;
    QColor m_textColor;
    QFont m_font;
    int m_nFontWeight;
    QString m_strFontFamily;
    int m_nAlignment;
    int m_nWrapWidth;
    bool m_bEllipsis;
    QRect m_textRect;
};
