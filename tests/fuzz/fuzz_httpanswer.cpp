// The bytes a camera's connection carries after a request, read by the parser of HTTP
// answers: the first byte tells how (its low 7 bits plus 1 give the size of the pieces the
// bytes arrive in; its high bit, that the stream ends after them), the rest is the stream.

#include <QByteArray>

#include <cstddef>
#include <cstdint>

#include "net/httpanswerparser.h"
#include "tests/fuzz/fuzzsupport.h"

namespace {

// Small, so that the limit is reached often.
constexpr qint64 kMaxBodyBytes = 64;
constexpr int kHowBytes = 1;
constexpr int kPieceMask = 0x7f;
constexpr int kEndedBit = 0x80;
constexpr int kFinalFirst = 200;
constexpr int kStatusLast = 599;

HttpAnswerParser parse(const QByteArray &baStream, int nPiece, bool bEnded)
{
    HttpAnswerParser parser(kMaxBodyBytes);
    for (int nAt = 0; nAt < baStream.size(); nAt += nPiece)
        parser.feed(baStream.mid(nAt, nPiece));
    if (bEnded)
        parser.endOfStream();
    return parser;
}

bool sameAnswer(const HttpAnswerParser &first, const HttpAnswerParser &second)
{
    return first.state() == second.state() && first.failure() == second.failure() && first.status() == second.status()
        && first.body() == second.body() && first.keepsConnection() == second.keepsConnection()
        && first.hasSurplus() == second.hasSurplus();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *pArgc, char ***pArgv)
{
    fuzzSetUpProcess(pArgc, pArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *pData, std::size_t nSize)
{
    if (nSize < std::size_t(kHowBytes))
        return 0;
    const int nPiece = (pData[0] & kPieceMask) + 1;
    const bool bEnded = (pData[0] & kEndedBit) != 0;
    const QByteArray baStream(reinterpret_cast<const char *>(pData) + kHowBytes, int(nSize) - kHowBytes);

    const HttpAnswerParser pieces = parse(baStream, nPiece, bEnded);
    const HttpAnswerParser whole = parse(baStream, qMax(1, baStream.size()), bEnded);

    fuzzCheck(sameAnswer(pieces, whole), "the pieces the bytes arrive in change nothing");
    fuzzCheck(pieces.body().size() <= kMaxBodyBytes, "the body never passes its limit");
    fuzzCheck(pieces.state() != HttpAnswerParser::Complete
                  || (pieces.status() >= kFinalFirst && pieces.status() <= kStatusLast),
              "a complete answer carries a final status");
    fuzzCheck(pieces.state() != HttpAnswerParser::Failed || pieces.body().isEmpty(), "a failed answer keeps no body");
    fuzzCheck(!pieces.keepsConnection() || pieces.state() == HttpAnswerParser::Complete,
              "only a complete answer keeps the connection");
    fuzzCheck(!bEnded || pieces.state() != HttpAnswerParser::Reading, "the end of the stream ends the answer");
    return 0;
}
