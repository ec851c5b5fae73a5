#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>

// Physical memory of this computer in bytes, 64 bits wide (machines have far more than 4 GiB).
struct PhysicalMemory {
    quint64 total = 0;
    quint64 available = 0;
};

// The system's figures (Linux: MemTotal and MemAvailable of /proc/meminfo; Windows:
// GlobalMemoryStatusEx); zeros when the system gives none.
PhysicalMemory physical_memory();

// The figures of a /proc/meminfo text ("MemTotal:  16318480 kB"); MemFree stands in for
// MemAvailable on kernels that lack it. Nothing without a MemTotal line.
std::optional<PhysicalMemory> parse_meminfo(const QByteArray& text);
