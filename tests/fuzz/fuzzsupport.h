#pragma once

#include <QCoreApplication>
#include <QRegularExpression>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

// Shared by the fuzz targets: a quiet process with one application object, and a check
// that turns a broken promise into a crash libFuzzer records.

inline void fuzzIgnoreMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

// Silences the debug stream (the parsers log every input) and creates the one application
// object the hub and the sockets expect. Call from LLVMFuzzerInitialize.
inline void fuzzSetUpProcess(int *pArgc, char ***pArgv)
{
    qInstallMessageHandler(&fuzzIgnoreMessage);
    static QCoreApplication s_app(*pArgc, *pArgv);
}

// Aborts with the broken promise when bHolds is false.
inline void fuzzCheck(bool bHolds, const char *szPromise)
{
    if (bHolds)
        return;
    std::fprintf(stderr, "broken promise: %s\n", szPromise);
    std::abort();
}

// True for "V%1.%2.%3" with three numbers 0-255 without leading zeros.
inline bool fuzzIsVersionText(const QString &strVersion)
{
    static const QRegularExpression s_pattern(QRegularExpression::anchoredPattern(QStringLiteral(
        "V(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])(\\.(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])){2}")));
    return s_pattern.match(strVersion).hasMatch();
}
