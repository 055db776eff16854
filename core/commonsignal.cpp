#include "core/commonsignal.h"

#include "core/lazyinstance.h"

namespace {
LazyInstance<CommonSignal> s_instance;
}

CommonSignal::CommonSignal(QObject *parent)
    : QObject(parent)
{
}

CommonSignal *CommonSignal::getInstance()
{
    return s_instance.get([] { return new CommonSignal; });
}
