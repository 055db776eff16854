#include "widgets/ctext.h"

#include "widgets/cfontfamily.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextOption>

#include <algorithm>

namespace {
constexpr int kDefaultFontSize = 16;
constexpr int kDefaultFontWeight = QFont::Normal;
constexpr int kDefaultAlignment = Qt::AlignLeft | Qt::AlignVCenter;
const char kDefaultColor[] = "#000000";
const QLatin1String kEllipsis("...");

const QString &defaultText()
{
    static const QString s_strDefault = QStringLiteral("Default String");
    return s_strDefault;
}

// A zero divisor (empty glyphs, a zero-height font) counts as 1.
int atLeastOne(int nValue)
{
    return std::max(nValue, 1);
}
} // namespace

CText::CText(QWidget *parent)
    : QWidget(parent)
    , m_strText(defaultText())
    , m_nFontSize(kDefaultFontSize)
    , m_textColor(QLatin1String(kDefaultColor))
    , m_nFontWeight(kDefaultFontWeight)
    , m_strFontFamily(CFontFamily::getInstance()->family())
    , m_nAlignment(kDefaultAlignment)
    , m_nWrapWidth(0)
    , m_bEllipsis(false)
    , m_textRect(QPoint(0, 0), size())
{
    setFocusPolicy(Qt::NoFocus);
}

void CText::setText(const QString &strText)
{
    m_strText = strText;
    update();
}

void CText::setFontSize(int nSize)
{
    m_nFontSize = nSize;
    update();
}

void CText::setFontWeight(int nWeight)
{
    m_nFontWeight = nWeight;
    update();
}

void CText::setFontFamily(const QString &strFamily)
{
    m_strFontFamily = strFamily;
    update();
}

void CText::setColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void CText::setAlignment(int nAlignment)
{
    m_nAlignment = nAlignment;
    update();
}

void CText::setWrapWidth(int nWidth)
{
    m_nWrapWidth = nWidth;
    update();
}

void CText::setEllipsis(bool bEllipsis)
{
    m_bEllipsis = bEllipsis;
    update();
}

void CText::setTextWidth(int nWidth)
{
    if (nWidth <= width())
        m_textRect.setWidth(nWidth);
    update();
}

void CText::setTextHeight(int nHeight)
{
    if (nHeight <= height())
        m_textRect.setHeight(nHeight);
    update();
}

void CText::setTextSize(const QSize &size)
{
    setTextWidth(size.width());
    setTextHeight(size.height());
}

QString CText::text() const
{
    return m_strText;
}

QFont CText::font() const
{
    return m_font;
}

void CText::paintEvent(QPaintEvent *event)
{
    applyFont();
    const QFontMetricsF metrics(m_font);
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.setFont(m_font);
    painter.setPen(m_textColor);

    QString strLaidOut = layoutText(metrics);
    if (m_bEllipsis)
        strLaidOut = withEllipsis(strLaidOut);
    painter.drawText(QRectF(m_textRect), strLaidOut, QTextOption(Qt::Alignment(m_nAlignment)));
    painter.end();

    QWidget::paintEvent(event);
}

void CText::applyFont()
{
    m_font.setPixelSize(m_nFontSize);
    m_font.setFamily(m_strFontFamily);
    m_font.setWeight(m_nFontWeight);
}

int CText::lineWidth() const
{
    if (m_nWrapWidth <= 0 || m_nWrapWidth > m_textRect.width())
        return m_textRect.width();
    return m_nWrapWidth;
}

// Cuts the text every K characters, K being the line width over the average character
// width, into at most as many lines as fit the rectangle; one line without a wrap width.
QString CText::layoutText(const QFontMetricsF &metrics) const
{
    const int nLength = m_strText.length();
    if (nLength == 0)
        return QString();
    const int nAverage = atLeastOne(int(metrics.horizontalAdvance(m_strText) / nLength));
    const int nPerLine = std::max(lineWidth() / nAverage, 0);
    const int nLineHeight = atLeastOne(int(metrics.height()));
    const int nMaxLines = atLeastOne(m_textRect.height() / nLineHeight);

    QString strResult;
    for (int nLine = 1, nPos = 0; nPos < nLength; ++nLine, nPos += nPerLine) {
        strResult += m_strText.mid(nPos, nPerLine);
        if (nLine == nMaxLines || m_nWrapWidth <= 0)
            break;
        strResult += QLatin1Char('\n');
        if (nPos + nPerLine >= nLength)
            break;
    }
    return strResult;
}

QString CText::withEllipsis(QString strLaidOut) const
{
    strLaidOut.chop(1);
    return strLaidOut + kEllipsis;
}
