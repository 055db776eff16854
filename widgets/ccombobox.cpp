#include "widgets/ccombobox.h"

#include "widgets/cfontfamily.h"

#include <QAbstractItemView>
#include <QFrame>
#include <QStyledItemDelegate>

namespace {
// Style-sheet templates, one per piece; their placeholders are filled lowest number first.
const QString kBoxTemplate = QStringLiteral(
    "QComboBox{color:%1;background-color: %2;font-family: %3;font-size: %4px;"
    "border: %5px solid %6;border-radius: %7px;padding-left: %8px;padding-right: %9px;"
    "padding-top: %10px;padding-bottom: %11px;}");
const QString kDropDownTemplate = QStringLiteral(
    "QComboBox::drop-down{border:none;right: %1px;subcontrol-origin: padding;"
    "subcontrol-position: center right;}");
const QString kArrowTemplate = QStringLiteral(
    "QComboBox::down-arrow {border-image: url(%1);width: %3px;height: %4px;}"
    "QComboBox::down-arrow:on{border-image: url(%2);width: %3px;height: %4px;}");
const QString kListTemplate = QStringLiteral(
    "QComboBox QAbstractItemView {background-color: %1;font-family: %2;font-size: %3;"
    "border: %4px solid %5;border-radius: %6px;padding: %7px;outline:0px;}");
const QString kItemTemplate = QStringLiteral(
    "QComboBox QAbstractItemView::item {height: %1px;border-radius: %2px;color: %3;"
    "background-color: %4;padding-left: %5;}");
const QString kHoverTemplate = QStringLiteral(
    "QComboBox QAbstractItemView::item:hover {background-color: %24;color: %25;}"
    "QComboBox QAbstractItemView::item:selected {background-color: %26;color: %27;}");
const QString kScrollTemplate = QStringLiteral(
    "QComboBox QAbstractScrollArea QScrollBar:vertical {width:%1px;background-color:%2;"
    "border:0px;padding: %1px 0px %1px 0px;border-radius:%3px;}"
    "QComboBox QScrollBar::handle::vertical{border-radius:%3px;width:%1px;background-color:%4;}"
    "QComboBox QScrollBar::handle::vertical::hover{background-color:%5;}"
    "QScrollBar::sub-line:vertical{subcontrol-position:top;subcontrol-origin:margin;"
    "background-color:%2;border:1px solid %2;height:%1px;border-radius:%3px;}"
    "QScrollBar::add-line:vertical{subcontrol-position:bottom;subcontrol-origin:margin;"
    "background-color:%2;border:1px solid %2;height:%1px;border-radius:%3px;}"
    "QScrollBar::up-arrow:vertical{border-image:url(%6);width:%1px;height:%1px;}"
    "QScrollBar::down-arrow:vertical{border-image:url(%7);width:%1px;height:%1px;}"
    "QScrollBar::sub-page:vertical,QScrollBar::add-page:vertical{background-color:%2;}");

constexpr int kDefaultFontSize = 20;
constexpr int kDefaultMaxVisible = 4;
constexpr int kDefaultBorderWidth = 4;
constexpr int kDefaultBorderRadius = 10;
constexpr int kDefaultDropDownRight = 12;
constexpr int kDefaultArrowSize = 30;
constexpr int kDefaultListRadius = 4;
constexpr int kDefaultItemHeight = 36;
constexpr int kDefaultScrollWidth = 20;
constexpr int kDefaultScrollRadius = 10;

const QColor kBlack(QStringLiteral("#000000"));

// Byte members are filled in as numbers, not as characters.
int num(quint8 nValue)
{
    return nValue;
}

void storeIfValid(QColor &target, const QColor &color)
{
    if (color.isValid())
        target = color;
}
} // namespace

CComboBox::CComboBox(QWidget *parent)
    : QComboBox(parent)
    , m_nPopupOffset(0)
    , m_strFontFamily(CFontFamily::getInstance()->family())
    , m_nFontSize(kDefaultFontSize)
    , m_nMaxVisible(kDefaultMaxVisible)
    , m_backgroundColor(QStringLiteral("#FFFFFF"))
    , m_textColor(kBlack)
    , m_nBorderWidth(kDefaultBorderWidth)
    , m_borderColor(kBlack)
    , m_nBorderRadius(kDefaultBorderRadius)
    , m_nPaddingLeft(0)
    , m_nPaddingTop(0)
    , m_nPaddingRight(0)
    , m_nPaddingBottom(0)
    , m_nDropDownRight(kDefaultDropDownRight)
    , m_nArrowWidth(kDefaultArrowSize)
    , m_nArrowHeight(kDefaultArrowSize)
    , m_listBackground(QStringLiteral("#CBD8EA"))
    , m_nListBorderWidth(1)
    , m_listBorderColor(kBlack)
    , m_nListRadius(kDefaultListRadius)
    , m_nListPadding(0)
    , m_nItemHeight(kDefaultItemHeight)
    , m_nItemPaddingLeft(0)
    , m_itemTextColor(kBlack)
    , m_itemHoverTextColor(QStringLiteral("#ffffff"))
    , m_itemBackground(QStringLiteral("#A8BEDC"))
    , m_itemHoverBackground(QStringLiteral("#409CE1"))
    , m_scrollBackground(QStringLiteral("#0B3675"))
    , m_scrollHandleColor(QStringLiteral("#3B67A8"))
    , m_scrollHandleHoverColor(QStringLiteral("#3B67B8"))
    , m_nScrollWidth(kDefaultScrollWidth)
    , m_nScrollRadius(kDefaultScrollRadius)
{
}

void CComboBox::setPopupOffset(int nOffset)
{
    m_nPopupOffset = static_cast<quint8>(nOffset);
    applyStyle();
}

void CComboBox::setMaxVisible(int nCount)
{
    m_nMaxVisible = static_cast<quint16>(nCount);
    if (m_nMaxVisible != 0)
        setMaxVisibleItems(m_nMaxVisible);
    applyStyle();
}

void CComboBox::setFontSize(int nSize)
{
    m_nFontSize = static_cast<quint8>(nSize);
    applyStyle();
}

void CComboBox::setColors(const QColor &background, const QColor &text)
{
    storeIfValid(m_backgroundColor, background);
    storeIfValid(m_textColor, text);
    applyStyle();
}

void CComboBox::setBorder(int nWidth, const QColor &color)
{
    m_nBorderWidth = static_cast<quint8>(nWidth);
    storeIfValid(m_borderColor, color);
    applyStyle();
}

void CComboBox::setRadius(int nRadius)
{
    m_nBorderRadius = static_cast<quint8>(nRadius);
    applyStyle();
}

void CComboBox::setPadding(int nLeft, int nTop, int nRight, int nBottom)
{
    m_nPaddingLeft = static_cast<quint8>(nLeft);
    m_nPaddingTop = static_cast<quint8>(nTop);
    m_nPaddingRight = static_cast<quint8>(nRight);
    m_nPaddingBottom = static_cast<quint8>(nBottom);
    applyStyle();
}

void CComboBox::setArrowGeometry(int nRightOffset, int nWidth, int nHeight)
{
    m_nDropDownRight = static_cast<quint8>(nRightOffset);
    m_nArrowWidth = static_cast<quint8>(nWidth);
    m_nArrowHeight = static_cast<quint8>(nHeight);
    applyStyle();
}

void CComboBox::setArrowImages(const QString &strOpenImage, const QString &strClosedImage)
{
    m_strOpenArrowImage = strOpenImage;
    m_strArrowImage = strClosedImage;
    applyStyle();
}

void CComboBox::setListBackground(const QColor &color)
{
    m_listBackground = color;
    applyStyle();
}

void CComboBox::setListBorder(int nWidth, const QColor &color)
{
    m_nListBorderWidth = static_cast<quint8>(nWidth);
    m_listBorderColor = color;
    applyStyle();
}

void CComboBox::setListRadius(int nRadius)
{
    m_nListRadius = static_cast<quint8>(nRadius);
    applyStyle();
}

void CComboBox::setListPadding(int nPadding)
{
    m_nListPadding = static_cast<quint8>(nPadding);
    applyStyle();
}

void CComboBox::setItemBackgrounds(const QColor &normal, const QColor &hover)
{
    storeIfValid(m_itemBackground, normal);
    storeIfValid(m_itemHoverBackground, hover);
    applyStyle();
}

void CComboBox::setItemTextColors(const QColor &normal, const QColor &hover)
{
    storeIfValid(m_itemTextColor, normal);
    storeIfValid(m_itemHoverTextColor, hover);
    applyStyle();
}

void CComboBox::setItemHeight(int nHeight)
{
    m_nItemHeight = static_cast<quint8>(nHeight);
    applyStyle();
}

void CComboBox::setItemPadding(int nPadding)
{
    m_nItemPaddingLeft = static_cast<quint8>(nPadding);
    applyStyle();
}

void CComboBox::setScrollColors(const QColor &background, const QColor &handle,
                                const QColor &handleHover)
{
    storeIfValid(m_scrollBackground, background);
    storeIfValid(m_scrollHandleColor, handle);
    storeIfValid(m_scrollHandleHoverColor, handleHover);
    applyStyle();
}

void CComboBox::setScrollWidth(int nWidth)
{
    m_nScrollWidth = static_cast<quint8>(nWidth);
    applyStyle();
}

void CComboBox::setScrollRadius(int nRadius)
{
    m_nScrollRadius = static_cast<quint8>(nRadius);
    applyStyle();
}

void CComboBox::showPopup()
{
    QComboBox::showPopup();
    QFrame *pContainer = findChild<QFrame *>();
    if (pContainer)
        pContainer->move(pContainer->x(), pContainer->y() + m_nPopupOffset);
}

// The list window gets no frame, no shadow and a translucent background, so only the
// list's own rounded, styled area shows. Styles that draw the list as a menu ignore the item
// rules of the sheet; a styled delegate makes the list follow them.
void CComboBox::applyStyle()
{
    setStyleSheet(boxSheet() + dropDownSheet() + arrowSheet() + listSheet() + itemSheet()
                  + hoverSheet() + scrollSheet());
    if (!qobject_cast<QStyledItemDelegate *>(itemDelegate()))
        setItemDelegate(new QStyledItemDelegate(this));
    QWidget *pListWindow = view()->window();
    pListWindow->setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    pListWindow->setAttribute(Qt::WA_TranslucentBackground);
    update();
}

QString CComboBox::boxSheet() const
{
    return kBoxTemplate.arg(m_textColor.name())
        .arg(m_backgroundColor.name())
        .arg(m_strFontFamily)
        .arg(num(m_nFontSize))
        .arg(num(m_nBorderWidth))
        .arg(m_borderColor.name())
        .arg(num(m_nBorderRadius))
        .arg(num(m_nPaddingLeft))
        .arg(num(m_nPaddingRight))
        .arg(num(m_nPaddingTop))
        .arg(num(m_nPaddingBottom));
}

QString CComboBox::dropDownSheet() const
{
    if (m_strArrowImage.isEmpty())
        return QString();
    return kDropDownTemplate.arg(num(m_nDropDownRight));
}

QString CComboBox::arrowSheet() const
{
    if (m_strArrowImage.isEmpty())
        return QString();
    return kArrowTemplate.arg(m_strArrowImage)
        .arg(m_strOpenArrowImage)
        .arg(num(m_nArrowWidth))
        .arg(num(m_nArrowHeight));
}

QString CComboBox::listSheet() const
{
    return kListTemplate.arg(m_listBackground.name())
        .arg(m_strFontFamily)
        .arg(num(m_nFontSize))
        .arg(num(m_nListBorderWidth))
        .arg(m_listBorderColor.name())
        .arg(num(m_nListRadius))
        .arg(num(m_nListPadding));
}

QString CComboBox::itemSheet() const
{
    return kItemTemplate.arg(num(m_nItemHeight))
        .arg(num(m_nListRadius))
        .arg(m_itemTextColor.name())
        .arg(m_itemBackground.name())
        .arg(num(m_nItemPaddingLeft));
}

QString CComboBox::hoverSheet() const
{
    return kHoverTemplate.arg(m_itemHoverBackground.name())
        .arg(m_itemHoverTextColor.name())
        .arg(m_itemHoverBackground.name())
        .arg(m_itemHoverTextColor.name());
}

// The radius is held to half the width so the bar's ends stay round.
QString CComboBox::scrollSheet() const
{
    const int nRadius = m_nScrollWidth < 2 * m_nScrollRadius ? m_nScrollWidth / 2 : m_nScrollRadius;
    return kScrollTemplate.arg(num(m_nScrollWidth))
        .arg(m_scrollBackground.name())
        .arg(nRadius)
        .arg(m_scrollHandleColor.name())
        .arg(m_scrollHandleHoverColor.name())
        .arg(m_strOpenArrowImage)
        .arg(m_strArrowImage);
}
