#include <QtTest>

#include "net/httpanswerparser.h"

namespace {

constexpr qint64 kCap = 16;
const QByteArray kHead = "HTTP/1.1 200 OK\r\n";
const QByteArray kChunked = kHead + "Transfer-Encoding: chunked\r\n\r\n";
const QByteArray kEmpty = "Content-Length: 0\r\n\r\n";

// What a parser made of the bytes fed in pieces of nPiece, then of the stream's end when bEnded.
QString verdict(const QByteArray &baAnswer, int nPiece, bool bEnded)
{
    HttpAnswerParser parser(kCap);
    for (int nAt = 0; nAt < baAnswer.size(); nAt += nPiece)
        parser.feed(baAnswer.mid(nAt, nPiece));
    if (bEnded)
        parser.endOfStream();
    const char *aszStates[] = {"reading", "complete", "failed"};
    const char *aszFailures[] = {"", " malformed", " too large", " truncated"};
    return QString::asprintf("%s%s %d [%s]%s%s", aszStates[parser.state()], aszFailures[parser.failure()], parser.status(),
                             parser.body().constData(), parser.keepsConnection() ? " keep" : "", parser.hasSurplus() ? " surplus" : "");
}

const QString kOk = QStringLiteral("complete 200 [ok] keep");
const QString kEmptyKept = QStringLiteral("complete 200 [] keep");
const QString kTooLarge = QStringLiteral("failed too large 200 []");
const QString kMalformed = QStringLiteral("failed malformed 200 []");

} // namespace

class TestHttpAnswerParser : public QObject
{
    Q_OBJECT

private slots:
    void answers_data();
    void answers();
};

void TestHttpAnswerParser::answers_data()
{
    QTest::addColumn<QByteArray>("baAnswer");
    QTest::addColumn<bool>("bEnded");
    QTest::addColumn<QString>("strVerdict");

    QTest::newRow("length") << kHead + "Content-Length: 4\r\n\r\nbody" << false << "complete 200 [body] keep";
    QTest::newRow("bare line feeds") << QByteArray("HTTP/1.1 200 OK\nContent-Length: 2\n\nok") << false << kOk;
    QTest::newRow("chunks, extension, trailer")
        << kHead + "Transfer-Encoding: Chunked\r\n\r\n2;x=y\r\nok\r\n0\r\nT: 1\r\n\r\n" << false << kOk;
    QTest::newRow("until the close") << kHead + "\r\nall of it" << true << "complete 200 [all of it]";
    QTest::newRow("until the close, still open") << kHead + "\r\npart" << false << "reading 200 [part]";
    QTest::newRow("close") << kHead + "Connection: Close\r\n" + kEmpty << false << "complete 200 []";
    QTest::newRow("HTTP/1.0") << "HTTP/1.0 200 OK\r\n" + kEmpty << false << "complete 200 []";
    QTest::newRow("HTTP/1.0 keep-alive") << "HTTP/1.0 200 OK\r\nConnection: keep-alive\r\n" + kEmpty << false << kEmptyKept;
    QTest::newRow("interim answers skipped") << "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 103 Early\r\nContent-Length: 9\r\n\r\n"
                                                 + kHead + kEmpty << false << kEmptyKept;
    QTest::newRow("101 refused") << QByteArray("HTTP/1.1 101 Switching\r\n\r\n") << false << "failed malformed 101 []";
    QTest::newRow("204 without body") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << false << "complete 204 [] keep";
    QTest::newRow("no reason phrase") << "HTTP/1.1 503\r\n" + kEmpty << false << "complete 503 [] keep";
    QTest::newRow("bytes after the answer") << kHead + kEmpty + "x" << false << "complete 200 [] keep surplus";
    QTest::newRow("length over the cap") << kHead + "Content-Length: 17\r\n\r\n" << false << kTooLarge;
    QTest::newRow("chunks over the cap") << kChunked + "8\r\n12345678\r\n9\r\n" << false << kTooLarge;
    QTest::newRow("until the close, over the cap") << kHead + "\r\n" + QByteArray(17, 'b') << false << kTooLarge;
    QTest::newRow("head over its limit") << kHead + "X: " + QByteArray(HttpAnswerParser::MAX_HEAD_BYTES, 'p') << false << kTooLarge;
    QTest::newRow("cut short") << kHead + "Content-Length: 4\r\n\r\nbo" << true << "failed truncated 200 []";
    QTest::newRow("nothing at all") << QByteArray() << true << "failed truncated 0 []";
    QTest::newRow("no HTTP") << QByteArray("<html>\r\n") << false << "failed malformed 0 []";
    QTest::newRow("folded field") << kHead + "A: 1\r\n continued\r\n" << false << kMalformed;
    QTest::newRow("field without colon") << kHead + "Nothing\r\n" << false << kMalformed;
    QTest::newRow("lengths disagree") << kHead + "Content-Length: 1\r\nContent-Length: 2\r\n\r\n" << false << kMalformed;
    QTest::newRow("signed length") << kHead + "Content-Length: +1\r\n\r\n" << false << kMalformed;
    QTest::newRow("other coding") << kHead + "Transfer-Encoding: gzip, chunked\r\n\r\n" << false << kMalformed;
    QTest::newRow("bad chunk size") << kChunked + "zz\r\n" << false << kMalformed;
    QTest::newRow("chunk longer than said") << kChunked + "1\r\nab\r\n" << false << kMalformed;
}

// Fed whole, and one byte at a time: the same answer either way.
void TestHttpAnswerParser::answers()
{
    QFETCH(QByteArray, baAnswer);
    QFETCH(bool, bEnded);
    QFETCH(QString, strVerdict);

    QCOMPARE(verdict(baAnswer, qMax(1, baAnswer.size()), bEnded), strVerdict);
    QCOMPARE(verdict(baAnswer, 1, bEnded), strVerdict);
}

QTEST_GUILESS_MAIN(TestHttpAnswerParser)
#include "tst_httpanswerparser.moc"
