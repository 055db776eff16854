#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/**
 * Writes an as-built report to @p strPath as CSV (see tableCsv()): a row of the column names
 * @p listColumns, then @p listRows, in UTF-8 with a byte order mark so that spreadsheets read
 * every letter right.
 *
 * The report goes to a temporary file beside the target and takes its name only when
 * complete: a full disk or a crash never leaves half a report, and an older report at the
 * path stays as it was unless the new one is whole. A path that names something other than
 * a regular file (a folder, a device) is refused, never replaced.
 *
 * Returns false, with the reason in *pReason, when the report was not written.
 */
bool writeReportFile(const QString &strPath, const QStringList &listColumns, const QList<QStringList> &listRows,
                     QString *pReason);
