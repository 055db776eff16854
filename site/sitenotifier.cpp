#include "site/sitenotifier.h"

SiteNotifier::SiteNotifier(QObject *parent)
    : QObject(parent)
{
}
