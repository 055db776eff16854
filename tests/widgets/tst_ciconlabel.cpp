#include "widgets/ciconlabel.h"

#include "support/formchecks.h"

#include <QFile>
#include <QMovie>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {
const QString kSuccess = QStringLiteral(":/res/success.png");
const QString kFailed = QStringLiteral(":/res/failed.png");
const QString kClose = QStringLiteral(":/res/exit1.png");
const QString kWarn = QStringLiteral(":/res/warn.png");

// Two frames of 2 × 2 pixels, red then blue, looping.
const unsigned char kAnimatedGif[] = {
    0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x02, 0x00, 0x02, 0x00, 0xf0, 0x00, 0x00, 0xff,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x21,
    0xff, 0x0b, 0x4e, 0x45, 0x54, 0x53, 0x43, 0x41, 0x50, 0x45, 0x32, 0x2e, 0x30, 0x03,
    0x01, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x00,
    0x02, 0x02, 0x84, 0x51, 0x00, 0x21, 0xf9, 0x04, 0x00, 0x0a, 0x00, 0x00, 0x00, 0x2c,
    0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0x02, 0x00, 0x80, 0x00, 0x00, 0xff, 0x00, 0x00,
    0x00, 0x02, 0x02, 0x84, 0x51, 0x00, 0x3b};
} // namespace

class TestCIconLabel : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void firstIconShownAtOnce();
    void indexTakenModuloCount_data();
    void indexTakenModuloCount();
    void indexWithoutIconsChangesNothing();
    void gifPlaysAsMovie_data();
    void gifPlaysAsMovie();
    void stillImageReplacesMovie();
    void fixedSizeModeUsesLastLoadedSize();

private:
    QImage shownImage() const;
    QString writeGif(const QString &strName) const;

    std::unique_ptr<CIconLabel> m_pLabel;
    QTemporaryDir m_dir;
};

void TestCIconLabel::init()
{
    QVERIFY(m_dir.isValid());
    m_pLabel = std::make_unique<CIconLabel>();
    m_pLabel->resize(30, 30);
}

QImage TestCIconLabel::shownImage() const
{
    return m_pLabel->pixmap(Qt::ReturnByValue).toImage().convertToFormat(QImage::Format_ARGB32);
}

QString TestCIconLabel::writeGif(const QString &strName) const
{
    const QString strPath = m_dir.filePath(strName);
    QFile file(strPath);
    if (!file.open(QIODevice::WriteOnly))
        return QString();
    file.write(reinterpret_cast<const char *>(kAnimatedGif), sizeof(kAnimatedGif));
    return strPath;
}

void TestCIconLabel::firstIconShownAtOnce()
{
    m_pLabel->setIcons({kSuccess, kFailed});
    QCOMPARE(shownImage(), imageOf(kSuccess));
    QVERIFY(!m_pLabel->movie());
}

void TestCIconLabel::indexTakenModuloCount_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("expected");

    QTest::newRow("0") << 0 << kSuccess;
    QTest::newRow("1") << 1 << kFailed;
    QTest::newRow("2 wraps to 0") << 2 << kSuccess;
    QTest::newRow("3 wraps to 1") << 3 << kFailed;
    QTest::newRow("-1 wraps to 1") << -1 << kFailed;
}

void TestCIconLabel::indexTakenModuloCount()
{
    QFETCH(int, index);
    QFETCH(QString, expected);

    m_pLabel->setIcons({kSuccess, kFailed});
    m_pLabel->setIconIndex(index);
    QCOMPARE(shownImage(), imageOf(expected));
}

void TestCIconLabel::indexWithoutIconsChangesNothing()
{
    m_pLabel->setIconIndex(1);
    QVERIFY(m_pLabel->pixmap(Qt::ReturnByValue).isNull());
    QVERIFY(!m_pLabel->movie());
}

void TestCIconLabel::gifPlaysAsMovie_data()
{
    QTest::addColumn<QString>("fileName");

    QTest::newRow("lower case") << QStringLiteral("spin.gif");
    QTest::newRow("upper case") << QStringLiteral("spin.GIF");
    QTest::newRow("mixed case") << QStringLiteral("spin.Gif");
}

void TestCIconLabel::gifPlaysAsMovie()
{
    QFETCH(QString, fileName);

    const QString strGif = writeGif(fileName);
    QVERIFY(!strGif.isEmpty());
    m_pLabel->setIcons({kSuccess, strGif});
    m_pLabel->setIconIndex(1);

    QMovie *pMovie = m_pLabel->movie();
    QVERIFY(pMovie);
    QCOMPARE(pMovie->fileName(), strGif);
    QCOMPARE(pMovie->state(), QMovie::Running);
    QCOMPARE(pMovie->parent(), m_pLabel.get());
}

void TestCIconLabel::stillImageReplacesMovie()
{
    const QString strGif = writeGif(QStringLiteral("spin.gif"));
    m_pLabel->setIcons({strGif, kFailed});
    QPointer<QMovie> pMovie = m_pLabel->movie();
    QVERIFY(pMovie);

    m_pLabel->setIconIndex(1);
    QVERIFY(pMovie.isNull());
    QVERIFY(!m_pLabel->movie());
    QCOMPARE(shownImage(), imageOf(kFailed));
}

// The fixed size is that of the last image setIcons loaded, whichever icon is shown.
void TestCIconLabel::fixedSizeModeUsesLastLoadedSize()
{
    m_pLabel->setFixedSizeMode(true);
    m_pLabel->setIcons({kClose, kWarn});
    QCOMPARE(m_pLabel->minimumSize(), QSize(20, 20));
    QCOMPARE(m_pLabel->maximumSize(), QSize(20, 20));
    QCOMPARE(shownImage(), imageOf(kClose));
}

QTEST_MAIN(TestCIconLabel)
#include "tst_ciconlabel.moc"
