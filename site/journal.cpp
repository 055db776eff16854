#include "site/journal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include "site/writefailure.h"

namespace {

struct EventName_S
{
    Journal::Event eEvent;
    const char *szText;
};

constexpr EventName_S kEventNames[] = {
    {Journal::Event::WriteSent, "write-sent"},
    {Journal::Event::Written, "written"},
    {Journal::Event::Refused, "refused"},
    {Journal::Event::Failed, "failed"},
    {Journal::Event::Unknown, "unknown"},
    {Journal::Event::Rebooted, "rebooted"},
    {Journal::Event::RebootRefused, "reboot-refused"},
    {Journal::Event::RebootFailed, "reboot-failed"},
    {Journal::Event::Back, "back"},
    {Journal::Event::NotSeen, "not-seen"},
    {Journal::Event::OtherCamera, "other-camera"},
};

const QString kFileName = QStringLiteral("journal.jsonl");
const QString kRotatedName = QStringLiteral("journal.%1.jsonl");
const QString kMsgNoFolder = QStringLiteral("the journal's folder %1 cannot be made");
const QString kMsgCannotOpen = QStringLiteral("the journal %1 cannot be opened: %2");
const QString kMsgCannotWrite = QStringLiteral("the journal %1 cannot be written: %2");
constexpr char kLineEnd = '\n';

QJsonObject settingsObject(const Journal::Settings_S &stSettings)
{
    return {{QStringLiteral("address"), stSettings.strAddress},
            {QStringLiteral("mask"), stSettings.strMask},
            {QStringLiteral("gateway"), stSettings.strGateway},
            {QStringLiteral("dhcp"), stSettings.bDhcp}};
}

QByteArray journalLine(const Journal::Entry_S &stEntry)
{
    const QJsonObject object = {
        {QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)},
        {QStringLiteral("local"), stEntry.strLocal},
        {QStringLiteral("mac"), stEntry.strMac},
        {QStringLiteral("reachedAt"), stEntry.strReachedAt},
        {QStringLiteral("before"), settingsObject(stEntry.stBefore)},
        {QStringLiteral("after"), settingsObject(stEntry.stAfter)},
        {QStringLiteral("event"), Journal::eventText(stEntry.eEvent)},
        {QStringLiteral("detail"), stEntry.strDetail},
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + kLineEnd;
}

} // namespace

Journal::Journal(QObject *pParent)
    : QObject(pParent)
    , m_strFolder(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
{
}

QString Journal::folderPath() const
{
    return m_strFolder;
}

void Journal::setFolderPath(const QString &strPath)
{
    m_strFolder = strPath;
}

QString Journal::filePath() const
{
    return QDir(m_strFolder).filePath(kFileName);
}

void Journal::setMaxBytes(qint64 nBytes)
{
    m_nMaxBytes = nBytes;
}

qint64 Journal::maxBytes() const
{
    return m_nMaxBytes;
}

void Journal::record(const Entry_S &stEntry)
{
    QString strReason;
    const bool bWritten = append(journalLine(stEntry), &strReason);
    const bool bNewFault = !bWritten && !m_bUnwritable;
    m_bUnwritable = !bWritten;
    if (bNewFault)
        emit sigUnwritable(strReason);
}

QString Journal::eventText(Event eEvent)
{
    for (const EventName_S &stName : kEventNames) {
        if (stName.eEvent == eEvent)
            return QString::fromLatin1(stName.szText);
    }
    return QString();
}

QString Journal::rotatedPath(int nGeneration) const
{
    return QDir(m_strFolder).filePath(kRotatedName.arg(nGeneration));
}

// Shifts every file one generation back, dropping the oldest. A rename that fails leaves the
// current file to grow on: the record matters more than the bound.
void Journal::rotateIfFull(qint64 nLineBytes)
{
    const qint64 nSize = QFileInfo(filePath()).size();
    if (nSize == 0 || nSize + nLineBytes <= m_nMaxBytes)
        return;
    QFile::remove(rotatedPath(kKeptFiles));
    for (int nGeneration = kKeptFiles - 1; nGeneration > 0; --nGeneration)
        QFile::rename(rotatedPath(nGeneration), rotatedPath(nGeneration + 1));
    QFile::rename(filePath(), rotatedPath(1));
}

// Unbuffered, the line reaches the system at once or the write fails here. A line cut short
// by a full disk is cut off again, so that the next line starts a line of its own.
bool Journal::append(const QByteArray &baLine, QString *pReason)
{
    if (!QDir().mkpath(m_strFolder)) {
        *pReason = kMsgNoFolder.arg(m_strFolder);
        return false;
    }
    rotateIfFull(baLine.size());
    QFile file(filePath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *pReason = kMsgCannotOpen.arg(file.fileName(), file.errorString());
        return false;
    }
    const qint64 nSizeBefore = file.size();
    const qint64 nWritten = file.write(baLine);
    if (nWritten == baLine.size())
        return true;
    *pReason = kMsgCannotWrite.arg(file.fileName(), writeFailureText(file, nWritten, baLine.size()));
    file.resize(nSizeBefore);
    return false;
}
