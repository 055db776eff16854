#include "widgets/cfontfamily.h"

#include "core/lazyinstance.h"

namespace {
LazyInstance<CFontFamily> s_instance;
}

CFontFamily::CFontFamily(QObject *parent)
    : QObject(parent)
    , m_strFamily(QStringLiteral("Microsoft YaHei"))
{
}

CFontFamily *CFontFamily::getInstance()
{
    return s_instance.get([] { return new CFontFamily; });
}

QString CFontFamily::family() const
{
    return m_strFamily;
}

void CFontFamily::setFamily(const QString &strFamily)
{
    m_strFamily = strFamily;
}

QString CFontFamily::styleSheet(QString strSheet) const
{
    return strSheet.replace(QLatin1String(FONT_FAMILY_TOKEN), m_strFamily);
}
