#include "cli/plantext.h"

#include "site/planmatch.h"

namespace {

const QString kStatic = QStringLiteral("%1 -> %2 (mask %3, gateway %4)");
const QString kDhcp = QStringLiteral("%1 -> DHCP (the new address is the DHCP server's to give)");
const QString kDhcpWanted = QStringLiteral("DHCP");
const QString kLabel = QStringLiteral("%1, label \"%2\"");
const QString kRefused = QStringLiteral("%1 -> %2  not written: %3");
const QString kFileRefused = QStringLiteral("not written: %1");
// Two fields of a line: MAC and what it gets, or current address and why nothing.
const QString kTwoFields = QStringLiteral("%1  %2");
const QString kFileLine = QStringLiteral("line %1: %2");
const QString kNotFound = QStringLiteral("(not found)");

QString whatItGets(const PlanCheck::Line_S &stLine)
{
    switch (stLine.kind) {
    case PlanCheck::Line_S::AlreadyThere:
        return kTwoFields.arg(stLine.strCurrent, PlanMatch::alreadyThereText());
    case PlanCheck::Line_S::Refused:
        if (stLine.strMac.isEmpty())
            return kFileRefused.arg(stLine.strReason);
        return kRefused.arg(stLine.strCurrent.isEmpty() ? kNotFound : stLine.strCurrent, stLine.strWanted, stLine.strReason);
    default:
        break;
    }
    if (stLine.strWanted == kDhcpWanted)
        return kDhcp.arg(stLine.strCurrent);
    const QString strText = kStatic.arg(stLine.strCurrent, stLine.strWanted, stLine.strMask, stLine.strGateway);
    return stLine.strLabel.isEmpty() ? strText : kLabel.arg(strText, stLine.strLabel);
}

} // namespace

QStringList planText(const QList<PlanCheck::Line_S> &listLines)
{
    QStringList listText;
    for (const PlanCheck::Line_S &stLine : listLines) {
        const QString strWhat = whatItGets(stLine);
        const QString strCamera = stLine.strMac.isEmpty() ? strWhat : kTwoFields.arg(stLine.strMac, strWhat);
        listText.append(stLine.nLine > 0 ? kFileLine.arg(stLine.nLine).arg(strCamera) : strCamera);
    }
    return listText;
}
