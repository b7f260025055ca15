#pragma once
// Some desktops lack a notification area, raw input for injected keys, an IME
// that opens or layered windows on the screen DC, and a test that needs one
// skips itself there. Under CI the harness always provides them, so a missing
// one is a fault and the test fails instead.
#include <gtest/gtest.h>

#include <cstdlib>

#define TESSEL_SKIP_OUTSIDE_CI(reason)                                  \
    do {                                                                \
        if (std::getenv("CI") != nullptr) {                             \
            GTEST_FAIL() << reason << " (CI is set: this must work)";   \
        } else {                                                        \
            GTEST_SKIP() << reason;                                     \
        }                                                               \
    } while (0)
