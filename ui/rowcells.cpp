#include "ui/rowcells.h"

#include <QHBoxLayout>
#include <QTableWidget>
#include <QTimer>

#include "site/devicecolumns.h"
#include "site/devicerow.h"
#include "site/devicerowlist.h"
#include "ui/rowstatedelegate.h"
#include "widgets/cfontfamily.h"
#include "widgets/ctextbutton.h"
#include "widgets/toggleswitch.h"

namespace {

constexpr int kSwitchWidth = 30;
constexpr int kSwitchHeight = 15;
const QColor kShared("#FFE7C2");
const QColor kButtonText("#00B7FF");
const QColor kButtonTextDisabled("#7f7f7f");
const QString kSave = QStringLiteral("Save");
const QString kCancel = QStringLiteral("Cancel");
const QString kSaveName = QStringLiteral("saveBtn%1");
const QString kCancelName = QStringLiteral("cancelBtn%1");
const QString kStateTip = QStringLiteral("%1: %2");
const QString kInDoubt = QStringLiteral("The camera's address is in doubt until a search finds it: %1");

// Marks the program's own writes to cells and switches for as long as it lives.
class ProgramWrite
{
public:
    explicit ProgramWrite(int &nDepth)
        : m_nDepth(nDepth)
    {
        ++m_nDepth;
    }
    ~ProgramWrite() { --m_nDepth; }
    ProgramWrite(const ProgramWrite &) = delete;
    ProgramWrite &operator=(const ProgramWrite &) = delete;

private:
    int &m_nDepth;
};

QWidget *centredCell()
{
    auto *pCell = new QWidget;
    auto *pLayout = new QHBoxLayout(pCell);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->setAlignment(Qt::AlignCenter);
    return pCell;
}

} // namespace

RowCells::RowCells(QTableWidget *pTable, const DeviceRowList &rows, QObject *parent)
    : QObject(parent)
    , m_pTable(pTable)
    , m_rows(rows)
{
    connect(m_pTable, &QTableWidget::cellChanged, this, &RowCells::cellChanged);
}

void RowCells::clear()
{
    const ProgramWrite write(m_nProgramWrites);
    m_pTable->clearContents();
    m_pTable->setRowCount(0);
    m_nInserted = 0;
    m_nEnd = 0;
}

// One row-count change for the whole list: every inserted row would lay out again the cell
// widgets of all rows before it.
void RowCells::insert(int nFirst, int nCount)
{
    m_nInserted = nFirst;
    m_nEnd = nFirst + nCount;
    m_pTable->setRowCount(m_nEnd);
    m_pTable->viewport()->hide();
    insertNextSlice();
}

void RowCells::refresh(int nIndex)
{
    if (nIndex < m_nInserted)
        writeRow(m_rows.at(nIndex));
}

bool RowCells::isProgramWrite() const
{
    return m_nProgramWrites > 0;
}

bool RowCells::isInserting() const
{
    return m_nInserted < m_nEnd;
}

void RowCells::setButtonFontSize(int nSize)
{
    m_nButtonFontSize = nSize;
    for (int nIndex = 0; nIndex < m_nInserted; ++nIndex) {
        if (QWidget *pCell = m_pTable->cellWidget(nIndex, ColOperation)) {
            for (CTextButton *pButton : pCell->findChildren<CTextButton *>())
                pButton->setFontSize(nSize);
        }
    }
}

void RowCells::insertNextSlice()
{
    const int nSliceEnd = qMin(m_nInserted + ROWS_INSERTED_PER_TURN, m_nEnd);
    for (; m_nInserted < nSliceEnd && m_rows.at(m_nInserted); ++m_nInserted)
        insertRow(m_rows.at(m_nInserted));
    if (m_nInserted < m_nEnd && m_nInserted < m_rows.size()) {
        QTimer::singleShot(0, this, &RowCells::insertNextSlice);
        return;
    }
    m_nEnd = m_nInserted;
    QTimer::singleShot(0, m_pTable->viewport(), &QWidget::show);
    emit sigInserted();
}

// The switch alone edits DHCP: a text editor over it would only confuse.
void RowCells::insertRow(const DeviceRow *pRow)
{
    const ProgramWrite write(m_nProgramWrites);
    const int nIndex = pRow->index();
    setCell(nIndex, ColDhcp, QString(), false);
    setCell(nIndex, ColOperation, QString(), false);
    QWidget *pToggleCell = centredCell();
    pToggleCell->setFocusPolicy(Qt::NoFocus);
    ToggleSwitch *pSwitch = createSwitch(pRow, pToggleCell);
    QWidget *pOperationCell = centredCell();
    CTextButton *pSave = createRowButton(kSave, kSaveName, pRow, pOperationCell);
    CTextButton *pCancel = createRowButton(kCancel, kCancelName, pRow, pOperationCell);
    m_pTable->setCellWidget(nIndex, ColDhcp, pToggleCell);
    m_pTable->setCellWidget(nIndex, ColOperation, pOperationCell);
    emit sigRowWidgets(pSwitch, pSave, pCancel);
    writeRow(pRow);
}

// Only what changed is written: the table compares each value with the one it holds.
void RowCells::writeRow(const DeviceRow *pRow)
{
    const ProgramWrite write(m_nProgramWrites);
    const int nIndex = pRow->index();
    for (int nColumn : {ColNo, ColMac, ColFw})
        setCell(nIndex, nColumn, deviceCellText(pRow, nColumn), false);
    for (int nColumn : {ColIp, ColMask, ColGateway})
        setCell(nIndex, nColumn, deviceCellText(pRow, nColumn), true);
    QTableWidgetItem *pNo = ensureItem(nIndex, ColNo);
    pNo->setData(RowStateDelegate::RowStateRole, int(pRow->state()));
    const QString strName = rowStateName(pRow->state());
    pNo->setToolTip(pRow->reason().isEmpty() ? strName : kStateTip.arg(strName, pRow->reason()));
    QTableWidgetItem *pAddress = ensureItem(nIndex, ColIp);
    pAddress->setBackground(pRow->isShared() ? QBrush(kShared) : QBrush());
    pAddress->setToolTip(pRow->addressTip());
    if (QWidget *pCell = m_pTable->cellWidget(nIndex, ColDhcp))
        pCell->findChild<ToggleSwitch *>()->setChecked(pRow->shown().bDhcp);
    if (QWidget *pCell = m_pTable->cellWidget(nIndex, ColOperation)) {
        auto *pSave = pCell->findChild<CTextButton *>(kSaveName.arg(nIndex));
        pSave->setEnabled(pRow->canSave());
        pSave->setToolTip(pRow->isAnswered() && !pRow->canSave() ? kInDoubt.arg(pNo->toolTip()) : pRow->saveTip());
        pCell->findChild<CTextButton *>(kCancelName.arg(nIndex))->setEnabled(pRow->isAnswered());
    }
}

void RowCells::setCell(int nIndex, int nColumn, const QString &strText, bool bEditable)
{
    QTableWidgetItem *pItem = ensureItem(nIndex, nColumn);
    if (!bEditable && (pItem->flags() & Qt::ItemIsEditable))
        pItem->setFlags(pItem->flags() & ~Qt::ItemIsEditable);
    pItem->setText(strText);
}

QTableWidgetItem *RowCells::ensureItem(int nIndex, int nColumn)
{
    QTableWidgetItem *pItem = m_pTable->item(nIndex, nColumn);
    if (!pItem) {
        const ProgramWrite write(m_nProgramWrites);
        pItem = new QTableWidgetItem;
        pItem->setTextAlignment(Qt::AlignCenter);
        m_pTable->setItem(nIndex, nColumn, pItem);
    }
    return pItem;
}

ToggleSwitch *RowCells::createSwitch(const DeviceRow *pRow, QWidget *pParent)
{
    auto *pSwitch = new ToggleSwitch(pParent);
    pSwitch->setSwitchSize(kSwitchWidth, kSwitchHeight);
    pSwitch->setProperty(ROW_ID_PROPERTY, pRow->id());
    pParent->layout()->addWidget(pSwitch);
    return pSwitch;
}

// The colours are set after the weight: their state refresh then applies its own weight.
CTextButton *RowCells::createRowButton(const QString &strText, const QString &strName, const DeviceRow *pRow,
                                       QWidget *pParent)
{
    auto *pButton = new CTextButton(strText, pParent);
    pButton->setObjectName(strName.arg(pRow->index()));
    pButton->setProperty(ROW_ID_PROPERTY, pRow->id());
    pButton->setFontFamily(CFontFamily::getInstance()->family());
    pButton->setFontWeight(QFont::DemiBold);
    pButton->setFontSize(m_nButtonFontSize);
    pButton->setBorderWidth(0);
    pButton->setColors(Qt::transparent, Qt::transparent, Qt::transparent, Qt::transparent, kButtonText,
                       kButtonTextDisabled);
    pButton->setEnabled(false);
    pParent->layout()->addWidget(pButton);
    return pButton;
}

void RowCells::cellChanged(int nIndex, int nColumn)
{
    if (isProgramWrite() || nIndex >= m_nInserted)
        return;
    const QTableWidgetItem *pItem = m_pTable->item(nIndex, nColumn);
    emit sigCellEdited(nIndex, nColumn, pItem ? pItem->text() : QString());
}
