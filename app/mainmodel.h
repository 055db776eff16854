#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class ModifyModel;

/**
 * Owner of the model side and receiver of every successful HTTP reply. It creates the
 * device model (which registers the record types and owns the search socket) and deletes
 * it on destruction.
 */
class MainModel : public QObject
{
    Q_OBJECT

public:
    explicit MainModel(QObject *parent = nullptr);
    ~MainModel() override;

    ModifyModel *getModifyModel() const;

    /// Passes replies of kind 0, 1 or 2 unchanged to ModifyModel::dispatchReply; drops others.
    void onReply(const QByteArray &baBody, int nKind, int nFlag, const QString &strIp);

private:
    ModifyModel *m_pModifyModel = nullptr;
};
