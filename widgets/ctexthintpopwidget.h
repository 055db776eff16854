#pragma once

#include <QString>
#include <QWidget>

namespace Ui {
class CTextHintPopWidget;
}

// The one yes/no question box of the program: a translucent dark backdrop over its parent
// with a small white box holding a close button, a warning icon, the question and the
// buttons "Yes" and "No". It only reports the answer (sigSure for "Yes", sigCancel for
// "No" and the close button); it never hides itself, the receiver does.
//
// Dragging with the left button anywhere on it moves its top-level window.
class CTextHintPopWidget : public QWidget
{
    Q_OBJECT

public:
    // The one pop-up, created hidden with the given parent on the first call; the parent
    // of later calls is ignored.
    static CTextHintPopWidget *getInstance(QWidget *parent = nullptr);
    ~CTextHintPopWidget() override;

    void setTipText(const QString &strText);
    // Covers the parent (when there is one), shows the pop-up and raises it.
    void showPop();
    void hidePop();
    // Replaces the warning icon with the image at the path.
    void setTipIcon(const QString &strPath);

signals:
    void sigSure();
    void sigCancel();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    explicit CTextHintPopWidget(QWidget *parent = nullptr);

    void setupLook();
    void setupButtons();
    void connectAnswers();

    Ui::CTextHintPopWidget *ui;
    bool m_bDrag;
    int m_nOffsetX;
    int m_nOffsetY;
};
