#include <QtTest>

#include "net/httpanswerparser.h"

namespace {

constexpr qint64 kCap = 16;
const QByteArray kHead = "HTTP/1.1 200 OK\r\n";
const QByteArray kLongField = "X-Pad: " + QByteArray(HttpAnswerParser::MAX_HEAD_BYTES, 'p') + "\r\n";

// What a parser made of the bytes, after the end of the stream when bEnded.
QString verdict(const QByteArray &baAnswer, int nPiece, bool bEnded)
{
    HttpAnswerParser parser(kCap);
    for (int nAt = 0; nAt < baAnswer.size(); nAt += nPiece)
        parser.feed(baAnswer.mid(nAt, nPiece));
    if (bEnded)
        parser.endOfStream();
    const QStringList listStates{"reading", "complete", "failed"};
    const QStringList listFailures{"", "malformed", "too large", "truncated"};
    return QStringLiteral("%1%2 %3 [%4]%5%6")
        .arg(listStates.at(parser.state()), parser.failure() ? QLatin1Char(' ') + listFailures.at(parser.failure()) : QString())
        .arg(parser.status())
        .arg(QString::fromLatin1(parser.body()))
        .arg(parser.keepsConnection() ? QStringLiteral(" keep") : QString())
        .arg(parser.hasSurplus() ? QStringLiteral(" surplus") : QString());
}

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
    QTest::newRow("length, bare line feeds") << QByteArray("HTTP/1.1 200 OK\nContent-Length: 2\n\nok") << false
                                             << "complete 200 [ok] keep";
    QTest::newRow("chunked, extension, trailer")
        << kHead + "Transfer-Encoding: Chunked\r\n\r\n2;x=y\r\nab\r\nA\r\n0123456789\r\n0\r\nT: 1\r\n\r\n" << false
        << "complete 200 [ab0123456789] keep";
    QTest::newRow("until the close") << kHead + "\r\nall of it" << true << "complete 200 [all of it]";
    QTest::newRow("until the close, still open") << kHead + "\r\npart" << false << "reading 200 [part]";
    QTest::newRow("connection: close") << kHead + "Connection: Close\r\nContent-Length: 0\r\n\r\n" << false
                                       << "complete 200 []";
    QTest::newRow("HTTP/1.0") << QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n") << false
                              << "complete 200 []";
    QTest::newRow("HTTP/1.0 keep-alive") << QByteArray("HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 0\r\n\r\n")
                                         << false << "complete 200 [] keep";
    QTest::newRow("interim answers skipped")
        << "HTTP/1.1 100 Continue\r\nContent-Length: 9\r\n\r\nHTTP/1.1 103 Early\r\n\r\n" + kHead + "Content-Length: 1\r\n\r\nx"
        << false << "complete 200 [x] keep";
    QTest::newRow("101 refused") << QByteArray("HTTP/1.1 101 Switching\r\n\r\n") << false << "failed malformed 101 []";
    QTest::newRow("204 without body") << QByteArray("HTTP/1.1 204 No Content\r\n\r\n") << false << "complete 204 [] keep";
    QTest::newRow("error status, no reason") << QByteArray("HTTP/1.1 503\r\nContent-Length: 1\r\n\r\n!") << false
                                             << "complete 503 [!] keep";
    QTest::newRow("bytes after the answer") << kHead + "Content-Length: 1\r\n\r\nxy" << false
                                            << "complete 200 [x] keep surplus";
    QTest::newRow("length over the cap") << kHead + "Content-Length: 17\r\n\r\n" << false << "failed too large 200 []";
    QTest::newRow("chunks over the cap") << kHead + "Transfer-Encoding: chunked\r\n\r\n8\r\n12345678\r\n9\r\n" << false
                                         << "failed too large 200 []";
    QTest::newRow("until the close, over the cap") << kHead + "\r\n" + QByteArray(17, 'b') << false
                                                   << "failed too large 200 []";
    QTest::newRow("head over its limit") << kHead + kLongField << false << "failed too large 200 []";
    QTest::newRow("cut short") << kHead + "Content-Length: 4\r\n\r\nbo" << true << "failed truncated 200 []";
    QTest::newRow("nothing at all") << QByteArray() << true << "failed truncated 0 []";
    QTest::newRow("no HTTP") << QByteArray("<html>\r\n") << false << "failed malformed 0 []";
    QTest::newRow("HTTP/2") << QByteArray("HTTP/2 200\r\n") << false << "failed malformed 0 []";
    QTest::newRow("status out of range") << QByteArray("HTTP/1.1 600 X\r\n") << false << "failed malformed 0 []";
    QTest::newRow("folded field") << kHead + "A: 1\r\n continued\r\n" << false << "failed malformed 200 []";
    QTest::newRow("field without colon") << kHead + "Nothing\r\n" << false << "failed malformed 200 []";
    QTest::newRow("lengths disagree") << kHead + "Content-Length: 1\r\nContent-Length: 2\r\n\r\n" << false
                                      << "failed malformed 200 []";
    QTest::newRow("signed length") << kHead + "Content-Length: +1\r\n\r\n" << false << "failed malformed 200 []";
    QTest::newRow("other transfer coding") << kHead + "Transfer-Encoding: gzip, chunked\r\n\r\n" << false
                                           << "failed malformed 200 []";
    QTest::newRow("bad chunk size") << kHead + "Transfer-Encoding: chunked\r\n\r\nzz\r\n" << false
                                    << "failed malformed 200 []";
    QTest::newRow("chunk without its line end") << kHead + "Transfer-Encoding: chunked\r\n\r\n1\r\nab\r\n" << false
                                                << "failed malformed 200 []";
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
