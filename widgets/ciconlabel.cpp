#include "widgets/ciconlabel.h"

#include <QFileInfo>
#include <QImage>
#include <QMovie>
#include <QPixmap>

namespace {
const QLatin1String kAnimatedSuffix("gif");

bool isAnimated(const QString &strPath)
{
    return QFileInfo(strPath).suffix().compare(kAnimatedSuffix, Qt::CaseInsensitive) == 0;
}

// Non-negative remainder, so a negative index still picks an existing icon.
int wrapIndex(int nValue, int nCount)
{
    return ((nValue % nCount) + nCount) % nCount;
}
} // namespace

CIconLabel::CIconLabel(QWidget *parent)
    : QLabel(parent)
    , m_nWidth(0)
    , m_nHeight(0)
    , m_nCount(0)
    , m_nIndex(0)
    , m_bFixedSize(false)
    , m_pMovie(nullptr)
{
    setAttribute(Qt::WA_StyledBackground);
    setScaledContents(true);
}

CIconLabel::~CIconLabel()
{
    stopMovie();
}

void CIconLabel::setIcons(const QStringList &listPaths)
{
    m_nCount = listPaths.size();
    for (const QString &strPath : listPaths) {
        const QPixmap pixmap = QPixmap::fromImage(QImage(strPath));
        m_listPaths.append(strPath);
        m_nWidth = pixmap.width();
        m_nHeight = pixmap.height();
    }
    showCurrentIcon();
}

void CIconLabel::setIconIndex(int nIndex)
{
    if (m_nCount <= 0)
        return;
    m_nIndex = wrapIndex(nIndex, m_nCount);
    showCurrentIcon();
}

void CIconLabel::setFixedSizeMode(bool bFixed)
{
    m_bFixedSize = bFixed;
}

void CIconLabel::showCurrentIcon()
{
    if (m_nIndex >= m_listPaths.size())
        return;
    const QString strPath = m_listPaths.at(m_nIndex);
    if (m_bFixedSize)
        setFixedSize(m_nWidth, m_nHeight);
    stopMovie();
    if (isAnimated(strPath)) {
        m_pMovie = new QMovie(strPath, QByteArray(), this);
        setMovie(m_pMovie);
        m_pMovie->start();
    } else {
        setPixmap(QPixmap(strPath));
    }
}

void CIconLabel::stopMovie()
{
    if (!m_pMovie)
        return;
    m_pMovie->stop();
    delete m_pMovie;
    m_pMovie = nullptr;
}
