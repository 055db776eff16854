#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

/**
 * Reads one HTTP/1.x answer as its bytes arrive, in pieces of any size: the status line,
 * the header fields and the body, delimited by Content-Length, by chunks
 * ("Transfer-Encoding: chunked", trailers read and dropped) or by the end of the stream.
 *
 * Interim answers (1xx) are skipped, their fields dropped; "101 Switching Protocols" is
 * refused as malformed, since no request asks to switch. 204 and 304 carry no body. Lines
 * may end in CRLF or a bare LF. Folded header lines, a field without a colon, a bad status
 * line, a bad or contradicting Content-Length, a chunk size that is no hex number and any
 * transfer coding but "chunked" make the answer malformed.
 *
 * Limits, enforced as the bytes arrive: the body may hold at most the size given to the
 * constructor (a larger Content-Length or chunk size fails at once, before its bytes
 * come); the status lines and fields of the answer, interim answers and trailers
 * included, at most MAX_HEAD_BYTES; a chunk size line at most MAX_CHUNK_LINE_BYTES. What
 * it holds is never much more than that.
 *
 * Once the answer is complete or has failed, later bytes are not read; bytes after a
 * complete answer are noted (hasSurplus()): the connection then carries something that
 * belongs to no request.
 */
class HttpAnswerParser
{
public:
    enum State {
        Reading,  ///< more bytes are needed
        Complete, ///< the whole answer has been read
        Failed,   ///< the answer cannot be read; see failure()
    };
    enum Failure {
        NoFailure,
        Malformed, ///< not an HTTP/1.x answer, or framed in a way this parser refuses
        TooLarge,  ///< the body or the head passes its limit
        Truncated, ///< the stream ended before the answer did
    };

    /// Status lines, header fields and trailers together, interim answers included.
    static constexpr int MAX_HEAD_BYTES = 64 * 1024;
    /// One chunk size line, extensions included.
    static constexpr int MAX_CHUNK_LINE_BYTES = 1024;

    /// A parser for one answer whose body may hold at most @p nMaxBodyBytes.
    explicit HttpAnswerParser(qint64 nMaxBodyBytes);

    /// Reads the next @p baBytes of the stream.
    void feed(const QByteArray &baBytes);
    /// The stream has ended: completes an answer delimited by the end, fails one cut short.
    void endOfStream();

    State state() const;
    Failure failure() const;
    /// The status code of the final answer; 0 before its status line has been read.
    int status() const;
    /// The body read so far; emptied when the answer fails.
    QByteArray body() const;
    /// The value of the field @p baName (any case), values of repeated fields joined by
    /// ", "; empty when absent.
    QByteArray header(const QByteArray &baName) const;
    /// True when the connection may carry another request after this answer: HTTP/1.1
    /// without "Connection: close", or HTTP/1.0 with "Connection: keep-alive", and a body
    /// not delimited by the end of the stream.
    bool keepsConnection() const;
    /// True when bytes arrived after the complete answer.
    bool hasSurplus() const;

private:
    enum Stage { StatusLine, FieldLine, FixedBody, ChunkSize, ChunkData, ChunkEnd, TrailerLine, BodyToEnd, Done };

    QList<QByteArray> fieldValues(const QByteArray &baLowerName) const;
    void readFrom(const char *&pData, const char *pEnd);
    bool takeLine(const char *&pData, const char *pEnd, int nMaxBytes, QByteArray *pLine);
    int lineLimit() const;
    void takeBody(const char *&pData, const char *pEnd);
    void readLine(const QByteArray &baLine);
    void readStatusLine(const QByteArray &baLine);
    void readFieldLine(const QByteArray &baLine);
    void readChunkSize(const QByteArray &baLine);
    void readChunkEnd(const QByteArray &baLine);
    void readTrailerLine(const QByteArray &baLine);
    void startBody();
    void frameByLength(const QList<QByteArray> &listLengths);
    void startChunk(qint64 nSize);
    void addBody(const char *pData, qint64 nSize);
    void complete();
    void fail(Failure failure);

    QList<QPair<QByteArray, QByteArray>> m_listFields;
    QByteArray m_baLine;
    QByteArray m_baBody;
    qint64 m_nMaxBodyBytes = 0;
    qint64 m_nRemaining = 0;
    int m_nHeadBytes = 0;
    int m_nStatus = 0;
    int m_nMinorVersion = 0;
    Stage m_stage = StatusLine;
    State m_state = Reading;
    Failure m_failure = NoFailure;
    bool m_bEndDelimited = false;
    bool m_bSurplus = false;
};
