#include "widgets/cwidget.h"

#include "widgets/screenscale.h"

#include <array>

namespace {
const QLatin1String kGradientSheet(
    "QWidget%1 {background-color: qlineargradient(%2);background-clip: content;"
    "border: %3px solid %4;padding: %5px;border-top-left-radius: %6px;"
    "border-top-right-radius: %7px;border-bottom-left-radius: %8px;"
    "border-bottom-right-radius: %9px;background-image: url(%10);}");
const QLatin1String kFlatSheet(
    "QWidget%1 {background-color: %2; border: %3px solid %4; background-clip: content;"
    "padding: %5px;border-top-left-radius: %6px;border-top-right-radius: %7px;"
    "border-bottom-left-radius: %8px;border-bottom-right-radius: %9px;"
    "background-image: url(%10);}");
const QLatin1String kGradientText("spread:pad, x1:%1, y1:%2, x2:%3, y2:%4, stop:0 %5, stop:1 %6");

// Gradient coordinates (x1, y1, x2, y2) per direction; unknown directions get all zeros.
using GradientLine = std::array<int, 4>;
constexpr std::array<GradientLine, 4> kDirections = {{
    {{0, 0, 0, 1}},
    {{0, 1, 0, 0}},
    {{0, 0, 1, 0}},
    {{1, 0, 0, 0}},
}};
constexpr GradientLine kNoDirection = {{0, 0, 0, 0}};

GradientLine gradientLine(int nDirection)
{
    if (nDirection < 0 || nDirection >= int(kDirections.size()))
        return kNoDirection;
    return kDirections[nDirection];
}

QString colorText(const QColor &color)
{
    return color.name(QColor::HexArgb);
}

int wrapIndex(int nValue, int nCount)
{
    return ((nValue % nCount) + nCount) % nCount;
}
} // namespace

CWidget::CWidget(QWidget *parent)
    : QWidget(parent)
    , m_nBorder(0)
    , m_nPadding(0)
    , m_borderColor(Qt::black)
    , m_nTopLeftRadius(0)
    , m_nTopRightRadius(0)
    , m_nBottomLeftRadius(0)
    , m_nBottomRightRadius(0)
    , m_bGradientOn(false)
    , m_backgroundColor(Qt::transparent)
    , m_gradientEndColor(Qt::transparent)
    , m_nGradientDirection(0)
    , m_nScale(primaryScreenScale())
    , m_nImageCount(0)
    , m_nImageIndex(0)
{
    setMinimumSize(0, 0);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_StyledBackground);
    setAttribute(Qt::WA_MouseTracking);
}

void CWidget::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    refreshStyleSheet();
}

void CWidget::setGradientEndColor(const QColor &color)
{
    m_bGradientOn = true;
    m_gradientEndColor = color;
    refreshStyleSheet();
}

void CWidget::setGradientOn(bool bOn)
{
    m_backgroundColor = Qt::transparent;
    m_bGradientOn = bOn;
    refreshStyleSheet();
}

void CWidget::setBorder(const QColor &color, int nWidth)
{
    m_borderColor = color;
    m_nBorder = nWidth * m_nScale;
    refreshStyleSheet();
}

void CWidget::clearBorder()
{
    m_borderColor = Qt::transparent;
    m_nBorder = 0;
    refreshStyleSheet();
}

void CWidget::setPadding(int nPadding)
{
    m_nPadding = nPadding * m_nScale;
    refreshStyleSheet();
}

void CWidget::setRadii(int nTopLeft, int nTopRight, int nBottomLeft, int nBottomRight)
{
    m_nTopLeftRadius = nTopLeft * m_nScale;
    m_nTopRightRadius = nTopRight * m_nScale;
    m_nBottomLeftRadius = nBottomLeft * m_nScale;
    m_nBottomRightRadius = nBottomRight * m_nScale;
    refreshStyleSheet();
}

void CWidget::setRadius(int nRadius)
{
    setRadii(nRadius, nRadius, nRadius, nRadius);
}

void CWidget::setGradientDirection(int nDirection)
{
    m_nGradientDirection = nDirection;
    refreshStyleSheet();
}

void CWidget::setImages(const QStringList &listImages)
{
    m_listImages = listImages;
    m_nImageCount = listImages.size();
    refreshStyleSheet();
}

void CWidget::setImageIndex(int nIndex)
{
    if (m_nImageCount > 0)
        m_nImageIndex = wrapIndex(nIndex, m_nImageCount);
    refreshStyleSheet();
}

QString CWidget::selectorSuffix() const
{
    const QString strName = objectName();
    return strName.isEmpty() ? QString() : QLatin1Char('#') + strName;
}

// The index may point past a list replaced by a shorter one; that gives no image.
QString CWidget::currentImage() const
{
    return m_listImages.value(m_nImageIndex);
}

QString CWidget::gradientText() const
{
    const GradientLine line = gradientLine(m_nGradientDirection);
    return QString(kGradientText)
        .arg(line[0])
        .arg(line[1])
        .arg(line[2])
        .arg(line[3])
        .arg(colorText(m_backgroundColor))
        .arg(colorText(m_gradientEndColor));
}

// Placeholders are filled one at a time, lowest number first.
QString CWidget::buildStyleSheet() const
{
    const QString strHead = m_bGradientOn
        ? QString(kGradientSheet).arg(selectorSuffix()).arg(gradientText())
        : QString(kFlatSheet).arg(selectorSuffix()).arg(colorText(m_backgroundColor));
    return strHead.arg(m_nBorder)
        .arg(colorText(m_borderColor))
        .arg(m_nPadding)
        .arg(m_nTopLeftRadius)
        .arg(m_nTopRightRadius)
        .arg(m_nBottomLeftRadius)
        .arg(m_nBottomRightRadius)
        .arg(currentImage());
}

void CWidget::refreshStyleSheet()
{
    const QString strSheet = buildStyleSheet();
    if (strSheet == m_strLastSheet)
        return;
    m_strLastSheet = strSheet;
    setStyleSheet(strSheet);
}
