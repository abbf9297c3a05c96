#ifndef CHECKED_H
#define CHECKED_H

#include <QTest>

// Helpers report failures through QVERIFY, which only leaves the helper; this
// stops the test function that called it as well.
#define CHECKED(call)                                                                              \
    do {                                                                                           \
        call;                                                                                      \
        if (QTest::currentTestFailed())                                                            \
            return;                                                                                \
    } while (false)

#endif
