// The bytes a camera's connection carries after a request, read by the parser of HTTP
// answers: the first byte tells how (its low 7 bits plus 1 give the size of the pieces the
// bytes arrive in; its high bit, that the stream ends after them), the rest is the stream.

#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "net/httpanswerparser.h"
#include "tests/fuzz/fuzzsupport.h"

namespace {

constexpr qint64 kMaxBodyBytes = 64; // small, so that the limit is reached often
constexpr int kPieceMask = 0x7f;
constexpr int kEndedBit = 0x80;

HttpAnswerParser parse(const QByteArray &baStream, int nPiece, bool bEnded)
{
    HttpAnswerParser parser(kMaxBodyBytes);
    for (int nAt = 0; nAt < baStream.size(); nAt += nPiece)
        parser.feed(baStream.mid(nAt, nPiece));
    if (bEnded)
        parser.endOfStream();
    return parser;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    fuzzSetUpProcess(pArgc, pArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *pData, std::size_t nSize)
{
    if (nSize == 0)
        return 0;
    const bool bEnded = (pData[0] & kEndedBit) != 0;
    const QByteArray baStream(reinterpret_cast<const char *>(pData) + 1, int(nSize) - 1);
    const HttpAnswerParser pieces = parse(baStream, (pData[0] & kPieceMask) + 1, bEnded);
    const HttpAnswerParser whole = parse(baStream, qMax(1, baStream.size()), bEnded);

    fuzzCheck(pieces.state() == whole.state() && pieces.failure() == whole.failure() && pieces.status() == whole.status()
                  && pieces.body() == whole.body() && pieces.keepsConnection() == whole.keepsConnection()
                  && pieces.hasSurplus() == whole.hasSurplus(),
              "the pieces the bytes arrive in change nothing");
    fuzzCheck(pieces.body().size() <= kMaxBodyBytes, "the body never passes its limit");
    fuzzCheck(pieces.state() != HttpAnswerParser::Complete || (pieces.status() >= 200 && pieces.status() <= 599),
              "a complete answer carries a final status");
    fuzzCheck(pieces.state() != HttpAnswerParser::Failed || pieces.body().isEmpty(), "a failed answer keeps no body");
    fuzzCheck(!pieces.keepsConnection() || pieces.state() == HttpAnswerParser::Complete,
              "only a complete answer keeps the connection");
    fuzzCheck(!bEnded || pieces.state() != HttpAnswerParser::Reading, "the end of the stream ends the answer");
    return 0;
}
