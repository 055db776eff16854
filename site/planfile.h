#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/**
 * A site plan written in a spreadsheet: which camera, by MAC, gets which address.
 *
 * The file is CSV text, UTF-8 with or without a byte order mark, lines ending in LF or CRLF.
 * Its first non-empty line is a header naming the columns, in any order and any letter case:
 * "mac", "address", "mask", "gateway" and, optionally, "label"; other columns are ignored.
 * The header decides the separator: a comma or a semicolon. A field may be quoted ("..."
 * with "" for a quote inside, line breaks allowed); blanks around every field are dropped,
 * and lines of blank fields only are skipped.
 *
 * Each line below the header becomes a Line_S, or a Refusal_S with the reason: a field count
 * other than the header's, a required field left empty, a text that is no MAC, an unclosed
 * quote. The addresses are taken as written: checking them is the matching's work.
 *
 * A file that is no plan at all gives error() and neither lines nor refusals: binary data
 * (NUL bytes or text that is not UTF-8), more than kMaxBytes, no header naming the required
 * columns, or no line below the header.
 */
class PlanFile
{
public:
    /// Larger files are refused unread: a plan of several thousand cameras stays far below it.
    static constexpr qint64 kMaxBytes = 1024 * 1024;

    /// One line of the plan, as written except for the MAC.
    struct Line_S
    {
        int nLine = 0;      ///< 1-based line number in the file, where the line begins
        QString strMac;     ///< in the cameras' form, "AA:BB:CC:DD:EE:FF"
        QString strAddress;
        QString strMask;
        QString strGateway;
        QString strLabel;   ///< empty when the plan has no label column
    };

    /// A line that is not taken, with why.
    struct Refusal_S
    {
        int nLine = 0;
        QString strReason;
    };

    /// Reads the plan in the file at @p strPath, reading no more than kMaxBytes + 1 bytes of it.
    static PlanFile read(const QString &strPath);
    /// Reads the plan held in @p baBytes.
    static PlanFile parse(const QByteArray &baBytes);

    /// Why the file is no plan; empty when it is one.
    QString error() const;
    /// The lines taken, in file order.
    QList<Line_S> lines() const;
    /// The lines refused, in file order.
    QList<Refusal_S> refusals() const;

private:
    PlanFile() = default;
    static PlanFile refused(const QString &strError);
    void readText(const QString &strText);

    QString m_strError;
    QList<Line_S> m_listLines;
    QList<Refusal_S> m_listRefusals;
};
