#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <QWidget>

// The kit's plain container. Its background (flat colour or two-colour linear gradient),
// border, padding, corner radii and background image are kept as members and turned into
// a style sheet addressed to the widget's object name (QWidget#name, or the bare QWidget
// selector while it has no name). Every setter regenerates the sheet; it is applied only
// when it changed. Until the first setter the widget has no style sheet.
//
// Sizes given to the setters are multiplied by the screen scale, taken once at
// construction from the primary screen (1 below 1920 pixels wide, else width / 1920
// rounded down). Defaults: transparent background, no border (black, 0 px), padding 0,
// radii 0, gradient off (top to bottom), no images.
class CWidget : public QWidget
{
    Q_OBJECT

public:
    explicit CWidget(QWidget *parent = nullptr);

    // Flat background, or the gradient's start colour.
    void setBackgroundColor(const QColor &color);
    // Turns the gradient on, ending in this colour.
    void setGradientEndColor(const QColor &color);
    // Resets the background (start) colour to transparent and switches the gradient.
    void setGradientOn(bool bOn);
    void setBorder(const QColor &color, int nWidth);
    // Transparent, 0 px border.
    void clearBorder();
    void setPadding(int nPadding);
    void setRadii(int nTopLeft, int nTopRight, int nBottomLeft, int nBottomRight);
    void setRadius(int nRadius);
    // 0 top to bottom, 1 bottom to top, 2 left to right, 3 right to left.
    void setGradientDirection(int nDirection);
    void setImages(const QStringList &listImages);
    // Picks the background image, modulo the image count; ignored without images.
    void setImageIndex(int nIndex);

private:
    QString selectorSuffix() const;
    QString currentImage() const;
    QString gradientText() const;
    QString buildStyleSheet() const;
    void refreshStyleSheet();

    int m_nBorder;
    int m_nPadding;
    QColor m_borderColor;
    int m_nTopLeftRadius;
    int m_nTopRightRadius;
    int m_nBottomLeftRadius;
    int m_nBottomRightRadius;
    bool m_bGradientOn;
    QColor m_backgroundColor;
    QColor m_gradientEndColor;
    int m_nGradientDirection;
    int m_nScale;
    QString m_strLastSheet;
    QStringList m_listImages;
    int m_nImageCount;
    int m_nImageIndex;
};
