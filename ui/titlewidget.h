#pragma once

#include <QPoint>
#include <QWidget>

namespace Ui {
class TitleWidget;
}

class QMouseEvent;
class QTimer;

/**
 * The title bar of the frameless main window: the product name on a blue band and the
 * minimise, maximise/restore and close buttons.
 *
 * Dragging the band with the left button moves the top-level window; the buttons and a
 * double click only emit signals, which the main window carries out. Dragging a maximised
 * window asks for a restore (sigMaxShow) on the first move, except within 100 ms of a
 * double click, so the double click that maximised it does not undo itself.
 */
class TitleWidget : public QWidget
{
    Q_OBJECT

public:
    explicit TitleWidget(QWidget *parent = nullptr);
    ~TitleWidget() override;

    /// True while the left button pressed on the bar is held (false by default).
    bool isPressed() const;
    /// Sets the title text to 18 × @p scale pixels, truncated.
    void setScale(double scale);

signals:
    void sigMinShow();
    void sigMaxShow();
    void sigExitApp();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void initAppText();
    void initButtons();
    void initConnect();
    void initDblClickTimer();

    Ui::TitleWidget *ui;
    bool m_bPressed = false;
    QPoint m_dragOffset;
    QTimer *m_dblClickTimer = nullptr;
    int m_nFontSize = 18;
};
