#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QStringList>
#include <QVector>

#include <array>

// A push button drawn entirely by images, one per visual state (normal, hover, pressed,
// disabled), applied through a generated style sheet with border-image. It also tracks a
// logical state of its own and reports changes of it, and of a "selected" flag, through
// signals; the pressed look itself comes from the style sheet's :pressed state.
//
// A set with one image uses it for every state; with two, the second is the hover image;
// the third is the pressed image and the fourth the disabled image.
class CIconButton : public QPushButton
{
    Q_OBJECT

public:
    enum ButtonState_EN {
        STATE_NORMAL = 0,
        STATE_HOVER = 1,
        STATE_PRESSED = 2, // pressed, or selected
        STATE_DISABLED = 3,
    };
    Q_ENUM(ButtonState_EN)

    explicit CIconButton(QWidget *parent = nullptr);

    // Adds a set of 1 to 4 image paths and rebuilds the style sheet from the current set.
    // A list of 5 or more paths is ignored; an empty list adds a set without images, which
    // leaves the style sheet as it was.
    void addImageSet(const QStringList &listPaths);
    // Replaces all sets with this one.
    void setImageSet(const QStringList &listPaths);
    // Selects the set used for the style sheet; an index without a set is ignored.
    void setCurrentSet(int nIndex);
    int currentSet() const;
    // The caller's selection flag; a selected button reports STATE_PRESSED.
    void setSelected(bool bSelected);
    bool isSelected() const;
    // Whether presses are also handed to the parent widget. Default on.
    void setPassPressOn(bool bPassOn);

signals:
    void sigStateChanged(CIconButton::ButtonState_EN enState);
    void sigSelectedChanged(bool isSelected);
    // Declared for users of the kit; nothing emits them yet.
    void sigFocusIn();
    void sigFocusOut();
    void sigEnter();
    void sigLeave();

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    static constexpr int kMaxImages = 4;

    struct ImageSet_S
    {
        QStringList listPaths;
        std::array<QPixmap, kMaxImages + 1> pixmaps;
        int nWidth = 0;
        int nHeight = 0;
    };

    static ImageSet_S loadImageSet(const QStringList &listPaths);
    void rebuildStyleSheet();
    ButtonState_EN evaluateState() const;
    void refreshState();

    QVector<ImageSet_S> m_listImageSets;
    int m_nCurrentSet;
    bool m_bHovered;
    bool m_bPressed;
    bool m_bSelected;
    bool m_bPassPressOn;
    ButtonState_EN m_enState;
};
