#pragma once

#include <QDateTime>
#include <QString>

#include "core/devinfo_s.h"
#include "site/rowstate.h"

/**
 * One camera row of the site: what one answer to the search became.
 *
 * It keeps the camera's record (the address it is reached at now in strIp; its settings and
 * firmware once they arrive), the values its editable cells show (the camera's until the
 * user edits one), how far its settings got, and its state with the reason.
 *
 * Everything that refers to a camera (a write, a reboot watch, a plan entry, a request
 * waiting for its reply) holds the row's id, which no other row of the same list ever has,
 * before or after: a new search can end such a reference but never redirect it. The index is
 * the row's place in the table, fixed for the row's life.
 */
class DeviceRow
{
public:
    /// How far the row's settings got.
    enum class Fill {
        Waiting,  ///< none yet
        Filled,   ///< from the camera's own reply
        Merged,   ///< completed from an SDK report: another camera at a shared address
        Unreached ///< another answer at an address whose HTTP reaches a camera shown above
    };

    /// The values the editable cells and the DHCP switch show.
    struct Shown_S
    {
        QString strAddress;
        QString strMask;
        QString strGateway;
        bool bDhcp = false;
    };

    /// The editable values, as bits of what the user has changed.
    enum EditedValue { EditedAddress = 1, EditedMask = 2, EditedGateway = 4, EditedDhcp = 8 };

    DeviceRow(quint64 nId, int nIndex, const QString &strAddress, int nPort);
    DeviceRow(const DeviceRow &) = delete;
    DeviceRow &operator=(const DeviceRow &) = delete;

    quint64 id() const;
    int index() const;

    /// The camera's record: strIp is the address it is reached at now.
    const DevInfo_S &record() const;
    DevInfo_S &record();
    /// The address the row is reached at (the record's strIp).
    QString address() const;
    QString mac() const;
    /// "ARM,camera,AF" versions, empty until they arrive.
    QString firmwareText() const;
    bool hasFirmware() const;

    const Shown_S &shown() const;
    /// Shows @p stShown; the user's edits are forgotten.
    void showValues(const Shown_S &stShown);
    /// Shows the camera's mask, gateway and DHCP state where the user has not edited them.
    void showSettings(const QString &strMask, const QString &strGateway, bool bDhcp);
    /// The user changed one editable value.
    void editAddress(const QString &strAddress);
    void editMask(const QString &strMask);
    void editGateway(const QString &strGateway);
    void editDhcp(bool bDhcp);
    bool isEdited(EditedValue value) const;
    /// The camera's settings as the cells show them: what "Cancel" puts back.
    Shown_S storedValues() const;

    Fill fill() const;
    void setFill(Fill fill);
    /// True once the row's settings arrived in any form: its buttons work from then on.
    bool isAnswered() const;

    RowState state() const;
    QString reason() const;
    void setState(RowState state, const QString &strReason = QString());

    /// The address cell's tooltip, and whether the address is answered more than once.
    QString addressTip() const;
    bool isShared() const;
    void setAddressTip(const QString &strTip, bool bShared);
    /// Why "Save" refuses this row, as its tooltip says; empty when it does not.
    QString saveTip() const;
    void setSaveTip(const QString &strTip);
    /// True when "Save" may be pressed: the settings arrived and the address is not in doubt.
    bool canSave() const;
    /// The address a write may have given the camera, until the write is known to have failed:
    /// every plan keeps clear of it. Empty when none.
    QString claimedAddress() const;
    void setClaimedAddress(const QString &strAddress);
    /// When the camera was last proven back at its new address; invalid when never.
    QDateTime lastProof() const;
    void setLastProof(const QDateTime &proof);
    /// The label a plan file gave the camera; empty when none.
    QString label() const;
    void setLabel(const QString &strLabel);

private:
    quint64 m_nId = 0;
    int m_nIndex = 0;
    DevInfo_S m_stRecord;
    Shown_S m_stShown;
    int m_nEdited = 0;
    Fill m_fill = Fill::Waiting;
    RowState m_state = RowState::Waiting;
    QString m_strReason;
    QString m_strAddressTip;
    bool m_bShared = false;
    QString m_strSaveTip;
    QString m_strClaimed;
    QDateTime m_lastProof;
    QString m_strLabel;
};
