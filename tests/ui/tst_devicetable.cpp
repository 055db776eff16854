// Device table tooltips: a cut cell shows its whole text unless it has a tip of its own.

#include <QtTest>
#include <QHelpEvent>
#include <QToolTip>

#include "ui/devicetable.h"

namespace {
const QString kFirmware = QStringLiteral("V5.3.19,V4.14.97,V7.2.8");
const QString kOwnTip = QStringLiteral("waiting for the camera's settings");
} // namespace

class TestDeviceTable : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void tooltipOfCell_data();
    void tooltipOfCell();

private:
    QScopedPointer<DeviceTable> m_pTable;
};

void TestDeviceTable::init()
{
    m_pTable.reset(new DeviceTable);
    m_pTable->setRowCount(1);
    m_pTable->setColumnCount(1);
    m_pTable->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_pTable.data()));
}

// The tip goes before its table: it keeps the viewport it was shown for.
void TestDeviceTable::cleanup()
{
    QToolTip::hideText();
    QTRY_VERIFY(QToolTip::text().isEmpty());
    m_pTable.reset();
}

void TestDeviceTable::tooltipOfCell_data()
{
    QTest::addColumn<QString>("ownTip");
    QTest::addColumn<int>("fontGrowth"); // pixels added to the item's own font
    QTest::addColumn<int>("widthBeyondNeed");
    QTest::addColumn<QString>("expectedTip");
    QTest::newRow("a pixel short: whole text") << QString() << 0 << -1 << kFirmware;
    QTest::newRow("just fits: none") << QString() << 0 << 0 << QString();
    QTest::newRow("a pixel short in its own font: whole text") << QString() << 8 << -1 << kFirmware;
    QTest::newRow("a pixel short with its own tooltip: its own") << kOwnTip << 0 << -1 << kOwnTip;
}

void TestDeviceTable::tooltipOfCell()
{
    QFETCH(QString, ownTip);
    QFETCH(int, fontGrowth);
    QFETCH(int, widthBeyondNeed);
    auto *pItem = new QTableWidgetItem(kFirmware);
    pItem->setToolTip(ownTip);
    if (fontGrowth) {
        QFont font = m_pTable->font();
        font.setPixelSize(QFontInfo(font).pixelSize() + fontGrowth);
        pItem->setFont(font);
    }
    m_pTable->setItem(0, 0, pItem);
    // The width Qt's own size hint gives the column, margins included (public in the base).
    const QAbstractItemView *pView = m_pTable.data();
    m_pTable->setColumnWidth(0, pView->sizeHintForColumn(0) + widthBeyondNeed);
    const QPoint pos = m_pTable->visualItemRect(pItem).center();
    QHelpEvent event(QEvent::ToolTip, pos, m_pTable->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(m_pTable->viewport(), &event);
    QTEST(QToolTip::text(), "expectedTip");
}

QTEST_MAIN(TestDeviceTable)
#include "tst_devicetable.moc"
