#include "site/macaddress.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

// A notation: the digits in groups of one size, between separators of one kind.
struct Notation_S
{
    int nGroupDigits;
    const char *szSeparator;
};

constexpr int kDigitsPerByte = 2;
constexpr int kDigitsPerDottedGroup = 4;
constexpr int kDigits = 12;
constexpr Notation_S kCameraNotation = {kDigitsPerByte, ":"};
constexpr Notation_S kNotations[] = {kCameraNotation, {kDigitsPerByte, "-"}, {kDigitsPerDottedGroup, "."}, {kDigits, ""}};
constexpr char kHexDigitsPattern[] = "[0-9A-Fa-f]{%1}";

QString grouped(const QString &strDigits, const Notation_S &stNotation)
{
    QStringList listGroups;
    for (int nAt = 0; nAt < strDigits.size(); nAt += stNotation.nGroupDigits)
        listGroups.append(strDigits.mid(nAt, stNotation.nGroupDigits));
    return listGroups.join(QLatin1String(stNotation.szSeparator));
}

// The twelve digits of @p strText when it is written in @p stNotation; empty when it is not.
QString digitsIn(const QString &strText, const Notation_S &stNotation)
{
    static const QRegularExpression s_digits(
        QRegularExpression::anchoredPattern(QString::fromLatin1(kHexDigitsPattern).arg(kDigits)));
    const QString strDigits = QString(strText).remove(QLatin1String(stNotation.szSeparator));
    if (!s_digits.match(strDigits).hasMatch() || grouped(strDigits, stNotation) != strText)
        return QString();
    return strDigits;
}

} // namespace

QString MacAddress::cameraForm(const QString &strText)
{
    for (const Notation_S &stNotation : kNotations) {
        const QString strDigits = digitsIn(strText, stNotation);
        if (!strDigits.isEmpty())
            return grouped(strDigits.toUpper(), kCameraNotation);
    }
    return QString();
}

bool MacAddress::isSame(const QString &strFirst, const QString &strSecond)
{
    const QString strFirstForm = cameraForm(strFirst);
    return !strFirstForm.isEmpty() && strFirstForm == cameraForm(strSecond);
}
