#pragma once

#include <QString>
#include <QWidget>

namespace Ui {
class ToastHintWidget;
}

// The one result hint of the program: a success or failure icon above a short message in
// a small white box over a translucent dark backdrop covering the parent. It has no timer:
// it stays until its close button is pressed, or the next message replaces it.
class ToastHintWidget : public QWidget
{
    Q_OBJECT

public:
    // The one toast, created hidden and without a parent on first use.
    static ToastHintWidget *getInstance();
    ~ToastHintWidget() override;

    // Shows the message with the success icon for an even kind (0) or the failure icon for
    // an odd one (1), covering the parent when there is one, and raises the toast.
    void showTips(int nKind, const QString &strText);

private:
    explicit ToastHintWidget(QWidget *parent = nullptr);

    void setupLook();

    Ui::ToastHintWidget *ui;
};
