#pragma once

// What several benchmarks share: the fastest of repeated runs, the memchr pass that stands
// for the machine's memory speed in their ratios, and a quiet offscreen platform for those
// that make windows.

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>

// The fastest of `repetitions` runs of run(i), i counting from 0, in nanoseconds.
template <typename F> double fastest_ns(int repetitions, F&& run) {
    double best = std::numeric_limits<double>::max();
    for (int i = 0; i < repetitions; ++i) {
        const auto start = std::chrono::steady_clock::now();
        run(i);
        const auto stop = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::nano>(stop - start).count());
    }
    return best;
}

// How often byte occurs in bytes, found with memchr.
inline qsizetype memchr_count(const QByteArray& bytes, char byte) {
    qsizetype count = 0;
    const char* at = bytes.constData();
    const char* const end = at + bytes.size();
    while ((at = static_cast<const char*>(std::memchr(at, byte, static_cast<size_t>(end - at))))) {
        ++count;
        ++at;
    }
    return count;
}

// Windows drawn offscreen, and only Qt's errors printed: the offscreen platform's notes about
// window hints are no figures. Call before the application object is made.
inline void quiet_offscreen_windows() {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
        if (type != QtWarningMsg && type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(text));
    });
}
