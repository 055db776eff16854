#include "ui/webpageopener.h"

#include <QDesktopServices>

#include "validate/contactpolicy.h"

namespace {

const QString kPageUrl = QStringLiteral("http://%1/");

bool openOnDesktop(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

WebPageOpener::Opener s_pOpener = &openOnDesktop;

} // namespace

bool WebPageOpener::canOpen(const QString &strAddress)
{
    return ContactPolicy::mayContact(strAddress);
}

bool WebPageOpener::open(const QString &strAddress)
{
    return canOpen(strAddress) && s_pOpener(QUrl(kPageUrl.arg(strAddress)));
}

void WebPageOpener::setOpener(Opener pOpener)
{
    s_pOpener = pOpener ? pOpener : &openOnDesktop;
}
