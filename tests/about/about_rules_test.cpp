#include "about/about_rules.h"
#include "platform/memory_status.h"

#include <gtest/gtest.h>

TEST(VersionCheck, ThePublishedVersionIsComparedCharacterByCharacter) {
    const QString built_in = QStringLiteral("1.30.7.2");
    const struct {
        const char* body;
        const char* message;
    } rows[] = {
        {"Version#1.30.7.2",
         "Your version is the most current (1.30.7.2). The latest version is 1.30.7.2."},
        {"Version#1.31.0.0",
         "You are using an older version (1.30.7.2). The latest version is 1.31.0.0."},
        // Cut to 8 characters, "1.30.7.1" comes before "1.30.7.2".
        {"Version#1.30.7.10",
         "Your version is the most current (1.30.7.2). The latest version is 1.30.7.1."},
        {"<p>Version#1.30.7.3 released</p>",
         "You are using an older version (1.30.7.2). The latest version is 1.30.7.3."},
        {"Version#2", "You are using an older version (1.30.7.2). The latest version is 2."},
        {"version#1.31.0.0", "Error retrieving version #.  Please try again later."},
        {"<html>404 Not Found</html>", "Error retrieving version #.  Please try again later."},
        {"", "Error retrieving version #.  Please try again later."},
    };
    for (const auto& row : rows)
        EXPECT_EQ(version_check_message(row.body, built_in), QLatin1String(row.message))
            << row.body;
    EXPECT_EQ(built_in_version, built_in);
}

TEST(MemoryFigures, FreeShareGaugeColourAndKilobytesIn64Bits) {
    constexpr quint64 gib = 1024ull * 1024 * 1024;
    const struct {
        quint64 total, available;
        int percent;
        bool low;
        const char *free_text, *total_text;
    } rows[] = {
        {16 * gib, 16 * gib / 100 * 3, 3, true, "Free RAM: 515396 K bytes",
         "Total RAM: 17179869 K bytes"},
        {16 * gib, 16 * gib / 100 * 5, 5, false, "Free RAM: 858993 K bytes",
         "Total RAM: 17179869 K bytes"},
        {16 * gib, 16 * gib / 100 * 5 - 1, 4, true, "Free RAM: 858993 K bytes",
         "Total RAM: 17179869 K bytes"},
        {64 * gib, 64 * gib, 100, false, "Free RAM: 68719476 K bytes",
         "Total RAM: 68719476 K bytes"},
        {64 * gib, 40 * gib, 62, false, "Free RAM: 42949672 K bytes",
         "Total RAM: 68719476 K bytes"},
        {0, 0, 0, true, "Free RAM: 0 K bytes",
         "Total RAM: 0 K bytes"}, // no figures: no division by 0
    };
    for (const auto& row : rows) {
        const MemoryFigures figures = memory_figures(row.total, row.available);
        EXPECT_EQ(figures.free_percent, row.percent) << row.total << " " << row.available;
        EXPECT_EQ(figures.low, row.low) << row.total << " " << row.available;
        EXPECT_EQ(figures.free_text, QLatin1String(row.free_text));
        EXPECT_EQ(figures.total_text, QLatin1String(row.total_text));
    }
}

TEST(MemoryStatus, MeminfoGivesTotalAndAvailableBytes) {
    const auto figures = parse_meminfo("MemTotal:       65536000 kB\nMemFree:  1000 kB\n"
                                       "MemAvailable:   32768000 kB\nBuffers: 5 kB\n");
    ASSERT_TRUE(figures);
    EXPECT_EQ(figures->total, 65536000ull * 1024);
    EXPECT_EQ(figures->available, 32768000ull * 1024);
    EXPECT_EQ(parse_meminfo("MemTotal: 2048 kB\nMemFree: 1024 kB\n")->available, 1024ull * 1024);
    EXPECT_FALSE(parse_meminfo("MemFree: 1024 kB\n"));
    EXPECT_FALSE(parse_meminfo(""));
    const PhysicalMemory here = physical_memory();
    EXPECT_GT(here.total, 0u);
    EXPECT_LE(here.available, here.total);
}
