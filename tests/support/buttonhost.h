#pragma once

// A window to put text buttons in, for the widget tests; header-only.

#include <QRect>
#include <QSize>
#include <QWidget>

#include <memory>

#include "widgets/ctextbutton.h"

class ButtonHost
{
public:
    /// The size every button gets.
    static QSize buttonSize() { return QSize(100, 40); }

    /// A fresh 400 x 200 window; the buttons of the last one go with it.
    void reset()
    {
        m_pWindow = std::make_unique<QWidget>();
        m_pWindow->resize(400, 200);
    }
    void clear() { m_pWindow.reset(); }
    QWidget *window() const { return m_pWindow.get(); }

    /// A button in the window at (10, 10), buttonSize() large.
    CTextButton *makeButton(const QString &strText = QString())
    {
        auto *pButton = new CTextButton(strText, m_pWindow.get());
        pButton->setGeometry(QRect(QPoint(10, 10), buttonSize()));
        return pButton;
    }

private:
    std::unique_ptr<QWidget> m_pWindow;
};
