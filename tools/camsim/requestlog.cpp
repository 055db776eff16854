#include "tools/camsim/requestlog.h"

#include <cstdio>

namespace {

constexpr int kMaxLoggedBytes = 8192;
constexpr char kFirstPlain = '!';
constexpr char kLastPlain = '~';
constexpr char kEscape = '\\';

} // namespace

bool RequestLog::open(const QString &strFile)
{
    m_file.setFileName(strFile);
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text);
}

void RequestLog::write(const QString &strLine)
{
    const QByteArray baLine = strLine.toUtf8() + '\n';
    std::fwrite(baLine.constData(), 1, size_t(baLine.size()), stdout);
    std::fflush(stdout);
    if (m_file.isOpen()) {
        m_file.write(baLine);
        m_file.flush();
    }
}

void RequestLog::write(const QString &strTag, std::initializer_list<QPair<QString, QString>> listFields)
{
    QString strLine = strTag;
    for (const auto &pairField : listFields)
        strLine += QLatin1Char(' ') + pairField.first + QLatin1Char('=') + pairField.second;
    write(strLine);
}

QString RequestLog::escaped(const QByteArray &baBytes)
{
    QString strText;
    const int nShown = qMin(baBytes.size(), kMaxLoggedBytes);
    for (int nPos = 0; nPos < nShown; ++nPos) {
        const char chByte = baBytes.at(nPos);
        if (chByte >= kFirstPlain && chByte <= kLastPlain && chByte != kEscape)
            strText += QLatin1Char(chByte);
        else
            strText += QString::asprintf("\\x%02X", uchar(chByte));
    }
    if (baBytes.size() > nShown)
        strText += QStringLiteral("...+%1").arg(baBytes.size() - nShown);
    return strText;
}
