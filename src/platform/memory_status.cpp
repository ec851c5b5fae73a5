#include "platform/memory_status.h"

#include <QFile>
#include <QList>

#ifdef _WIN32
#include <windows.h>
#endif

std::optional<PhysicalMemory> parse_meminfo(const QByteArray& text) {
    std::optional<quint64> total, available, free;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() < 2)
            continue;
        bool ok = false;
        quint64 value = fields[1].toULongLong(&ok);
        if (!ok)
            continue;
        if (fields.size() >= 3 && fields[2] == "kB")
            value *= 1024;
        if (fields[0] == "MemTotal:")
            total = value;
        else if (fields[0] == "MemAvailable:")
            available = value;
        else if (fields[0] == "MemFree:")
            free = value;
    }
    if (!total)
        return std::nullopt;
    return PhysicalMemory{*total, available ? *available : free.value_or(0)};
}

PhysicalMemory physical_memory() {
#ifdef _WIN32
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (!GlobalMemoryStatusEx(&status))
        return {};
    return {status.ullTotalPhys, status.ullAvailPhys};
#else
    QFile file(QStringLiteral("/proc/meminfo"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse_meminfo(file.readAll()).value_or(PhysicalMemory{});
#endif
}
