#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class MainModel;

/**
 * What the model side sees of a device transport: it is told where to deliver replies,
 * and hands every successful reply body on with its routing pair (kind, flag) and the
 * device address.
 */
class CommunicationInterface : public QObject
{
    Q_OBJECT

public:
    explicit CommunicationInterface(QObject *parent = nullptr);

    /// Passes one reply to the receiver's onReply; dropped while no receiver is set.
    virtual void deliverReply(const QByteArray &baBody, int nKind, int nFlag, const QString &strIp) = 0;
    /// Stores the receiver of replies (not owned).
    virtual void setReceiver(MainModel *pReceiver) = 0;

protected:
    // Guarded, so that a reply finishing after the receiver is gone is dropped.
    QPointer<MainModel> m_pReceiver;
};
