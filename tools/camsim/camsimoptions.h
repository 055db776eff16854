#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include "tools/camsim/camsimconfig_s.h"

// The command line of kestrova-camsim. parse() fills config() or leaves the reason in
// errorText(); --help and --version are handled by QCommandLineParser (they exit).
class CamSimOptions
{
public:
    CamSimOptions();

    bool parse(const QStringList &listArguments);
    const CamSimConfig_S &config() const { return m_stConfig; }
    QString errorText() const { return m_strError; }

private:
    void addOptions();
    QStringList takeCameraFlags(const QStringList &listArguments);
    bool readCounts();
    bool readFraming();
    bool readServing();
    bool readFactory();
    bool readCloseAfterReply();
    bool readAddresses();
    bool readNetwork();
    bool readPerCameraValues();
    bool readHostileModes();
    bool readPerCamera(const QString &strOption, QHash<int, int> &hashValues);
    bool readInt(const QString &strOption, int nMin, int nMax, int &nValue);
    int cameraCount() const;
    bool fail(const QString &strError);

    QCommandLineParser m_parser;
    CamSimConfig_S m_stConfig;
    QString m_strError;
    QStringList m_listCloseAfterReplyCameras;
};
