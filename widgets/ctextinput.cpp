#include "widgets/ctextinput.h"

#include "widgets/cfontfamily.h"
#include "widgets/screenscale.h"

#include <QPainter>
#include <QPalette>
#include <QPixmap>

namespace {
enum ColorEntry { kBorderEntry = 0, kFillEntry = 2, kTextEntry = 4 };

const CTextInput::ColorSet kDefaultColors = {
    QColor(Qt::transparent), QColor(Qt::transparent), QColor(QStringLiteral("#ECF0F3")),
    QColor(QStringLiteral("#ECF0F3")), QColor(QStringLiteral("#000000")),
    QColor(QStringLiteral("#837f82"))};

constexpr int kDefaultFontSize = 24;
constexpr int kDefaultRadius = 4;
constexpr double kDefaultBorderWidthFactor = 3.0;
constexpr int kFontWeight = 50;
constexpr int kSidePadding = 18;
constexpr int kRightTextMargin = 30;
const QString kSheetTemplate =
    QStringLiteral("QWidget{background:transparent; padding:0px %1px 1px %2px; border:none}");

bool isTransparent(const QColor &color)
{
    return color.alpha() == 0;
}
} // namespace

CTextInput::CTextInput(QWidget *parent)
    : QLineEdit(parent)
    , m_nScale(primaryScreenScale())
    , m_colors(kDefaultColors)
    , m_nFontSize(kDefaultFontSize)
    , m_nRadius(kDefaultRadius)
    , m_dBorderWidthFactor(kDefaultBorderWidthFactor)
    , m_strFontFamily(CFontFamily::getInstance()->family())
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MouseTracking);
    setContextMenuPolicy(Qt::NoContextMenu);
    const int nPadding = kSidePadding * m_nScale;
    setStyleSheet(kSheetTemplate.arg(nPadding).arg(nPadding));
    applyFont();
    setTextMargins(0, 0, kRightTextMargin, 0);
    refreshState();
    setAttribute(Qt::WA_InputMethodEnabled);
}

void CTextInput::setColors(const QColor &borderEnabled, const QColor &borderDisabled,
                           const QColor &fillEnabled, const QColor &fillDisabled,
                           const QColor &textEnabled, const QColor &textDisabled)
{
    m_colors = {borderEnabled, borderDisabled, fillEnabled,
                fillDisabled, textEnabled, textDisabled};
    refreshState();
}

void CTextInput::setEnabledState(bool bEnabled)
{
    setEnabled(bEnabled);
    refreshState();
}

void CTextInput::setRadius(int nRadius)
{
    m_nRadius = nRadius;
    update();
}

void CTextInput::setBorderWidthFactor(double dFactor)
{
    m_dBorderWidthFactor = dFactor;
    update();
}

void CTextInput::setFontSize(int nSize)
{
    m_nFontSize = nSize;
    applyFont();
    update();
}

void CTextInput::applyFont()
{
    QFont font(m_strFontFamily);
    font.setPixelSize(m_nFontSize * m_nScale);
    font.setWeight(kFontWeight);
    setFont(font);
}

void CTextInput::refreshState()
{
    m_nStateIndex = isEnabled() ? 0 : 1;
    m_curBorderColor = m_colors[kBorderEntry + m_nStateIndex];
    m_curFillColor = m_colors[kFillEntry + m_nStateIndex];
    m_curTextColor = m_colors[kTextEntry + m_nStateIndex];
    QPalette pal = palette();
    pal.setColor(QPalette::All, QPalette::Text, m_curTextColor);
    setPalette(pal);
    update();
}

void CTextInput::paintEvent(QPaintEvent *event)
{
    QPixmap canvas(size());
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isTransparent(m_curFillColor))
        paintBackground(painter);
    if (!isTransparent(m_curBorderColor))
        paintBorder(painter);
    painter.end();
    QPainter(this).drawPixmap(0, 0, canvas);

    QLineEdit::paintEvent(event);
}

void CTextInput::paintBackground(QPainter &painter) const
{
    const int nRadius = m_nRadius * m_nScale;
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_curFillColor);
    painter.drawRoundedRect(rect(), nRadius, nRadius, Qt::AbsoluteSize);
}

void CTextInput::paintBorder(QPainter &painter) const
{
    const int nBorder = static_cast<int>(m_nScale * m_dBorderWidthFactor);
    const int nRadius = m_nRadius * m_nScale - nBorder / 2;
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(m_curBorderColor, nBorder, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    const QRect inset(nBorder / 2, nBorder / 2, width() - nBorder, height() - nBorder);
    painter.drawRoundedRect(inset, nRadius, nRadius, Qt::AbsoluteSize);
}
