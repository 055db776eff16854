#include "widgets/ciconbutton.h"

#include <QImage>
#include <QMouseEvent>

namespace {
// %3 is missing on purpose: the pressed image fills both %4.
const QLatin1String kSheetTemplate(
    "QPushButton {border-image: url(%1);border: none;}"
    "QPushButton:hover {border-image: url(%2);border: none;}"
    "QPushButton:pressed {border-image: url(%4);border: none;}"
    "QPushButton:focus:pressed {border-image: url(%4);border: none;}"
    "QPushButton:disabled {border-image: url(%5);border: none;}");

enum ImageRole_EN { IMAGE_NORMAL, IMAGE_HOVER, IMAGE_PRESSED, IMAGE_DISABLED };

// The path for a state, falling back to the normal image when the set is shorter.
QString imageFor(const QStringList &listPaths, int nRole)
{
    return nRole < listPaths.size() ? listPaths.at(nRole) : listPaths.at(IMAGE_NORMAL);
}
} // namespace

CIconButton::CIconButton(QWidget *parent)
    : QPushButton(parent)
    , m_nCurrentSet(0)
    , m_bHovered(false)
    , m_bPressed(false)
    , m_bSelected(false)
    , m_bPassPressOn(true)
    , m_enState(STATE_NORMAL)
{
    // Lets queued connections and signal spies carry the state by name.
    qRegisterMetaType<ButtonState_EN>();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_StyledBackground);
}

void CIconButton::addImageSet(const QStringList &listPaths)
{
    if (listPaths.size() > kMaxImages)
        return;
    m_listImageSets.append(loadImageSet(listPaths));
    rebuildStyleSheet();
}

void CIconButton::setImageSet(const QStringList &listPaths)
{
    m_listImageSets.clear();
    addImageSet(listPaths);
}

void CIconButton::setCurrentSet(int nIndex)
{
    if (nIndex < 0 || nIndex >= m_listImageSets.size())
        return;
    m_nCurrentSet = nIndex;
    rebuildStyleSheet();
}

int CIconButton::currentSet() const
{
    return m_nCurrentSet;
}

void CIconButton::setSelected(bool bSelected)
{
    if (bSelected != m_bSelected)
        emit sigSelectedChanged(bSelected);
    m_bSelected = bSelected;
    refreshState();
    rebuildStyleSheet();
}

bool CIconButton::isSelected() const
{
    return m_bSelected;
}

void CIconButton::setPassPressOn(bool bPassOn)
{
    m_bPassPressOn = bPassOn;
}

void CIconButton::enterEvent(QEvent *event)
{
    m_bHovered = true;
    emit sigEnter();
    refreshState();
    QPushButton::enterEvent(event);
}

void CIconButton::leaveEvent(QEvent *event)
{
    m_bPressed = false;
    m_bHovered = false;
    emit sigLeave();
    refreshState();
    QPushButton::leaveEvent(event);
}

// With pass-on the plain widget handler marks the press ignored, so the parent gets it too.
void CIconButton::mousePressEvent(QMouseEvent *event)
{
    m_bPressed = true;
    QAbstractButton::mousePressEvent(event);
    refreshState();
    if (m_bPassPressOn)
        QWidget::mousePressEvent(event);
}

void CIconButton::mouseReleaseEvent(QMouseEvent *event)
{
    if (!rect().contains(event->localPos().toPoint())) {
        m_bHovered = false;
        clearFocus();
    }
    m_bPressed = false;
    refreshState();
    QAbstractButton::mouseReleaseEvent(event);
}

CIconButton::ImageSet_S CIconButton::loadImageSet(const QStringList &listPaths)
{
    ImageSet_S stSet;
    for (const QString &strPath : listPaths) {
        const QPixmap pixmap = QPixmap::fromImage(QImage(strPath));
        stSet.pixmaps[stSet.listPaths.size()] = pixmap;
        stSet.listPaths.append(strPath);
        if (stSet.nWidth == 0 && pixmap.width() != 0 && pixmap.height() != 0) {
            stSet.nWidth = pixmap.width();
            stSet.nHeight = pixmap.height();
        }
    }
    return stSet;
}

void CIconButton::rebuildStyleSheet()
{
    if (m_nCurrentSet >= m_listImageSets.size())
        return;
    const QStringList &listPaths = m_listImageSets.at(m_nCurrentSet).listPaths;
    if (listPaths.isEmpty())
        return;
    setStyleSheet(QString(kSheetTemplate)
                      .arg(imageFor(listPaths, IMAGE_NORMAL))
                      .arg(imageFor(listPaths, IMAGE_HOVER))
                      .arg(imageFor(listPaths, IMAGE_PRESSED))
                      .arg(imageFor(listPaths, IMAGE_DISABLED)));
}

CIconButton::ButtonState_EN CIconButton::evaluateState() const
{
    if (!isEnabled())
        return STATE_DISABLED;
    if (m_bPressed || m_bSelected)
        return STATE_PRESSED;
    if (m_bHovered)
        return STATE_HOVER;
    return STATE_NORMAL;
}

void CIconButton::refreshState()
{
    const ButtonState_EN enState = evaluateState();
    if (enState != m_enState)
        emit sigStateChanged(enState);
    m_enState = enState;
}
