#include "site/tablecsv.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
const QString kFieldSeparator = QStringLiteral(",");
const QString kQuote = QStringLiteral("\"");
const QString kDoubledQuote = QStringLiteral("\"\"");

QString csvField(QString strField)
{
    if (!strField.contains(kFieldSeparator) && !strField.contains(kQuote) && !strField.contains(QLatin1Char('\n'))
        && !strField.contains(QLatin1Char('\r')))
        return strField;
    return kQuote + strField.replace(kQuote, kDoubledQuote) + kQuote;
}

} // namespace

QString tableCsv(const QList<QStringList> &listRows)
{
    QString strCsv;
    for (const QStringList &listFields : listRows) {
        QStringList listQuoted;
        for (const QString &strField : listFields)
            listQuoted.append(csvField(strField));
        strCsv += listQuoted.join(kFieldSeparator) + kLineEnd;
    }
    return strCsv;
}
