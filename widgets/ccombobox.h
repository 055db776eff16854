#pragma once

#include <QColor>
#include <QComboBox>
#include <QString>

// A combo box whose whole look (box, drop-down arrow, pop-up list, items and the list's
// scroll bar) is one style sheet generated from typed members. Every setter stores its
// values and regenerates and applies the complete sheet; until the first setter runs the
// combo keeps Qt's default look and number of visible items.
//
// Byte-sized members keep the low 8 bits of the value given (the maximum visible items
// the low 16). Colour arguments documented as "if valid" leave the old colour when given
// an invalid QColor().
class CComboBox : public QComboBox
{
    Q_OBJECT

public:
    explicit CComboBox(QWidget *parent = nullptr);

    // Pixels the open list is moved down from where Qt places it. Default 0.
    void setPopupOffset(int nOffset);
    // Items the open list shows at once; 0 leaves Qt's number. Default 4.
    void setMaxVisible(int nCount);
    // Box text size in pixels. Default 20.
    void setFontSize(int nSize);
    // Box background and text colour, each if valid. Defaults "#FFFFFF", "#000000".
    void setColors(const QColor &background, const QColor &text);
    // Box border width and colour (if valid). Defaults 4, "#000000".
    void setBorder(int nWidth, const QColor &color);
    // Box corner radius. Default 10.
    void setRadius(int nRadius);
    // Box paddings. Default 0 each.
    void setPadding(int nLeft, int nTop, int nRight, int nBottom);
    // Drop-down distance from the right edge, arrow width and height. Defaults 12, 30, 30.
    void setArrowGeometry(int nRightOffset, int nWidth, int nHeight);
    // Arrow image shown while the list is open, and while it is closed. The drop-down
    // and arrow rules exist only once a closed-arrow image is set. The open image is also
    // the list scroll bar's up arrow, the closed one its down arrow.
    void setArrowImages(const QString &strOpenImage, const QString &strClosedImage);
    // List background. Default "#CBD8EA".
    void setListBackground(const QColor &color);
    // List border width and colour. Defaults 1, "#000000".
    void setListBorder(int nWidth, const QColor &color);
    // List and item corner radius. Default 4.
    void setListRadius(int nRadius);
    // List padding. Default 0.
    void setListPadding(int nPadding);
    // Item background, normal and hovered/selected, each if valid. Defaults "#A8BEDC", "#409CE1".
    void setItemBackgrounds(const QColor &normal, const QColor &hover);
    // Item text colour, normal and hovered/selected, each if valid. Defaults "#000000", "#ffffff".
    void setItemTextColors(const QColor &normal, const QColor &hover);
    // Item height. Default 36.
    void setItemHeight(int nHeight);
    // Item left padding. Default 0.
    void setItemPadding(int nPadding);
    // Scroll bar background, handle and hovered handle, each if valid.
    // Defaults "#0B3675", "#3B67A8", "#3B67B8".
    void setScrollColors(const QColor &background, const QColor &handle, const QColor &handleHover);
    // Scroll bar width. Default 20.
    void setScrollWidth(int nWidth);
    // Scroll bar radius, at most half the width. Default 10.
    void setScrollRadius(int nRadius);

    // Opens the list, then moves it down by the pop-up offset.
    void showPopup() override;

private:
    void applyStyle();
    QString boxSheet() const;
    QString dropDownSheet() const;
    QString arrowSheet() const;
    QString listSheet() const;
    QString itemSheet() const;
    QString hoverSheet() const;
    QString scrollSheet() const;

    quint8 m_nPopupOffset;
    QString m_strFontFamily;
    quint8 m_nFontSize;
    quint16 m_nMaxVisible;
    QColor m_backgroundColor;
    QColor m_textColor;
    quint8 m_nBorderWidth;
    QColor m_borderColor;
    quint8 m_nBorderRadius;
    quint8 m_nPaddingLeft;
    quint8 m_nPaddingTop;
    quint8 m_nPaddingRight;
    quint8 m_nPaddingBottom;
    quint8 m_nDropDownRight;
    quint8 m_nArrowWidth;
    quint8 m_nArrowHeight;
    QString m_strArrowImage;
    QString m_strOpenArrowImage;
    QColor m_listBackground;
    quint8 m_nListBorderWidth;
    QColor m_listBorderColor;
    quint8 m_nListRadius;
    quint8 m_nListPadding;
    quint8 m_nItemHeight;
    quint8 m_nItemPaddingLeft;
    QColor m_itemTextColor;
    QColor m_itemHoverTextColor;
    QColor m_itemBackground;
    QColor m_itemHoverBackground;
    QColor m_scrollBackground;
    QColor m_scrollHandleColor;
    QColor m_scrollHandleHoverColor;
    quint8 m_nScrollWidth;
    quint8 m_nScrollRadius;
};
