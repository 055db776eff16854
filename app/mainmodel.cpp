#include "app/mainmodel.h"

#include "net/modifymodel.h"

namespace {
constexpr int KIND_FIRST = 0;
constexpr int KIND_LAST = 2;
} // namespace

MainModel::MainModel(QObject *parent)
    : QObject(parent)
    , m_pModifyModel(new ModifyModel)
{
}

MainModel::~MainModel()
{
    delete m_pModifyModel;
    m_pModifyModel = nullptr;
}

ModifyModel *MainModel::getModifyModel() const
{
    return m_pModifyModel;
}

void MainModel::onReply(const QByteArray &baBody, int nKind, int nFlag, const QString &strIp)
{
    if (nKind < KIND_FIRST || nKind > KIND_LAST)
        return;
    m_pModifyModel->dispatchReply(baBody, nKind, nFlag, strIp);
}
