#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include "core/devinfo_s.h"
#include "core/ethinfo_s.h"
#include "core/fwversion_s.h"
#include "core/quillbootsearch_s.h"

// The process-wide signal hub. Views and models never call each other: a producer takes
// the hub and emits one of these signals, and the controller has connected each signal to
// exactly one slot. The declaration order is the signal numbering and the wiring order.
class CommonSignal : public QObject
{
    Q_OBJECT

public:
    // The hub, created without a parent on the first call; safe from any thread.
    static CommonSignal *getInstance();

signals:
    void sigSearchNetwork(QString strIp);
    void sigSearchResult(QList<QuillbootSearch_S> listQuillbootSearch);
    void sigGetFwVersion(QString strIp);
    void sigUpdateFwVersion(QString strIp, FwVersion_S stFwVersion);
    void sigGetEnv(QString strIp);
    void sigUpdateEthInfo(QString strIp, EthInfo_S stEthInfo);
    void sigGetEnvFinished();
    void sigSetEthInfo(QString strIp, EthInfo_S stEthInfo);
    void sigSetEthStatus(QString strIp, int nStatus);
    void sigShowTips(int nType);
    void sigDevReboot(QString strIp);
    void sigSdkUpdateDevInfo(DevInfo_S stDev);
    void sigSdkGetInfoFinished();

private:
    explicit CommonSignal(QObject *parent = nullptr);
};
