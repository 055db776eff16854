#pragma once

#include <QObject>
#include <QString>

// The one holder of the widget kit's default font family ("Microsoft YaHei").
// CText, CComboBox and CTextInput take their initial family from it.
class CFontFamily : public QObject
{
    Q_OBJECT

public:
    static CFontFamily *getInstance();

    QString family() const;
    void setFamily(const QString &strFamily);
    /// @p strSheet with every FONT_FAMILY_TOKEN replaced by the family.
    QString styleSheet(QString strSheet) const;

    /// Stands for the family in a style sheet given to styleSheet().
    static constexpr char FONT_FAMILY_TOKEN[] = "@family";

private:
    explicit CFontFamily(QObject *parent = nullptr);

    QString m_strFamily;
};
