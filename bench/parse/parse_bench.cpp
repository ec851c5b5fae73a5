// Prints the conditions parser's speed figures:
//   parse.ratio_vs_memchr  fastest parse_conditions of a 1 MiB page (the bytes as the client
//                          received them) / fastest memchr count of "<" over the same bytes
//   parse.scaling          ns per byte at 1 MiB / ns per byte at 256 KiB (1.0 is linear)
#include "app/conditions_parser.h"

#include "bench_support.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>

namespace {

constexpr int repetitions = 20;

const char page_head[] =
    "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n<head>\n"
    "<title>Weather Underground: Chicago, Illinois Forecast</title>\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">\n"
    "<link rel=\"stylesheet\" href=\"/css/main.css\" type=\"text/css\">\n</head>\n"
    "<body bgcolor=\"#FFFFFF\" text=\"#000000\" link=\"#003366\">\n";

const char nav_row[] =
    "<tr><td class=\"nav\"><a href=\"/US/IL/Chicago.html?links=%d\">Local radar</a> | "
    "<a href=\"/US/IL/Evanston.html\">Evanston</a> | <a href=\"/US/IL/Oak_Park.html\">Oak "
    "Park</a> | <a href=\"/US/IL/Cicero.html\">Cicero</a> | <img src=\"/images/dot.gif\" "
    "width=\"1\" height=\"1\" alt=\"\"></td></tr>\n";

const char conditions_table[] =
    "<h2>Chicago, Illinois</h2>\n"
    "<p class=\"obs\">Updated: <b>3:51 PM CST on January 5, 2026</b></p>\n"
    "<table class=\"current\" cellpadding=\"2\" cellspacing=\"0\" border=\"0\">\n"
    "<tr><td class=\"label\">Temperature</td>\n<td "
    "class=\"value\"><b>34</b>&nbsp;&#176;F</td></tr>\n"
    "<tr><td class=\"label\">Humidity</td>\n<td class=\"value\"><b>72%</b></td></tr>\n"
    "<tr><td class=\"label\">Wind</td>\n<td class=\"value\">NW at <b>15</b> mph</td></tr>\n"
    "<tr><td class=\"label\">Pressure</td>\n<td class=\"value\"><b>30.12</b> in</td></tr>\n"
    "<tr><td class=\"label\">Conditions</td>\n<td class=\"value\"><b>Overcast</b></td></tr>\n"
    "<tr><td class=\"label\">Visibility</td>\n<td class=\"value\">10 miles</td></tr>\n"
    "<tr><td class=\"label\">Sunrise</td>\n<td class=\"value\">7:18 AM CST</td></tr>\n"
    "<tr><td class=\"label\">Sunset</td>\n<td class=\"value\">4:33 PM CST</td></tr>\n"
    "<tr><td class=\"label\">Moon Rise</td>\n<td class=\"value\">9:41 PM CST</td></tr>\n"
    "<tr><td class=\"label\">Moon Set</td>\n<td class=\"value\">10:02 AM CST</td></tr>\n"
    "<tr><td class=\"label\">Moon Phase</td>\n<td><img src=\"/images/moon21.gif\" "
    "width=\"40\" height=\"40\" alt=\"\"></td></tr>\n</table>\n";

const char forecast_row[] =
    "<tr class=\"fc\"><td class=\"day\"><a href=\"/US/IL/Chicago.html?day=%d\">Day %d</a>"
    "</td><td><img src=\"/images/sm_partlycloudy.gif\" width=\"42\" height=\"42\" alt=\"\">"
    "</td><td class=\"hi\">45&deg;</td><td class=\"lo\">31&deg;</td><td class=\"txt\">Mostly "
    "sunny. Highs in the mid 40s. Northwest winds 10 to 15 mph.</td></tr>\n";

const char page_tail[] =
    "<p class=\"foot\">Data provided by Weather Underground &amp; the National Weather "
    "Service.</p>\n</body>\n</html>\n";

// A conditions page of `size` bytes: navigation rows, the observations, then forecast rows.
QByteArray make_page(qsizetype size) {
    QByteArray page(page_head);
    char row[1024];
    for (int i = 0; page.size() < size / 8; ++i) {
        std::snprintf(row, sizeof row, nav_row, i);
        page += row;
    }
    page += conditions_table;
    page += "<table class=\"forecast\">\n";
    const qsizetype tail = static_cast<qsizetype>(std::strlen(page_tail)) + 9;
    for (int i = 0;; ++i) {
        std::snprintf(row, sizeof row, forecast_row, i, i);
        if (page.size() + static_cast<qsizetype>(std::strlen(row)) + tail > size)
            break;
        page += row;
    }
    page += "</table>\n";
    page += page_tail;
    page += QByteArray(size - page.size(), '\n');
    return page;
}

volatile qsizetype sink = 0;

double parse_ns(const QByteArray& text) {
    return fastest_ns(repetitions, [&](int) {
        const ConditionsResult result = parse_conditions(text, QStringLiteral("n"));
        sink = sink + result.labels.lblTemp2.size();
    });
}

bool parses_cleanly(const QByteArray& text) {
    const ConditionsResult r = parse_conditions(text, QStringLiteral("n"));
    return r.messages.isEmpty() && r.temperature_f == 34 && r.sky == QStringLiteral("Overcast") &&
           r.labels.lblMoonSet2 == QStringLiteral(" 10:02 AM CST ");
}

} // namespace

int main() {
    const QByteArray large = make_page(1024 * 1024);
    const QByteArray small = make_page(256 * 1024);
    if (!parses_cleanly(large) || !parses_cleanly(small)) {
        std::fprintf(stderr, "parse_bench: the benchmark page does not parse cleanly\n");
        return 1;
    }

    const double memchr_ns =
        fastest_ns(repetitions, [&](int) { sink = sink + memchr_count(large, '<'); });
    const double large_ns = parse_ns(large);
    const double small_ns = parse_ns(small);

    std::printf("parse.ratio_vs_memchr: %.2f\n", large_ns / memchr_ns);
    std::printf("parse.scaling: %.2f\n", (large_ns / static_cast<double>(large.size())) /
                                             (small_ns / static_cast<double>(small.size())));
    return 0;
}
