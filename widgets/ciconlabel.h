#pragma once

#include <QLabel>
#include <QStringList>

class QMovie;

// A label that shows one image out of a list, scaled to the label; a GIF (by its file
// suffix, in any letter case) is played as an animation instead.
class CIconLabel : public QLabel
{
    Q_OBJECT

public:
    explicit CIconLabel(QWidget *parent = nullptr);
    ~CIconLabel() override;

    // Appends the paths to the stored ones, takes their number as the icon count and
    // shows the image at the current index (initially 0).
    void setIcons(const QStringList &listPaths);
    // Shows the image at the index taken modulo the icon count; ignored without icons.
    void setIconIndex(int nIndex);
    // When on, each image change fixes the label to the size of the last image loaded by
    // setIcons. Default off.
    void setFixedSizeMode(bool bFixed);

private:
    void showCurrentIcon();
    void stopMovie();

    QStringList m_listPaths;
    int m_nWidth;
    int m_nHeight;
    int m_nCount;
    int m_nIndex;
    bool m_bFixedSize;
    QMovie *m_pMovie;
};
