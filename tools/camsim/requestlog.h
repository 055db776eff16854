#pragma once

#include <QByteArray>
#include <QFile>
#include <QPair>
#include <QString>

#include <initializer_list>

// The simulator's output: one line per event, written to stdout and flushed at once, and
// appended to the log file when one is given. Lines start with an upper-case tag (READY,
// CAMERA, SEARCH, SEARCH-REPLY, REQ, REPLY, ...) followed by key=value fields.
class RequestLog
{
public:
    // Returns false when strFile cannot be opened for appending.
    bool open(const QString &strFile);
    void write(const QString &strLine);
    // Writes strTag followed by " key=value" for each field, values as given.
    void write(const QString &strTag, std::initializer_list<QPair<QString, QString>> listFields);

    // Bytes as a log field value: printable ASCII as is, every other byte, the space and
    // the backslash as \xHH; anything past 8 KiB replaced by "...+N" (N bytes left out).
    static QString escaped(const QByteArray &baBytes);

private:
    QFile m_file;
};
