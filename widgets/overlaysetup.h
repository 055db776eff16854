#pragma once

class CIconButton;
class CWidget;
class QWidget;

/**
 * Makes @p pOverlay the frameless, translucent, application-modal window the hint pop-ups
 * share, titled after the application, and gives its parts their common look: the dimmed
 * @p pBackdrop, the white rounded @p pBox and the close image on @p pClose.
 */
void setupHintOverlay(QWidget *pOverlay, CWidget *pBackdrop, CWidget *pBox, CIconButton *pClose);

/**
 * Shows @p pOverlay on top of its parent, resized to cover it; without a parent it keeps
 * its size.
 */
void showOverParent(QWidget *pOverlay);
