#pragma once

#include <QColor>
#include <QLineEdit>
#include <QString>

#include <array>

// The widget kit's line edit: a painted rounded background and border behind QLineEdit's
// own text and cursor, with separate colours for the enabled and the disabled state.
//
// Sizes are multiplied by the screen scale (see screenscale.h), computed once in the
// constructor. Colours come in sets of six: border enabled, border disabled, fill enabled,
// fill disabled, text enabled, text disabled. Defaults: no border, "#ECF0F3" fill, text
// "#000000" (disabled "#837f82"); 24 px text in the kit's font family; radius 4; border
// width factor 3.0.
class CTextInput : public QLineEdit
{
    Q_OBJECT

public:
    using ColorSet = std::array<QColor, 6>;

    explicit CTextInput(QWidget *parent = nullptr);

    // The colour set; refreshes the state colours.
    void setColors(const QColor &borderEnabled, const QColor &borderDisabled,
                   const QColor &fillEnabled, const QColor &fillDisabled,
                   const QColor &textEnabled, const QColor &textDisabled);
    // Enables or disables the input and refreshes the state colours.
    void setEnabledState(bool bEnabled);
    // Corner radius, multiplied by the scale when painting. Default 4.
    void setRadius(int nRadius);
    // Border width = scale × factor, truncated. Default 3.0.
    void setBorderWidthFactor(double dFactor);
    // Font pixel size, multiplied by the scale; applied at once. Default 24.
    void setFontSize(int nSize);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyFont();
    void refreshState();
    void paintBackground(QPainter &painter) const;
    void paintBorder(QPainter &painter) const;

    int m_nScale;
    int m_nStateIndex = 0;
    ColorSet m_colors;
    int m_nFontSize;
    int m_nRadius;
    double m_dBorderWidthFactor;
    QString m_strFontFamily;
    QColor m_curBorderColor;
    QColor m_curFillColor;
    QColor m_curTextColor;
};
