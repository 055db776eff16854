#include "widgets/ctextbutton.h"

#include "widgets/screenscale.h"

#include <QEvent>
#include <QLinearGradient>
#include <QPainter>
#include <QPixmap>

namespace {
enum ColorEntry { kBorderEntry = 0, kFillEntry = 2, kTextEntry = 4 };

const CTextButton::ColorSet kDefaultColors = {
    QColor(Qt::transparent), QColor(Qt::transparent), QColor(Qt::transparent),
    QColor(Qt::transparent), QColor(QStringLiteral("#000000")), QColor(QStringLiteral("#000000"))};

constexpr int kDefaultFontSize = 14;
constexpr int kNormalWeight = 50;
constexpr int kDefaultHPadding = 14;
constexpr int kDefaultMaxWidth = 120;
const QString kEllipsis = QStringLiteral("...");

// Corner order of the quarter pieces: top-left, top-right, bottom-left, bottom-right.
constexpr int kCornerCount = 4;

bool isTransparent(const QColor &color)
{
    return color.alpha() == 0;
}

void setSmoothHints(QPainter &painter)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing
                           | QPainter::SmoothPixmapTransform);
}

// Composes a face from four quarters of `face`, each cut from its own canvas-sized scratch
// pixmap on which drawCorner(painter, k) has drawn the shape rounded for corner k.
template <typename DrawCorner>
void drawQuarters(QPainter &target, const QSize &canvas, const QRect &face, DrawCorner drawCorner)
{
    const QSize quarter(face.width() / 2, face.height() / 2);
    const std::array<QPoint, kCornerCount> offsets = {
        QPoint(0, 0), QPoint(quarter.width(), 0), QPoint(0, quarter.height()),
        QPoint(quarter.width(), quarter.height())};
    for (int k = 0; k < kCornerCount; ++k) {
        QPixmap scratch(canvas);
        scratch.fill(Qt::transparent);
        QPainter painter(&scratch);
        setSmoothHints(painter);
        drawCorner(painter, k);
        painter.end();
        const QRect piece(face.topLeft() + offsets[k], quarter);
        target.drawPixmap(piece.topLeft(), scratch, piece);
    }
}
} // namespace

CTextButton::CTextButton(QWidget *parent)
    : QPushButton(parent)
    , m_nFontSize(kDefaultFontSize)
    , m_nFontWeight(kNormalWeight)
    , m_strFontFamily(QStringLiteral("Arial"))
    , m_nTextAlignment(Qt::AlignCenter)
    , m_colors(kDefaultColors)
    , m_gradientColors(kDefaultColors)
    , m_nHPadding(kDefaultHPadding)
    , m_stateWeights({kNormalWeight, kNormalWeight})
    , m_nMaxWidth(kDefaultMaxWidth)
    , m_nScale(primaryScreenScale())
{
    setFocusPolicy(Qt::StrongFocus);
    // A button created inside a disabled parent gets no EnabledChange, so pick the state now.
    refreshState();
}

CTextButton::CTextButton(const QString &strText, QWidget *parent)
    : CTextButton(parent)
{
    if (!strText.isEmpty())
        setText(strText);
}

void CTextButton::setFontSize(int nSize)
{
    m_nFontSize = nSize;
    update();
}

void CTextButton::setFontWeight(int nWeight)
{
    m_nFontWeight = nWeight;
    update();
}

void CTextButton::setFontFamily(const QString &strFamily)
{
    m_strFontFamily = strFamily;
    update();
}

void CTextButton::setAutoWidth(bool bAutoWidth)
{
    m_bAutoWidth = bAutoWidth;
    update();
}

void CTextButton::setMaxWidth(int nWidth)
{
    m_nMaxWidth = nWidth * m_nScale;
    update();
}

void CTextButton::setHPadding(int nPadding)
{
    m_nHPadding = nPadding * m_nScale;
    update();
}

void CTextButton::setRadius(int nRadius)
{
    setRadii(nRadius, nRadius, nRadius, nRadius);
}

void CTextButton::setRadii(int nTopLeft, int nTopRight, int nBottomRight, int nBottomLeft)
{
    m_nTopLeftRadius = nTopLeft * m_nScale;
    m_nTopRightRadius = nTopRight * m_nScale;
    m_nBottomRightRadius = nBottomRight * m_nScale;
    m_nBottomLeftRadius = nBottomLeft * m_nScale;
    update();
}

void CTextButton::setBorderWidth(int nWidth)
{
    m_nBorderWidth = nWidth * m_nScale;
    update();
}

void CTextButton::setMargin(int nMargin)
{
    m_nMargin = nMargin * m_nScale;
    update();
}

void CTextButton::setTextAlignment(int nAlignment)
{
    m_nTextAlignment = nAlignment;
    update();
}

void CTextButton::setColors(const QColor &borderEnabled, const QColor &borderDisabled,
                            const QColor &fillEnabled, const QColor &fillDisabled,
                            const QColor &textEnabled, const QColor &textDisabled)
{
    m_colors = {borderEnabled, borderDisabled, fillEnabled,
                fillDisabled, textEnabled, textDisabled};
    refreshState();
}

void CTextButton::setGradientColors(const QColor &borderEnabled, const QColor &borderDisabled,
                                    const QColor &fillEnabled, const QColor &fillDisabled,
                                    const QColor &textEnabled, const QColor &textDisabled)
{
    m_gradientColors = {borderEnabled, borderDisabled, fillEnabled, fillDisabled, textEnabled,
                        textDisabled};
    m_bGradientOn = true;
    refreshState();
}

void CTextButton::setGradientOn(bool bOn)
{
    m_bGradientOn = bOn;
    refreshState();
}

void CTextButton::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange)
        refreshState();
    QPushButton::changeEvent(event);
}

void CTextButton::refreshState()
{
    m_nStateIndex = isEnabled() ? 0 : 1;
    m_curBorderColor = m_colors[kBorderEntry + m_nStateIndex];
    m_curFillColor = m_colors[kFillEntry + m_nStateIndex];
    m_curTextColor = m_colors[kTextEntry + m_nStateIndex];
    m_nFontWeight = m_stateWeights[m_nStateIndex];
    if (m_bGradientOn)
        m_curGradientEndColor = m_gradientColors[kFillEntry + m_nStateIndex];
    update();
}

void CTextButton::paintEvent(QPaintEvent *)
{
    QPixmap canvas(size());
    canvas.fill(Qt::transparent);
    QPainter painter(&canvas);
    setSmoothHints(painter);
    painter.setFont(paintFont());

    const QString strText = m_bAutoWidth ? fitToWidth(painter) : text();
    if (!isTransparent(m_curFillColor))
        paintFill(painter);
    if (!isTransparent(m_curBorderColor) && m_nBorderWidth > 0)
        paintBorder(painter);
    paintText(painter, strText);
    painter.end();

    QPainter(this).drawPixmap(0, 0, canvas);
}

QFont CTextButton::paintFont() const
{
    QFont font(m_strFontFamily);
    font.setPixelSize(m_nFontSize * m_nScale);
    font.setWeight(m_nFontWeight);
    return font;
}

int CTextButton::measureTextWidth(QPainter &painter, const QString &strText) const
{
    return painter.boundingRect(rect(), m_nTextAlignment, strText).width();
}

// Fixes the width to the text plus padding; a text wider than the maximum is cut to the
// shortest "first n characters + ..." that reaches the maximum width.
QString CTextButton::fitToWidth(QPainter &painter)
{
    QString strText = text();
    const int nTextWidth = measureTextWidth(painter, strText);
    if (nTextWidth <= m_nMaxWidth) {
        setFixedWidth(nTextWidth + 2 * m_nHPadding);
        return strText;
    }
    for (int n = 1; n <= strText.size(); ++n) {
        const QString strCandidate = strText.left(n) + kEllipsis;
        if (measureTextWidth(painter, strCandidate) >= m_nMaxWidth) {
            strText = strCandidate;
            break;
        }
    }
    setFixedWidth(m_nMaxWidth + 2 * m_nHPadding);
    return strText;
}

std::array<int, 4> CTextButton::cornerRadii() const
{
    return {m_nTopLeftRadius, m_nTopRightRadius, m_nBottomLeftRadius, m_nBottomRightRadius};
}

QBrush CTextButton::fillBrush() const
{
    if (!m_bGradientOn)
        return m_curFillColor;
    const int nMiddle = height() / 2;
    QLinearGradient gradient(m_nMargin, nMiddle, width(), nMiddle);
    gradient.setColorAt(0, m_curFillColor);
    gradient.setColorAt(1, m_curGradientEndColor);
    return gradient;
}

void CTextButton::paintFill(QPainter &painter) const
{
    const QRect face(m_nMargin, m_nMargin, width() - 2 * m_nMargin, height() - 2 * m_nMargin);
    const QBrush brush = fillBrush();
    const std::array<int, 4> radii = cornerRadii();
    drawQuarters(painter, size(), face, [&](QPainter &corner, int k) {
        const int nRadius = radii[k] - m_nMargin;
        corner.setPen(Qt::NoPen);
        corner.setBrush(brush);
        corner.drawRoundedRect(face, nRadius, nRadius, Qt::AbsoluteSize);
    });
}

void CTextButton::paintBorder(QPainter &painter) const
{
    const int nBorder = m_nBorderWidth;
    const QPen pen(m_curBorderColor, nBorder, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);
    const std::array<int, 4> radii = cornerRadii();
    drawQuarters(painter, size(), rect(), [&](QPainter &corner, int k) {
        const int nRadius = radii[k] > 0 ? radii[k] : 1;
        corner.setPen(pen);
        corner.setBrush(Qt::NoBrush);
        if (nRadius == 1)
            corner.drawRect(QRectF(0.5, 0.5, width() - 1, height() - 1));
        else
            corner.drawRoundedRect(QRectF(nBorder / 2.0, nBorder / 2.0, width() - nBorder,
                                          height() - nBorder),
                                   nRadius - 1, nRadius - 1, Qt::AbsoluteSize);
    });
}

void CTextButton::paintText(QPainter &painter, const QString &strText) const
{
    painter.setPen(m_curTextColor);
    painter.drawText(QRect(0, -1, width(), height()), m_nTextAlignment, strText);
}
