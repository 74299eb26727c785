#pragma once

#include <QString>

#include <cstdio>
#include <cstdlib>

// A property that does not hold is a finding like a crash: libFuzzer keeps the input that
// broke it as the reproducer.
inline void fuzzCheck(bool holds, const char* what, const QString& detail = QString()) {
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n%s\n", what, qUtf8Printable(detail));
        std::abort();
    }
}
