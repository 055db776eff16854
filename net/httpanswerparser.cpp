#include "net/httpanswerparser.h"

#include <algorithm>

namespace {

constexpr char LINE_FEED = '\n';
constexpr char CARRIAGE_RETURN = '\r';
constexpr char STATUS_PREFIX[] = "HTTP/1.";
// "HTTP/1.x 200": the prefix, the minor version, a space and three digits.
constexpr int STATUS_LINE_MIN = 12;
constexpr int MINOR_VERSION_AT = 7;
constexpr int STATUS_CODE_AT = 9;
constexpr int STATUS_CODE_DIGITS = 3;
constexpr int STATUS_FIRST = 100;
constexpr int STATUS_LAST = 599;
constexpr int STATUS_FINAL_FIRST = 200;
constexpr int STATUS_SWITCHING = 101;
constexpr int STATUS_NO_CONTENT = 204;
constexpr int STATUS_NOT_MODIFIED = 304;
constexpr int DECIMAL_BASE = 10;
constexpr int HEX_BASE = 16;
// Digits a length may have: beyond 15 hex or 18 decimal digits a qint64 could overflow,
// and no limit comes near.
constexpr int MAX_DECIMAL_DIGITS = 18;
constexpr int MAX_HEX_DIGITS = 15;
constexpr char FIELD_SEPARATOR[] = ", ";
constexpr char CHUNK_EXTENSION = ';';

const QByteArray kContentLength("content-length");
const QByteArray kTransferEncoding("transfer-encoding");
const QByteArray kConnection("connection");
const QByteArray kChunked("chunked");
const QByteArray kClose("close");
const QByteArray kKeepAlive("keep-alive");

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexLetter(char c)
{
    return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// A number of at most nMaxDigits digits in base nBase; -1 when it is none.
qint64 parseNumber(const QByteArray &baText, int nBase, int nMaxDigits)
{
    if (baText.isEmpty() || baText.size() > nMaxDigits)
        return -1;
    for (char c : baText) {
        if (!isDigit(c) && (nBase != HEX_BASE || !isHexLetter(c)))
            return -1;
    }
    return baText.toLongLong(nullptr, nBase);
}

QList<QByteArray> lowerTokens(const QByteArray &baValue)
{
    QList<QByteArray> listTokens = baValue.toLower().split(',');
    for (QByteArray &baToken : listTokens)
        baToken = baToken.trimmed();
    return listTokens;
}

} // namespace

HttpAnswerParser::HttpAnswerParser(qint64 nMaxBodyBytes)
    : m_nMaxBodyBytes(nMaxBodyBytes)
{
}

void HttpAnswerParser::feed(const QByteArray &baBytes)
{
    if (m_state == Failed || baBytes.isEmpty())
        return;
    const char *pData = baBytes.constData();
    const char *pEnd = pData + baBytes.size();
    readFrom(pData, pEnd);
    if (m_state == Complete && pData < pEnd)
        m_bSurplus = true;
}

void HttpAnswerParser::endOfStream()
{
    if (m_state != Reading)
        return;
    if (m_stage == BodyToEnd)
        complete();
    else
        fail(Truncated);
}

HttpAnswerParser::State HttpAnswerParser::state() const
{
    return m_state;
}

HttpAnswerParser::Failure HttpAnswerParser::failure() const
{
    return m_failure;
}

int HttpAnswerParser::status() const
{
    return m_nStatus;
}

QByteArray HttpAnswerParser::body() const
{
    return m_baBody;
}

QByteArray HttpAnswerParser::header(const QByteArray &baName) const
{
    return fieldValues(baName.toLower()).join(FIELD_SEPARATOR);
}

bool HttpAnswerParser::keepsConnection() const
{
    if (m_state != Complete || m_bEndDelimited)
        return false;
    const QList<QByteArray> listTokens = lowerTokens(header(kConnection));
    if (listTokens.contains(kClose))
        return false;
    return m_nMinorVersion > 0 || listTokens.contains(kKeepAlive);
}

bool HttpAnswerParser::hasSurplus() const
{
    return m_bSurplus;
}

// The values of every field named @p baLowerName, in the order they came.
QList<QByteArray> HttpAnswerParser::fieldValues(const QByteArray &baLowerName) const
{
    QList<QByteArray> listValues;
    for (const auto &field : m_listFields) {
        if (field.first == baLowerName)
            listValues.append(field.second);
    }
    return listValues;
}

void HttpAnswerParser::readFrom(const char *&pData, const char *pEnd)
{
    while (pData < pEnd && m_state == Reading) {
        if (m_stage == FixedBody || m_stage == ChunkData || m_stage == BodyToEnd) {
            takeBody(pData, pEnd);
            continue;
        }
        QByteArray baLine;
        if (!takeLine(pData, pEnd, lineLimit(), &baLine))
            return;
        readLine(baLine);
    }
}

// Gathers bytes up to the next line feed; true with the whole line (its ending cut off)
// once it is there. A line that passes nMaxBytes, its ending included, fails the answer.
bool HttpAnswerParser::takeLine(const char *&pData, const char *pEnd, int nMaxBytes, QByteArray *pLine)
{
    const char *pFeed = std::find(pData, pEnd, LINE_FEED);
    const bool bWhole = pFeed != pEnd;
    const qint64 nTaken = (pFeed - pData) + (bWhole ? 1 : 0);
    if (m_baLine.size() + nTaken > nMaxBytes) {
        fail(m_stage == ChunkSize || m_stage == ChunkEnd ? Malformed : TooLarge);
        return false;
    }
    m_baLine.append(pData, int(pFeed - pData));
    pData += nTaken;
    if (!bWhole)
        return false;
    if (m_stage != ChunkSize && m_stage != ChunkEnd)
        m_nHeadBytes += m_baLine.size() + 1;
    if (m_baLine.endsWith(CARRIAGE_RETURN))
        m_baLine.chop(1);
    *pLine = m_baLine;
    m_baLine.clear();
    return true;
}

int HttpAnswerParser::lineLimit() const
{
    if (m_stage == ChunkSize || m_stage == ChunkEnd)
        return MAX_CHUNK_LINE_BYTES;
    return MAX_HEAD_BYTES - m_nHeadBytes;
}

void HttpAnswerParser::takeBody(const char *&pData, const char *pEnd)
{
    const qint64 nAvailable = pEnd - pData;
    const qint64 nTaken = m_stage == BodyToEnd ? nAvailable : qMin(nAvailable, m_nRemaining);
    addBody(pData, nTaken);
    pData += nTaken;
    if (m_state != Reading || m_stage == BodyToEnd)
        return;
    m_nRemaining -= nTaken;
    if (m_nRemaining > 0)
        return;
    if (m_stage == FixedBody)
        complete();
    else
        m_stage = ChunkEnd;
}

void HttpAnswerParser::readLine(const QByteArray &baLine)
{
    switch (m_stage) {
    case StatusLine:
        readStatusLine(baLine);
        return;
    case FieldLine:
        readFieldLine(baLine);
        return;
    case ChunkSize:
        readChunkSize(baLine);
        return;
    case ChunkEnd:
        readChunkEnd(baLine);
        return;
    case TrailerLine:
        readTrailerLine(baLine);
        return;
    default:
        return;
    }
}

void HttpAnswerParser::readStatusLine(const QByteArray &baLine)
{
    const bool bShaped = baLine.size() >= STATUS_LINE_MIN && baLine.startsWith(STATUS_PREFIX)
        && isDigit(baLine.at(MINOR_VERSION_AT)) && isBlank(baLine.at(STATUS_CODE_AT - 1))
        && (baLine.size() == STATUS_LINE_MIN || isBlank(baLine.at(STATUS_LINE_MIN)));
    const int nStatus = bShaped ? int(parseNumber(baLine.mid(STATUS_CODE_AT, STATUS_CODE_DIGITS), DECIMAL_BASE,
                                                  STATUS_CODE_DIGITS))
                                : -1;
    if (nStatus < STATUS_FIRST || nStatus > STATUS_LAST) {
        fail(Malformed);
        return;
    }
    m_nMinorVersion = baLine.at(MINOR_VERSION_AT) - '0';
    m_nStatus = nStatus;
    m_stage = FieldLine;
}

void HttpAnswerParser::readFieldLine(const QByteArray &baLine)
{
    if (baLine.isEmpty()) {
        startBody();
        return;
    }
    const int nColon = baLine.indexOf(':');
    const QByteArray baName = baLine.left(nColon);
    if (nColon <= 0 || isBlank(baLine.at(0)) || baName.contains(' ') || baName.contains('\t')) {
        fail(Malformed);
        return;
    }
    m_listFields.append(qMakePair(baName.toLower(), baLine.mid(nColon + 1).trimmed()));
}

void HttpAnswerParser::readChunkSize(const QByteArray &baLine)
{
    const int nExtension = baLine.indexOf(CHUNK_EXTENSION);
    const qint64 nSize = parseNumber((nExtension < 0 ? baLine : baLine.left(nExtension)).trimmed(), HEX_BASE,
                                     MAX_HEX_DIGITS);
    if (nSize < 0) {
        fail(Malformed);
        return;
    }
    startChunk(nSize);
}

void HttpAnswerParser::readChunkEnd(const QByteArray &baLine)
{
    if (!baLine.isEmpty()) {
        fail(Malformed);
        return;
    }
    m_stage = ChunkSize;
}

void HttpAnswerParser::readTrailerLine(const QByteArray &baLine)
{
    if (baLine.isEmpty())
        complete();
}

// The head is over: skips an interim answer, or chooses how the body is delimited.
void HttpAnswerParser::startBody()
{
    if (m_nStatus < STATUS_FINAL_FIRST) {
        if (m_nStatus == STATUS_SWITCHING) {
            fail(Malformed);
            return;
        }
        m_listFields.clear();
        m_nStatus = 0;
        m_stage = StatusLine;
        return;
    }
    if (m_nStatus == STATUS_NO_CONTENT || m_nStatus == STATUS_NOT_MODIFIED) {
        complete();
        return;
    }
    const QList<QByteArray> listCodings = fieldValues(kTransferEncoding);
    if (!listCodings.isEmpty()) {
        if (listCodings.size() == 1 && listCodings.first().toLower() == kChunked)
            m_stage = ChunkSize;
        else
            fail(Malformed);
        return;
    }
    const QList<QByteArray> listLengths = fieldValues(kContentLength);
    if (listLengths.isEmpty()) {
        m_bEndDelimited = true;
        m_stage = BodyToEnd;
        return;
    }
    frameByLength(listLengths);
}

// Repeated lengths must agree.
void HttpAnswerParser::frameByLength(const QList<QByteArray> &listLengths)
{
    const qint64 nLength = parseNumber(listLengths.first(), DECIMAL_BASE, MAX_DECIMAL_DIGITS);
    if (nLength < 0 || listLengths.count(listLengths.first()) != listLengths.size()) {
        fail(Malformed);
    } else if (nLength > m_nMaxBodyBytes) {
        fail(TooLarge);
    } else if (nLength == 0) {
        complete();
    } else {
        m_nRemaining = nLength;
        m_stage = FixedBody;
    }
}

void HttpAnswerParser::startChunk(qint64 nSize)
{
    if (nSize == 0) {
        m_stage = TrailerLine;
    } else if (m_baBody.size() + nSize > m_nMaxBodyBytes) {
        fail(TooLarge);
    } else {
        m_nRemaining = nSize;
        m_stage = ChunkData;
    }
}

void HttpAnswerParser::addBody(const char *pData, qint64 nSize)
{
    if (m_baBody.size() + nSize > m_nMaxBodyBytes) {
        fail(TooLarge);
        return;
    }
    m_baBody.append(pData, int(nSize));
}

void HttpAnswerParser::complete()
{
    m_state = Complete;
    m_stage = Done;
}

// What was read is dropped at once: a failed answer is never used.
void HttpAnswerParser::fail(Failure failure)
{
    m_state = Failed;
    m_failure = failure;
    m_stage = Done;
    m_baBody = QByteArray();
    m_baLine = QByteArray();
}
