#include "site/planfile.h"

#include <QFile>
#include <QHash>
#include <QStringList>
#include <QTextCodec>

#include <algorithm>

#include "site/macaddress.h"

namespace {

constexpr char kUtf8[] = "UTF-8";
constexpr qint64 kBytesPerKiB = 1024;
constexpr QChar kQuote = QLatin1Char('"');
constexpr QChar kLineFeed = QLatin1Char('\n');
constexpr QChar kSeparators[] = {QLatin1Char(','), QLatin1Char(';')};

const QString kMac = QStringLiteral("mac");
const QString kAddress = QStringLiteral("address");
const QString kMask = QStringLiteral("mask");
const QString kGateway = QStringLiteral("gateway");
const QString kLabel = QStringLiteral("label");
const QStringList kRequiredColumns = {kMac, kAddress, kMask, kGateway};

const QString kMsgUnreadable = QStringLiteral("cannot read %1: %2");
const QString kMsgTooLarge = QStringLiteral("not a plan: the file is larger than %1 KiB");
const QString kMsgBinary = QStringLiteral("not a plan: the file holds binary data, not UTF-8 text");
const QString kMsgNoHeader =
    QStringLiteral("not a plan: no header row naming the columns mac, address, mask and gateway once each");
const QString kMsgNoLines = QStringLiteral("the plan has no lines below its header");
const QString kMsgFieldCount = QStringLiteral("%1 fields where the header has %2");
const QString kMsgMissing = QStringLiteral("no %1");
const QString kMsgBadMac = QStringLiteral("bad MAC %1");
const QString kMsgUnclosedQuote = QStringLiteral("a quote is not closed");

// One CSV record: its fields, blanks around them dropped, and the line it begins on.
struct Record_S
{
    int nLine = 0;
    QStringList listFields;
    bool bUnclosedQuote = false;
};

void appendUnlessBlank(const Record_S &stRecord, QList<Record_S> *pRecords)
{
    const auto isEmpty = [](const QString &strField) { return strField.isEmpty(); };
    if (stRecord.bUnclosedQuote || !std::all_of(stRecord.listFields.cbegin(), stRecord.listFields.cend(), isEmpty))
        pRecords->append(stRecord);
}

// Splits @p strText into records, leaving out those of blank fields only. A quote opens a
// quoted field only at a field's start; in one, a doubled quote stands for a quote, and
// separators and line feeds are text.
QList<Record_S> csvRecords(const QString &strText, QChar chSeparator)
{
    QList<Record_S> listRecords;
    Record_S stRecord;
    stRecord.nLine = 1;
    int nLine = stRecord.nLine;
    QString strField;
    bool bQuoted = false;
    for (int nAt = 0; nAt < strText.size(); ++nAt) {
        const QChar ch = strText.at(nAt);
        if (bQuoted && ch != kQuote) {
            strField += ch;
            nLine += int(ch == kLineFeed);
        } else if (bQuoted && nAt + 1 < strText.size() && strText.at(nAt + 1) == kQuote) {
            strField += kQuote;
            ++nAt;
        } else if (bQuoted) {
            bQuoted = false;
        } else if (ch == kQuote && strField.trimmed().isEmpty()) {
            bQuoted = true;
            strField.clear();
        } else if (ch == chSeparator || ch == kLineFeed) {
            stRecord.listFields.append(strField.trimmed());
            strField.clear();
            if (ch == kLineFeed) {
                appendUnlessBlank(stRecord, &listRecords);
                stRecord = Record_S();
                stRecord.nLine = ++nLine;
            }
        } else {
            strField += ch;
        }
    }
    stRecord.listFields.append(strField.trimmed());
    stRecord.bUnclosedQuote = bQuoted;
    appendUnlessBlank(stRecord, &listRecords);
    return listRecords;
}

// The header: the column of each known name, and the number of fields.
struct Header_S
{
    QHash<QString, int> hashColumns; ///< empty when no header names every required column once
    int nFields = 0;
};

// @p listFields as a header: every required name once, in any letter case, "label" at most
// once; other names, blank ones too, are ignored.
Header_S headerOf(const QStringList &listFields)
{
    static const QStringList s_listKnown = kRequiredColumns + QStringList{kLabel};
    Header_S stHeader;
    stHeader.nFields = listFields.size();
    for (int nColumn = 0; nColumn < listFields.size(); ++nColumn) {
        const QString strName = listFields.at(nColumn).toLower();
        if (!s_listKnown.contains(strName))
            continue;
        if (stHeader.hashColumns.contains(strName))
            return {};
        stHeader.hashColumns.insert(strName, nColumn);
    }
    for (const QString &strName : kRequiredColumns) {
        if (!stHeader.hashColumns.contains(strName))
            return {};
    }
    return stHeader;
}

// Why @p stRecord cannot be a line of the plan with @p stHeader; empty when it can, and then
// *pLine holds it.
QString lineOf(const Record_S &stRecord, const Header_S &stHeader, PlanFile::Line_S *pLine)
{
    if (stRecord.bUnclosedQuote)
        return kMsgUnclosedQuote;
    const QStringList &listFields = stRecord.listFields;
    if (listFields.size() != stHeader.nFields)
        return kMsgFieldCount.arg(listFields.size()).arg(stHeader.nFields);
    const QHash<QString, int> &hashColumns = stHeader.hashColumns;
    for (const QString &strName : kRequiredColumns) {
        if (listFields.at(hashColumns.value(strName)).isEmpty())
            return kMsgMissing.arg(strName);
    }
    const QString strMac = listFields.at(hashColumns.value(kMac));
    pLine->nLine = stRecord.nLine;
    pLine->strMac = MacAddress::cameraForm(strMac);
    if (pLine->strMac.isEmpty())
        return kMsgBadMac.arg(strMac);
    pLine->strAddress = listFields.at(hashColumns.value(kAddress));
    pLine->strMask = listFields.at(hashColumns.value(kMask));
    pLine->strGateway = listFields.at(hashColumns.value(kGateway));
    pLine->strLabel = hashColumns.contains(kLabel) ? listFields.at(hashColumns.value(kLabel)) : QString();
    return QString();
}

// Reads @p baBytes as UTF-8 text into *pText; false when they hold a NUL byte or are no UTF-8.
// The codec drops a leading byte order mark.
bool readUtf8(const QByteArray &baBytes, QString *pText)
{
    if (baBytes.contains('\0'))
        return false;
    QTextCodec::ConverterState state;
    *pText = QTextCodec::codecForName(kUtf8)->toUnicode(baBytes.constData(), baBytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0;
}

} // namespace

PlanFile PlanFile::read(const QString &strPath)
{
    QFile file(strPath);
    if (!file.open(QIODevice::ReadOnly))
        return refused(kMsgUnreadable.arg(strPath, file.errorString()));
    // One byte past the bound tells a file too large, whatever its size or kind.
    return parse(file.read(kMaxBytes + 1));
}

PlanFile PlanFile::parse(const QByteArray &baBytes)
{
    if (baBytes.size() > kMaxBytes)
        return refused(kMsgTooLarge.arg(kMaxBytes / kBytesPerKiB));
    QString strText;
    if (!readUtf8(baBytes, &strText))
        return refused(kMsgBinary);
    PlanFile planFile;
    planFile.readText(strText);
    return planFile;
}

QString PlanFile::error() const
{
    return m_strError;
}

QList<PlanFile::Line_S> PlanFile::lines() const
{
    return m_listLines;
}

QList<PlanFile::Refusal_S> PlanFile::refusals() const
{
    return m_listRefusals;
}

PlanFile PlanFile::refused(const QString &strError)
{
    PlanFile planFile;
    planFile.m_strError = strError;
    return planFile;
}

// The separator is the one with which the first non-empty line names the required columns.
void PlanFile::readText(const QString &strText)
{
    for (const QChar chSeparator : kSeparators) {
        QList<Record_S> listRecords = csvRecords(strText, chSeparator);
        if (listRecords.isEmpty())
            break;
        const Header_S stHeader = headerOf(listRecords.takeFirst().listFields);
        if (stHeader.hashColumns.isEmpty())
            continue;
        for (const Record_S &stRecord : qAsConst(listRecords)) {
            Line_S stLine;
            const QString strReason = lineOf(stRecord, stHeader, &stLine);
            if (strReason.isEmpty())
                m_listLines.append(stLine);
            else
                m_listRefusals.append({stRecord.nLine, strReason});
        }
        if (listRecords.isEmpty())
            m_strError = kMsgNoLines;
        return;
    }
    m_strError = kMsgNoHeader;
}
