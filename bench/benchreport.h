#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// Medians of repeated runs and the printed table.
namespace BenchReport {

/// Per key, the median over @p runs of every number the runs carry (runs lacking a key,
/// or carrying -1 for "did not happen", are left out of that key's median).
QJsonObject medians(const QJsonArray &runs);
/// The table of the median figures, one column per result (each a {"cameras", "median"}).
QString table(const QJsonArray &results);
/// The key figures of @p results taken in pairs (this build, then the baseline, for one
/// camera count), with the ratio this / baseline, and each result's "note" below.
QString comparison(const QJsonArray &results);
/// The program's results against the two plain clients', taken in threes (the program's,
/// the reference client's, the Qt floor client's, for one camera count): per count, the
/// time from the list's publication to the full table ("filled - floor") against each
/// client's whole run, the CPU time over the same spans, and the ratios program / client.
QString yardstick(const QJsonArray &results);

} // namespace BenchReport
