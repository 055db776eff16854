#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// Rows of text as CSV: one line per row, fields separated by commas, a field with a comma,
/// a double quote or a line break quoted (its quotes doubled); lines end with CRLF.
QString tableCsv(const QList<QStringList> &listRows);
