#include "core/metatypes.h"

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"
#include "core/quillbootsearch_s.h"

void registerRecordMetaTypes()
{
    qRegisterMetaType<QList<QuillbootSearch_S>>("QList<QuillbootSearch_S>");
    qRegisterMetaType<EthInfo_S>("EthInfo_S");
    qRegisterMetaType<FwVersion_S>("FwVersion_S");
    qRegisterMetaType<DevInfo_S>("DevInfo_S");
}
