#include "ui/desktopopener.h"

#include <QDesktopServices>

#include "validate/contactpolicy.h"

namespace {

const QString kPageUrl = QStringLiteral("http://%1/");

bool openOnDesktop(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

DesktopOpener::Opener s_pOpener = &openOnDesktop;

} // namespace

bool DesktopOpener::canOpen(const QString &strAddress)
{
    return ContactPolicy::mayContact(strAddress);
}

bool DesktopOpener::open(const QString &strAddress)
{
    return canOpen(strAddress) && s_pOpener(QUrl(kPageUrl.arg(strAddress)));
}

bool DesktopOpener::openFolder(const QString &strPath)
{
    return s_pOpener(QUrl::fromLocalFile(strPath));
}

void DesktopOpener::setOpener(Opener pOpener)
{
    s_pOpener = pOpener ? pOpener : &openOnDesktop;
}
