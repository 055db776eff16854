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

private:
    explicit CFontFamily(QObject *parent = nullptr);

    QString m_strFamily;
};
