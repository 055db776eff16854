#pragma once

#include <QColor>
#include <QWidget>

class QPropertyAnimation;

// A painted on/off switch: a pill-shaped track, #2196F3 when on and #CCCCCC when off, with
// a white round handle that slides to the other end in 150 ms. A left-button release
// toggles it (wherever the release happens); the track colour changes at once.
//
// Minimum size 30 × 15, size hint 40 × 20.
class ToggleSwitch : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool checked READ isChecked WRITE setChecked NOTIFY checkedChanged)
    Q_PROPERTY(int handleX READ handleX WRITE setHandleX)

public:
    explicit ToggleSwitch(QWidget *parent = nullptr);

    bool isChecked() const;
    // Changes the state, starts the slide of the handle and emits checkedChanged, then
    // toggled; does nothing when the state is already `bOn`.
    void setChecked(bool bOn);

    // Left edge of the handle in widget pixels; driven by the slide.
    int handleX() const;
    void setHandleX(int nX);

    // Fixes the size to (w, h), each raised to at least the minimum size.
    void setSwitchSize(int nWidth, int nHeight);

    void setOnColor(const QColor &color);
    void setOffColor(const QColor &color);
    void setHandleColor(const QColor &color);

    QSize sizeHint() const override;

Q_SIGNALS:
    void checkedChanged(bool checked);
    void toggled(bool checked);

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int handleEndX(bool bOn) const;
    QRect handleRect() const;
    void paintTrack(QPainter &painter) const;
    void paintHandle(QPainter &painter) const;

    bool m_bChecked = false;
    int m_nHandleX;
    QColor m_onColor;
    QColor m_offColor;
    QColor m_handleColor;
    QPropertyAnimation *m_pAnimation;
};
