#include "widgets/toggleswitch.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>

namespace {
constexpr int kHandleInset = 1;
constexpr int kMinimumWidth = 30;
constexpr int kMinimumHeight = 15;
constexpr int kHintWidth = 40;
constexpr int kHintHeight = 20;
constexpr int kSlideMs = 150;
constexpr int kOutlineAlpha = 20;
} // namespace

ToggleSwitch::ToggleSwitch(QWidget *parent)
    : QWidget(parent)
    , m_nHandleX(kHandleInset)
    , m_onColor(0x21, 0x96, 0xF3)
    , m_offColor(0xCC, 0xCC, 0xCC)
    , m_handleColor(Qt::white)
    , m_pAnimation(new QPropertyAnimation(this, "handleX", this))
{
    setCursor(Qt::PointingHandCursor);
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    m_pAnimation->setDuration(kSlideMs);
    m_pAnimation->setEasingCurve(QEasingCurve::InOutCubic);
}

bool ToggleSwitch::isChecked() const
{
    return m_bChecked;
}

void ToggleSwitch::setChecked(bool bOn)
{
    if (bOn == m_bChecked)
        return;
    m_bChecked = bOn;
    m_pAnimation->stop();
    m_pAnimation->setStartValue(m_nHandleX);
    m_pAnimation->setEndValue(handleEndX(bOn));
    m_pAnimation->start();
    emit checkedChanged(bOn);
    emit toggled(bOn);
}

int ToggleSwitch::handleX() const
{
    return m_nHandleX;
}

void ToggleSwitch::setHandleX(int nX)
{
    m_nHandleX = nX;
    update();
}

void ToggleSwitch::setSwitchSize(int nWidth, int nHeight)
{
    const QSize fixed(qMax(nWidth, minimumWidth()), qMax(nHeight, minimumHeight()));
    setMaximumSize(fixed);
    setMinimumSize(fixed);
    update();
}

void ToggleSwitch::setOnColor(const QColor &color)
{
    m_onColor = color;
    update();
}

void ToggleSwitch::setOffColor(const QColor &color)
{
    m_offColor = color;
    update();
}

void ToggleSwitch::setHandleColor(const QColor &color)
{
    m_handleColor = color;
    update();
}

QSize ToggleSwitch::sizeHint() const
{
    return QSize(kHintWidth, kHintHeight);
}

void ToggleSwitch::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        setChecked(!m_bChecked);
    QWidget::mouseReleaseEvent(event);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintTrack(painter);
    paintHandle(painter);
}

int ToggleSwitch::handleEndX(bool bOn) const
{
    return bOn ? width() - height() + kHandleInset : kHandleInset;
}

QRect ToggleSwitch::handleRect() const
{
    const int nDiameter = height() - 2 * kHandleInset;
    return QRect(m_nHandleX, kHandleInset, nDiameter, nDiameter);
}

void ToggleSwitch::paintTrack(QPainter &painter) const
{
    const int nRadius = height() / 2;
    QPainterPath track;
    track.addRoundedRect(rect(), nRadius, nRadius, Qt::AbsoluteSize);
    painter.fillPath(track, m_bChecked ? m_onColor : m_offColor);
}

void ToggleSwitch::paintHandle(QPainter &painter) const
{
    QPainterPath handle;
    handle.addEllipse(handleRect());
    painter.fillPath(handle, m_handleColor);

    const QPen outline(QColor(0, 0, 0, kOutlineAlpha), 1, Qt::SolidLine, Qt::SquareCap,
                       Qt::BevelJoin);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(handleRect());
}
