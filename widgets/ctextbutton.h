#pragma once

#include <QColor>
#include <QPushButton>
#include <QString>

#include <array>

class QPainter;

// A push button that paints itself: a face with four individually rounded corners, a flat
// or gradient fill, an optional border and an aligned text, with separate colours for the
// enabled and the disabled state. It can size itself to its text and shorten a text that
// is too long with "...".
//
// Sizes given to the setters are multiplied by the screen scale (see screenscale.h),
// computed once in the constructor. Every setter schedules a repaint.
//
// Colours come in sets of six, in this order: border enabled, border disabled, fill
// enabled, fill disabled, text enabled, text disabled. Defaults: transparent border and
// fill, "#000000" text; 14 px "Arial" at weight 50, centred; no radius, border or margin;
// horizontal padding 14, maximum width 120, auto width off.
class CTextButton : public QPushButton
{
    Q_OBJECT

public:
    using ColorSet = std::array<QColor, 6>;

    explicit CTextButton(QWidget *parent = nullptr);
    // Sets the text unless it is empty.
    explicit CTextButton(const QString &strText, QWidget *parent = nullptr);

    // Font pixel size, multiplied by the scale when painting. Default 14.
    void setFontSize(int nSize);
    // Font weight (QFont scale: 50 normal, 63 demi-bold); lasts until the next state
    // refresh, which restores the per-state weight (50). Default 50.
    void setFontWeight(int nWeight);
    // Font family. Default "Arial".
    void setFontFamily(const QString &strFamily);
    // Sizes the button to its text plus the horizontal padding on both sides; a text wider
    // than the maximum width is shortened with "...". Default off.
    void setAutoWidth(bool bAutoWidth);
    // Widest text the auto width allows. Default 120.
    void setMaxWidth(int nWidth);
    // Space left and right of the text with auto width. Default 14.
    void setHPadding(int nPadding);
    // The same radius for all four corners. Default 0.
    void setRadius(int nRadius);
    // Corner radii clockwise from the top left.
    void setRadii(int nTopLeft, int nTopRight, int nBottomRight, int nBottomLeft);
    // Border width; a border is painted only when it is above 0. Default 0.
    void setBorderWidth(int nWidth);
    // Inset of the fill from the widget edges. Default 0.
    void setMargin(int nMargin);
    // Qt::Alignment of the text. Default Qt::AlignCenter.
    void setTextAlignment(int nAlignment);
    // The colour set; refreshes the state colours.
    void setColors(const QColor &borderEnabled, const QColor &borderDisabled,
                   const QColor &fillEnabled, const QColor &fillDisabled,
                   const QColor &textEnabled, const QColor &textDisabled);
    // The gradient colour set, whose fill entries are the gradient's end colours; turns the
    // gradient on and refreshes the state colours.
    void setGradientColors(const QColor &borderEnabled, const QColor &borderDisabled,
                           const QColor &fillEnabled, const QColor &fillDisabled,
                           const QColor &textEnabled, const QColor &textDisabled);
    // Fill with a left-to-right gradient instead of a flat colour; refreshes the state.
    void setGradientOn(bool bOn);

protected:
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void refreshState();
    QFont paintFont() const;
    int measureTextWidth(QPainter &painter, const QString &strText) const;
    QString fitToWidth(QPainter &painter);
    QBrush fillBrush() const;
    void paintFill(QPainter &painter) const;
    void paintBorder(QPainter &painter) const;
    void paintText(QPainter &painter, const QString &strText) const;
    std::array<int, 4> cornerRadii() const;

    int m_nStateIndex = 0;
    int m_nFontSize;
    int m_nFontWeight;
    QString m_strFontFamily;
    int m_nTextAlignment;
    ColorSet m_colors;
    ColorSet m_gradientColors;
    int m_nTopLeftRadius = 0;
    int m_nTopRightRadius = 0;
    int m_nBottomLeftRadius = 0;
    int m_nBottomRightRadius = 0;
    int m_nBorderWidth = 0;
    int m_nMargin = 0;
    int m_nHPadding;
    bool m_bGradientOn = false;
    QColor m_curBorderColor;
    QColor m_curFillColor;
    QColor m_curGradientEndColor;
    QColor m_curTextColor;
    std::array<int, 2> m_stateWeights;
    bool m_bAutoWidth = false;
    int m_nMaxWidth;
    int m_nScale;
};
