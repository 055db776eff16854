#pragma once

#include <QMainWindow>
#include <QMetaObject>
#include <QPoint>

namespace Ui {
class MainWindow;
}

class ModifyModule;
class QMouseEvent;
class QScreen;

/**
 * The program's only top-level window: frameless, with the title bar above the device view.
 *
 * With the system frame gone the window resizes itself when an edge or corner within
 * 5 pixels of its border is dragged (never below its 1107 × 679 minimum), maximises and
 * restores itself on the title bar's request (maximising on the screen under the cursor),
 * and passes the scale logical DPI ÷ 96 of its screen to the title bar and the device view.
 * It parents the confirmation pop-up and the toast, and shows result codes in the toast.
 */
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    /// The device view of the window.
    ModifyModule *getModifyModule() const;

public slots:
    /// Shows the text of result code @p nType in the toast: success icon for 0, failure otherwise.
    void slotShowTips(int nType);
    /// Rescales title bar and device view by @p newDpi ÷ 96.
    void slotLogicalDpiChanged(double newDpi);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void initWindow();
    void connectScreenDpi(QScreen *pScreen);
    void connectScreenChanged();
    void handleScreenChanged(QScreen *pScreen);
    void connectTitleBar();
    void adoptPopups();

    void toggleMaximized();
    int edgeDirection(const QPoint &localPos) const;
    void resizeByDrag(const QPoint &globalPos);
    void updateCursorShape(const QPoint &globalPos);

    Ui::MainWindow *ui;
    QMetaObject::Connection m_dpiConnection;
    QPoint m_normalPos;
    bool m_bPressed = false;
    int m_nDirection = 0; // edges being dragged: 1 left, 2 right, 4 top, 8 bottom
    int m_nBorder = 5;
};
