// The plan file reader on any bytes: a file is a plan or refused with one message, and every
// line it takes carries a MAC in the cameras' form and its four required fields, in file order.

#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "site/macaddress.h"
#include "site/planfile.h"
#include "tests/fuzz/fuzzsupport.h"

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    fuzzSetUpProcess(pArgc, pArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *pData, std::size_t nSize)
{
    const QByteArray baInput(reinterpret_cast<const char *>(pData), int(nSize));
    const PlanFile planFile = PlanFile::parse(baInput);
    const QList<PlanFile::Line_S> listLines = planFile.lines();
    const int nLinesTaken = listLines.size() + planFile.refusals().size();
    fuzzCheck(planFile.error().isEmpty() == (nLinesTaken > 0), "a file is a plan of lines or refused without any");
    int nPrevious = 1; // the header's line at the least
    for (const PlanFile::Line_S &stLine : listLines) {
        fuzzCheck(stLine.nLine > nPrevious && stLine.nLine <= baInput.count('\n') + 1, "lines are in file order");
        fuzzCheck(MacAddress::cameraForm(stLine.strMac) == stLine.strMac, "a line's MAC is in the cameras' form");
        fuzzCheck(!stLine.strAddress.isEmpty() && !stLine.strMask.isEmpty() && !stLine.strGateway.isEmpty(),
                  "a line has its address, mask and gateway");
        nPrevious = stLine.nLine;
    }
    return 0;
}
