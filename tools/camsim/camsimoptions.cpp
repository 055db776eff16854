#include "tools/camsim/camsimoptions.h"

#include <limits>

#include "tools/camsim/ipv4text.h"

namespace {

constexpr int kMaxCameras = 250;
constexpr int kMaxFloodCount = 100000;
constexpr int kMaxOversizeMb = 1024;
// The gzip trailer holds the inflated size modulo 2^32; below 4 GiB it is exact.
constexpr int kMaxBombMb = 4095;
constexpr int kMaxDelayMs = 600000;
constexpr int kMaxPort = 65535;
constexpr QLatin1Char kCameraSeparator(':');
constexpr QLatin1Char kListSeparator(',');

const QString kOptCameras = QStringLiteral("cameras");
const QString kOptBase = QStringLiteral("base-address");
const QString kOptAddresses = QStringLiteral("addresses");
const QString kOptMask = QStringLiteral("mask");
const QString kOptGateway = QStringLiteral("gateway");
const QString kOptSeed = QStringLiteral("seed");
const QString kOptInterface = QStringLiteral("interface");
const QString kOptHttpPort = QStringLiteral("http-port");
const QString kOptShared = QStringLiteral("shared-address");
const QString kOptServing = QStringLiteral("shared-serving");
const QString kOptCloseAfterReply = QStringLiteral("close-after-reply");
const QString kOptRebootStatus = QStringLiteral("reboot-status");
const QString kOptDownMs = QStringLiteral("down-ms");
const QString kOptFactory = QStringLiteral("factory");
const QString kOptFactoryAddress = QStringLiteral("factory-address");
const QString kOptHandoverMs = QStringLiteral("handover-ms");
const QString kOptSetEnvStatus = QStringLiteral("setenv-status");
const QString kOptDelay = QStringLiteral("delay-ms");
const QString kOptSilentHttp = QStringLiteral("silent-http");
const QString kOptRebootMs = QStringLiteral("reboot-ms");
const QString kOptHostile = QStringLiteral("hostile");
const QString kOptTrap = QStringLiteral("trap-address");
const QString kOptFloodCount = QStringLiteral("flood-count");
const QString kOptOversizeMb = QStringLiteral("oversize-mb");
const QString kOptTrickleMs = QStringLiteral("trickle-ms");
const QString kOptOversizeFraming = QStringLiteral("oversize-framing");
const QString kOptBombMb = QStringLiteral("bomb-mb");
const QString kOptLog = QStringLiteral("log");
const QString kOptManage = QStringLiteral("manage-addresses");
const QString kOptPrint = QStringLiteral("print-addresses");
const QString kOptExitWithParent = QStringLiteral("exit-with-parent");

const QString kDefaultBase = QStringLiteral("10.77.0.10");
const QString kDefaultMask = QStringLiteral("255.255.0.0");
// The flag written with a camera, "--close-after-reply:CAM", which QCommandLineParser
// cannot read as an option of its own.
const QString kCloseAfterReplyForCamera = QStringLiteral("--") + kOptCloseAfterReply + kCameraSeparator;

struct FramingName {
    BodyFraming eFraming;
    const char *pszName;
};

constexpr FramingName kFramingNames[] = {
    {BodyFraming::Length, "length"},
    {BodyFraming::Chunked, "chunked"},
    {BodyFraming::Close, "close"},
};

} // namespace

CamSimOptions::CamSimOptions()
{
    addOptions();
}

void CamSimOptions::addOptions()
{
    m_parser.setApplicationDescription(QStringLiteral(
        "Simulated IP cameras: answers the 76-byte multicast search on 234.200.200.1:54362 "
        "and serves /ajaxcom on every camera address. Camera indexes start at 0; VALUE[:CAM] "
        "applies to camera CAM only, plain VALUE to every camera."));
    m_parser.addHelpOption();
    m_parser.addOptions({
        {kOptCameras, QStringLiteral("Number of regular cameras (default 8)."), QStringLiteral("N")},
        {kOptBase, QStringLiteral("Address of camera 0; camera i gets base + i (default 10.77.0.10)."), QStringLiteral("ADDR")},
        {kOptAddresses, QStringLiteral("Comma-separated camera addresses, one per camera (overrides --base-address and --cameras)."), QStringLiteral("LIST")},
        {kOptMask, QStringLiteral("Subnet mask of every camera (default 255.255.0.0)."), QStringLiteral("MASK")},
        {kOptGateway, QStringLiteral("Gateway of every camera (default: first host of camera 0's subnet)."), QStringLiteral("ADDR")},
        {kOptSeed, QStringLiteral("Seed of MACs, DNS, DHCP flags and versions (default 1)."), QStringLiteral("N")},
        {kOptInterface, QStringLiteral("Interface to join the search group on (required)."), QStringLiteral("NAME")},
        {kOptHttpPort, QStringLiteral("HTTP port of every camera, also sent in search replies (default 80)."), QStringLiteral("PORT")},
        {kOptShared, QStringLiteral("Camera 1 takes camera 0's address: two cameras share one address.")},
        {kOptServing, QStringLiteral("How each new connection to an address several cameras share picks its camera: first (lowest index, "
                                     "default), alternate (round robin) or random (seeded by --seed)."),
         QStringLiteral("MODE")},
        {kOptCloseAfterReply, QStringLiteral("Every answer carries 'Connection: close' and the connection closes after it; "
                                             "--close-after-reply:CAM for camera CAM only (repeatable).")},
        {kOptRebootStatus, QStringLiteral("Answer \"Reboot\" with nRetVal N; when N is not 0 the camera does not reboot (repeatable)."),
         QStringLiteral("N[:CAM]")},
        {kOptDownMs, QStringLiteral("How long the camera stays silent after \"Reboot\", overriding --reboot-ms; -1: it never "
                                    "comes back (repeatable)."),
         QStringLiteral("N[:CAM]")},
        {kOptFactory, QStringLiteral("N cameras out of the box after all others, at --factory-address; they serve it one at a time."),
         QStringLiteral("N")},
        {kOptFactoryAddress, QStringLiteral("The address the --factory cameras share."), QStringLiteral("ADDR")},
        {kOptHandoverMs, QStringLiteral("How long the factory address stays unanswered after its camera rebooted onto another "
                                        "address, before the next factory camera serves it (default %1).")
                             .arg(m_stConfig.nHandoverMs),
         QStringLiteral("N")},
        {kOptSetEnvStatus, QStringLiteral("Refuse \"SetEnv\": answer nRetVal N and keep the settings (repeatable)."), QStringLiteral("N[:CAM]")},
        {kOptDelay, QStringLiteral("Wait N ms before every answer, search and HTTP (repeatable)."), QStringLiteral("N[:CAM]")},
        {kOptSilentHttp, QStringLiteral("The last K regular cameras have no HTTP listener."), QStringLiteral("K")},
        {kOptRebootMs, QStringLiteral("How long a rebooting camera stays silent (default 3000)."), QStringLiteral("N")},
        {kOptHostile, QStringLiteral("Hostile camera: MODE alone adds an extra camera, MODE:CAM spoils camera CAM (repeatable). Modes: ")
                          + hostileModeNames().mid(1).join(QStringLiteral(", ")) + QLatin1Char('.'),
         QStringLiteral("MODE[:CAM]")},
        {kOptTrap, QStringLiteral("Address that redirects point to; never announced (default: next free address)."), QStringLiteral("ADDR")},
        {kOptFloodCount, QStringLiteral("Datagrams a flood camera sends per search (default 10000)."), QStringLiteral("N")},
        {kOptOversizeMb, QStringLiteral("Body size of oversized answers in MiB (default 100)."), QStringLiteral("N")},
        {kOptOversizeFraming, QStringLiteral("How oversized answers are delimited: length (Content-Length, default), chunked, or close (no length)."),
         QStringLiteral("FRAMING")},
        {kOptBombMb, QStringLiteral("Size in MiB that gzip-bomb bodies inflate to (default 768)."), QStringLiteral("N")},
        {kOptTrickleMs, QStringLiteral("Interval between the bytes of a trickled answer (default 1000)."), QStringLiteral("N")},
        {kOptLog, QStringLiteral("Also append every output line to FILE."), QStringLiteral("FILE")},
        {kOptManage, QStringLiteral("Add missing addresses (trap, reboot targets) to --interface with 'ip addr add' (root, lab namespace only).")},
        {kOptPrint, QStringLiteral("Print every address the cameras and the trap need, one per line, and exit.")},
        {kOptExitWithParent, QStringLiteral("End when the process that started the simulator ends (for test harnesses).")},
    });
}

bool CamSimOptions::parse(const QStringList &listArguments)
{
    m_parser.process(takeCameraFlags(listArguments));
    return readCounts() && readAddresses() && readNetwork() && readFactory() && readHostileModes() && readPerCameraValues()
        && readCloseAfterReply();
}

// Keeps the "--close-after-reply:CAM" arguments aside and returns the others.
QStringList CamSimOptions::takeCameraFlags(const QStringList &listArguments)
{
    QStringList listOthers;
    for (const QString &strArgument : listArguments) {
        if (strArgument.startsWith(kCloseAfterReplyForCamera))
            m_listCloseAfterReplyCameras << strArgument.mid(kCloseAfterReplyForCamera.size());
        else
            listOthers << strArgument;
    }
    return listOthers;
}

bool CamSimOptions::readCounts()
{
    m_stConfig.bSharedAddress = m_parser.isSet(kOptShared);
    m_stConfig.bManageAddresses = m_parser.isSet(kOptManage);
    m_stConfig.bPrintAddresses = m_parser.isSet(kOptPrint);
    m_stConfig.bExitWithParent = m_parser.isSet(kOptExitWithParent);
    m_stConfig.strLogFile = m_parser.value(kOptLog);
    int nPort = m_stConfig.nHttpPort;
    int nSeed = int(m_stConfig.nSeed);
    const bool bRead = readInt(kOptCameras, 1, kMaxCameras, m_stConfig.nCameras)
        && readInt(kOptHttpPort, 1, kMaxPort, nPort)
        && readInt(kOptSeed, 0, std::numeric_limits<int>::max(), nSeed)
        && readInt(kOptSilentHttp, 0, kMaxCameras, m_stConfig.nSilentHttp)
        && readInt(kOptRebootMs, 0, kMaxDelayMs, m_stConfig.nRebootMs)
        && readInt(kOptFloodCount, 0, kMaxFloodCount, m_stConfig.nFloodCount)
        && readInt(kOptOversizeMb, 1, kMaxOversizeMb, m_stConfig.nOversizeMb)
        && readInt(kOptTrickleMs, 1, kMaxDelayMs, m_stConfig.nTrickleMs)
        && readInt(kOptBombMb, 1, kMaxBombMb, m_stConfig.nBombMb)
        && readInt(kOptFactory, 0, kMaxCameras, m_stConfig.nFactoryCameras)
        && readInt(kOptHandoverMs, 0, kMaxDelayMs, m_stConfig.nHandoverMs)
        && readFraming() && readServing();
    m_stConfig.nHttpPort = quint16(nPort);
    m_stConfig.nSeed = quint32(nSeed);
    return bRead;
}

bool CamSimOptions::readFraming()
{
    if (!m_parser.isSet(kOptOversizeFraming))
        return true;
    const QString strName = m_parser.value(kOptOversizeFraming);
    for (const FramingName &stName : kFramingNames) {
        if (strName == QLatin1String(stName.pszName)) {
            m_stConfig.eOversizeFraming = stName.eFraming;
            return true;
        }
    }
    return fail(QStringLiteral("--oversize-framing expects length, chunked or close, got ") + strName);
}

bool CamSimOptions::readServing()
{
    if (!m_parser.isSet(kOptServing) || servingModeFromName(m_parser.value(kOptServing), m_stConfig.eServing))
        return true;
    return fail(QStringLiteral("--shared-serving expects first, alternate or random, got ") + m_parser.value(kOptServing));
}

bool CamSimOptions::readFactory()
{
    m_stConfig.strFactoryAddress = m_parser.value(kOptFactoryAddress);
    if (m_stConfig.nFactoryCameras == 0)
        return true;
    if (!Ipv4Text::isAddress(m_stConfig.strFactoryAddress))
        return fail(QStringLiteral("--factory needs --factory-address, an IPv4 address"));
    if (m_stConfig.listAddresses.contains(m_stConfig.strFactoryAddress))
        return fail(QStringLiteral("--factory-address is a regular camera's address: ") + m_stConfig.strFactoryAddress);
    return true;
}

bool CamSimOptions::readCloseAfterReply()
{
    if (m_parser.isSet(kOptCloseAfterReply))
        m_stConfig.listCloseAfterReply << CamSimConfig_S::kAllCameras;
    for (const QString &strCamera : qAsConst(m_listCloseAfterReplyCameras)) {
        bool bOk = false;
        const int nCamera = strCamera.toInt(&bOk);
        if (!bOk || nCamera < 0 || nCamera >= cameraCount())
            return fail(QStringLiteral("--close-after-reply:CAM names no camera: ") + strCamera);
        m_stConfig.listCloseAfterReply << nCamera;
    }
    return true;
}

bool CamSimOptions::readAddresses()
{
    if (m_parser.isSet(kOptAddresses)) {
        m_stConfig.listAddresses = m_parser.value(kOptAddresses).split(kListSeparator, Qt::SkipEmptyParts);
        m_stConfig.nCameras = m_stConfig.listAddresses.size();
    } else {
        const QString strBase = m_parser.isSet(kOptBase) ? m_parser.value(kOptBase) : kDefaultBase;
        if (!Ipv4Text::isAddress(strBase))
            return fail(QStringLiteral("--base-address is not an IPv4 address: ") + strBase);
        for (int nCamera = 0; nCamera < m_stConfig.nCameras; ++nCamera)
            m_stConfig.listAddresses << Ipv4Text::fromNumber(Ipv4Text::toNumber(strBase) + quint32(nCamera));
    }
    for (const QString &strAddress : qAsConst(m_stConfig.listAddresses)) {
        if (!Ipv4Text::isAddress(strAddress))
            return fail(QStringLiteral("not an IPv4 address: ") + strAddress);
    }
    if (m_stConfig.listAddresses.isEmpty() || m_stConfig.nCameras > kMaxCameras)
        return fail(QStringLiteral("between 1 and 250 cameras are needed"));
    if (m_stConfig.bSharedAddress) {
        if (m_stConfig.nCameras < 2)
            return fail(QStringLiteral("--shared-address needs at least 2 cameras"));
        m_stConfig.listAddresses[1] = m_stConfig.listAddresses.at(0);
    }
    if (m_stConfig.nSilentHttp > m_stConfig.nCameras)
        return fail(QStringLiteral("--silent-http is larger than the number of cameras"));
    return true;
}

bool CamSimOptions::readNetwork()
{
    m_stConfig.strInterface = m_parser.value(kOptInterface);
    if (m_stConfig.strInterface.isEmpty() && !m_stConfig.bPrintAddresses)
        return fail(QStringLiteral("--interface is required: the search group is joined on that interface only"));
    m_stConfig.strSubMask = m_parser.isSet(kOptMask) ? m_parser.value(kOptMask) : kDefaultMask;
    if (!Ipv4Text::isMask(m_stConfig.strSubMask))
        return fail(QStringLiteral("--mask is not a subnet mask: ") + m_stConfig.strSubMask);
    const quint32 nNetwork = Ipv4Text::toNumber(m_stConfig.listAddresses.at(0)) & Ipv4Text::toNumber(m_stConfig.strSubMask);
    m_stConfig.strGateway = m_parser.isSet(kOptGateway) ? m_parser.value(kOptGateway) : Ipv4Text::fromNumber(nNetwork + 1);
    if (!Ipv4Text::isAddress(m_stConfig.strGateway))
        return fail(QStringLiteral("--gateway is not an IPv4 address: ") + m_stConfig.strGateway);
    m_stConfig.strTrapAddress = m_parser.value(kOptTrap);
    if (!m_stConfig.strTrapAddress.isEmpty() && !Ipv4Text::isAddress(m_stConfig.strTrapAddress))
        return fail(QStringLiteral("--trap-address is not an IPv4 address: ") + m_stConfig.strTrapAddress);
    return true;
}

bool CamSimOptions::readPerCameraValues()
{
    return readPerCamera(kOptSetEnvStatus, m_stConfig.hashSetEnvStatus) && readPerCamera(kOptDelay, m_stConfig.hashDelayMs)
        && readPerCamera(kOptRebootStatus, m_stConfig.hashRebootStatus) && readPerCamera(kOptDownMs, m_stConfig.hashDownMs);
}

bool CamSimOptions::readHostileModes()
{
    for (const QString &strValue : m_parser.values(kOptHostile)) {
        const QStringList listParts = strValue.split(kCameraSeparator);
        HostileMode eMode = HostileMode::None;
        if (listParts.size() > 2 || !hostileModeFromName(listParts.at(0), eMode) || eMode == HostileMode::None)
            return fail(QStringLiteral("unknown --hostile mode: ") + strValue);
        int nCamera = CamSimConfig_S::kExtraCamera;
        bool bOk = true;
        if (listParts.size() == 2)
            nCamera = listParts.at(1).toInt(&bOk);
        if (!bOk || (listParts.size() == 2 && (nCamera < 0 || nCamera >= m_stConfig.nCameras)))
            return fail(QStringLiteral("--hostile names no regular camera: ") + strValue);
        m_stConfig.listHostile << qMakePair(eMode, nCamera);
    }
    return true;
}

bool CamSimOptions::readPerCamera(const QString &strOption, QHash<int, int> &hashValues)
{
    for (const QString &strValue : m_parser.values(strOption)) {
        const QStringList listParts = strValue.split(kCameraSeparator);
        bool bValueOk = false;
        bool bCameraOk = true;
        const int nValue = listParts.at(0).toInt(&bValueOk);
        const int nCamera = listParts.size() == 2 ? listParts.at(1).toInt(&bCameraOk) : CamSimConfig_S::kAllCameras;
        if (listParts.size() > 2 || !bValueOk || !bCameraOk || nCamera < CamSimConfig_S::kAllCameras || nCamera >= cameraCount())
            return fail(QStringLiteral("--%1 expects N or N:CAM, got %2").arg(strOption, strValue));
        if (strOption == kOptDelay && (nValue < 0 || nValue > kMaxDelayMs))
            return fail(QStringLiteral("--delay-ms out of range: ") + strValue);
        if (strOption == kOptDownMs && (nValue < CamSimConfig_S::kNeverBack || nValue > kMaxDelayMs))
            return fail(QStringLiteral("--down-ms out of range: ") + strValue);
        hashValues.insert(nCamera, nValue);
    }
    return true;
}

// Regular cameras, the extra hostile ones and the factory ones.
int CamSimOptions::cameraCount() const
{
    int nCount = m_stConfig.nCameras + m_stConfig.nFactoryCameras;
    for (const auto &pairHostile : m_stConfig.listHostile)
        nCount += pairHostile.second == CamSimConfig_S::kExtraCamera ? 1 : 0;
    return nCount;
}

bool CamSimOptions::readInt(const QString &strOption, int nMin, int nMax, int &nValue)
{
    if (!m_parser.isSet(strOption))
        return true;
    bool bOk = false;
    const int nRead = m_parser.value(strOption).toInt(&bOk);
    if (!bOk || nRead < nMin || nRead > nMax)
        return fail(QStringLiteral("--%1 expects a number from %2 to %3").arg(strOption).arg(nMin).arg(nMax));
    nValue = nRead;
    return true;
}

bool CamSimOptions::fail(const QString &strError)
{
    m_strError = strError;
    return false;
}
