#include "labsession.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>

#include <algorithm>

namespace {

const QString kTagCamera = QStringLiteral("CAMERA");
const QString kTagTrap = QStringLiteral("TRAP");
const QString kTagSetEnv = QStringLiteral("SETENV");
const QString kTagBack = QStringLiteral("BACK");
const QString kTagRequest = QStringLiteral("REQ");
const QString kTrapLabel = QStringLiteral("trap");
const QString kNoHostile = QStringLiteral("none");
const QString kHttpOff = QStringLiteral("off");

// "byValid" bit 1 is DHCP.
constexpr int kDhcpBit = 0x2;

QString environmentText(const char *szName)
{
    return QString::fromLocal8Bit(qgetenv(szName)).trimmed();
}

} // namespace

LabSession::LabSession()
    : m_strLog(environmentText("KESTROVA_LAB_LOG"))
    , m_strToolAddress(environmentText("KESTROVA_LAB_TOOL_ADDRESS"))
    , m_listAddresses(environmentText("KESTROVA_LAB_ADDRESSES").split(QLatin1Char(' '), Qt::SkipEmptyParts))
{
}

bool LabSession::isAvailable() const
{
    return unavailableReason().isEmpty();
}

QString LabSession::unavailableReason() const
{
    if (m_strLog.isEmpty() || m_strToolAddress.isEmpty())
        return QStringLiteral("not started by tools/lab/kestrova-lab (KESTROVA_LAB_LOG is not set): the end-to-end "
                              "tests search only inside the lab's own network namespaces");
    if (!QFile::exists(m_strLog))
        return QStringLiteral("the lab's simulator log %1 does not exist").arg(m_strLog);
    return QString();
}

QString LabSession::toolAddress() const
{
    return m_strToolAddress;
}

QStringList LabSession::addresses() const
{
    return m_listAddresses;
}

QString LabSession::trapAddress() const
{
    const QList<LabLine_S> listTrap = lines(0, kTagTrap);
    return listTrap.isEmpty() ? QString() : listTrap.first().hashField.value(QStringLiteral("ip"));
}

QList<LabLine_S> LabSession::lines(int nFrom, const QString &strTag, const QHash<QString, QString> &hashMatch) const
{
    const QStringList listText = completeLines();
    QList<LabLine_S> listLine;
    for (int nIndex = qMax(nFrom, 0); nIndex < listText.size(); ++nIndex) {
        const LabLine_S stLine = parseLine(nIndex, listText.at(nIndex));
        if (matches(stLine, strTag, hashMatch))
            listLine.append(stLine);
    }
    return listLine;
}

int LabSession::lineCount() const
{
    return completeLines().size();
}

bool LabSession::waitForLine(int nFrom, const QString &strTag, const QHash<QString, QString> &hashMatch,
                             int nTimeoutMs) const
{
    return QTest::qWaitFor([&] { return !lines(nFrom, strTag, hashMatch).isEmpty(); }, nTimeoutMs);
}

QList<LabCamera_S> LabSession::cameras() const
{
    QList<LabCamera_S> listCamera;
    const QList<LabLine_S> listLine = lines();
    for (const LabLine_S &stLine : listLine) {
        if (stLine.strTag == kTagCamera) {
            listCamera.append(cameraFrom(stLine));
            continue;
        }
        const bool bSetEnv = stLine.strTag == kTagSetEnv;
        if (!bSetEnv && stLine.strTag != kTagBack)
            continue;
        const QString strCam = stLine.hashField.value(QStringLiteral("cam"));
        for (LabCamera_S &stCamera : listCamera) {
            if (stCamera.strCam != strCam)
                continue;
            if (bSetEnv) {
                stCamera.strMask = stLine.hashField.value(QStringLiteral("mask"));
                stCamera.strGateway = stLine.hashField.value(QStringLiteral("gateway"));
                stCamera.bDhcp = stLine.hashField.value(QStringLiteral("byValid")).toInt() & kDhcpBit;
            } else {
                stCamera.strIp = stLine.hashField.value(QStringLiteral("ip"));
            }
        }
    }
    return listCamera;
}

LabCamera_S LabSession::camera(const QString &strCam) const
{
    const QList<LabCamera_S> listCamera = cameras();
    const auto found = std::find_if(listCamera.cbegin(), listCamera.cend(),
                                    [&](const LabCamera_S &stCamera) { return stCamera.strCam == strCam; });
    return found == listCamera.cend() ? LabCamera_S() : *found;
}

QStringList LabSession::requestsOutside(const QSet<QString> &setAllowed, int nFrom) const
{
    QStringList listBad;
    const QList<LabLine_S> listRequest = lines(nFrom, kTagRequest);
    for (const LabLine_S &stLine : listRequest) {
        if (stLine.hashField.value(QStringLiteral("cam")) == kTrapLabel
            || !setAllowed.contains(stLine.hashField.value(QStringLiteral("ip"))))
            listBad.append(stLine.strText);
    }
    return listBad;
}

LabLine_S LabSession::parseLine(int nIndex, const QString &strLine)
{
    LabLine_S stLine;
    stLine.nIndex = nIndex;
    stLine.strText = strLine;
    const QStringList listWord = strLine.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (listWord.isEmpty())
        return stLine;
    stLine.strTag = listWord.first();
    for (int nWord = 1; nWord < listWord.size(); ++nWord) {
        const QString &strWord = listWord.at(nWord);
        const int nEquals = strWord.indexOf(QLatin1Char('='));
        if (nEquals > 0)
            stLine.hashField.insert(strWord.left(nEquals), strWord.mid(nEquals + 1));
    }
    return stLine;
}

bool LabSession::matches(const LabLine_S &stLine, const QString &strTag, const QHash<QString, QString> &hashMatch)
{
    if (!strTag.isEmpty() && stLine.strTag != strTag)
        return false;
    for (auto field = hashMatch.cbegin(); field != hashMatch.cend(); ++field) {
        if (stLine.hashField.value(field.key()) != field.value())
            return false;
    }
    return true;
}

// CAMERA cam=0 ip=... mask=... gateway=... mac=... dhcp=0 versions=CAM,ARM,AF hostile=none http=on setenv-status=0
LabCamera_S LabSession::cameraFrom(const LabLine_S &stLine)
{
    const QHash<QString, QString> &hashField = stLine.hashField;
    LabCamera_S stCamera;
    stCamera.strCam = hashField.value(QStringLiteral("cam"));
    stCamera.strIp = hashField.value(QStringLiteral("ip"));
    stCamera.strMask = hashField.value(QStringLiteral("mask"));
    stCamera.strGateway = hashField.value(QStringLiteral("gateway"));
    stCamera.strMac = hashField.value(QStringLiteral("mac"));
    stCamera.bDhcp = hashField.value(QStringLiteral("dhcp")).toInt() != 0;
    const QStringList listVersion = hashField.value(QStringLiteral("versions")).split(QLatin1Char(','));
    stCamera.strCamVersion = listVersion.value(0);
    stCamera.strArmVersion = listVersion.value(1);
    stCamera.strAFVersion = listVersion.value(2);
    stCamera.strHostile = hashField.value(QStringLiteral("hostile"), kNoHostile);
    stCamera.bHttp = hashField.value(QStringLiteral("http")) != kHttpOff;
    stCamera.nSetEnvStatus = hashField.value(QStringLiteral("setenv-status")).toInt();
    return stCamera;
}

QStringList LabSession::completeLines() const
{
    QFile file(m_strLog);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray baLog = file.readAll();
    baLog.truncate(baLog.lastIndexOf('\n') + 1);
    QStringList listLine = QString::fromUtf8(baLog).split(QLatin1Char('\n'));
    listLine.removeLast();
    return listLine;
}

// The log shows bytes outside '!'..'~' as \xHH; the commands the tool sends have none but
// quotes and braces, so the text reads back as JSON.
QJsonObject LabSession::setEnvEth(const LabLine_S &stRequest)
{
    const QJsonDocument document = QJsonDocument::fromJson(stRequest.hashField.value(QStringLiteral("json")).toUtf8());
    return document.object()[QStringLiteral("SetEnv")].toObject()[QStringLiteral("NetWork")].toObject()
        [QStringLiteral("stEth")].toArray().first().toObject();
}
