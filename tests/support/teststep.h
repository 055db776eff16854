#pragma once

#include <QTest>

// Runs a helper that checks as it goes, and leaves the test function once a check failed.
#define STEP(call)                                                                                 \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)
