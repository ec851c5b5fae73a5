// Prints the text-product cleaning figures:
//   textproducts.clean_ratio_vs_memchr  fastest cleaning chain (tags stripped in place, county
//                                       cut, census display form) of a 4 MiB bulletin / fastest
//                                       memchr count of "<" over the same bytes
//   textproducts.clean_scaling          ns per byte at 4 MiB / ns per byte at 1 MiB (1.0 is
//                                       linear)
#include "textproducts/text_cleaning.h"

#include "bench_support.h"

#include <QByteArray>
#include <QString>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

namespace {

constexpr int repetitions = 15;

const char page_head[] =
    "<html>\n<head>\n<title>Zone Forecast Product</title>\n</head>\n<body bgcolor=\"#FFFFFF\">\n"
    "<h2>ZONE FORECAST PRODUCT FOR ILLINOIS</h2>\n<pre>\n"
    "FPUS53 KLOT 050915\nZFPLOT\n\nZONE FORECAST PRODUCT FOR NORTHERN ILLINOIS\n"
    "NATIONAL WEATHER SERVICE CHICAGO IL\n315 AM CST SAT JAN 5 2026\n\n";

const char zone_section[] =
    "ILZ%03d-060000-\nKANE-KENDALL-GRUNDY-LIVINGSTON-LA SALLE-\n"
    "INCLUDING THE CITIES OF...AURORA...ELGIN...OTTAWA\n315 AM CST SAT JAN 5 2026\n\n"
    ".TODAY...MOSTLY CLOUDY. HIGHS IN THE MID 30S. NORTHWEST WINDS 10 TO 15 MPH.\n"
    ".TONIGHT...PARTLY CLOUDY. LOWS AROUND 20&nbsp;&#176;F. WEST WINDS 5 TO 10 MPH.\n"
    ".SUNDAY...SUNNY. HIGHS IN THE UPPER 30S. <a href=\"/iwin/il/zone%d.html\">DETAIL</a>\n"
    "<br>\n$$\n\n";

const char page_tail[] =
    "ILZ014-060000-\nCOOK-DUPAGE-\n315 AM CST SAT JAN 5 2026\n.TODAY...SNOW LIKELY.\n$$\n"
    "</pre>\n<p>More at http://www.nws.example/</p>\n</body>\n</html>\n";

// A bulletin page of `size` bytes: zone sections, the county searched for at the end.
QByteArray make_bulletin(qsizetype size) {
    QByteArray page(page_head);
    char section[1024];
    const qsizetype tail = static_cast<qsizetype>(std::strlen(page_tail));
    for (int i = 0;; ++i) {
        std::snprintf(section, sizeof section, zone_section, 100 + i % 900, i);
        if (page.size() + static_cast<qsizetype>(std::strlen(section)) + tail > size)
            break;
        page += section;
    }
    page += page_tail;
    page += QByteArray(size - page.size(), ' ');
    return page;
}

volatile qsizetype sink = 0;

struct Cleaned {
    CountyCut cut;
    QByteArray census;
};

// The body arrives as the client's bytes and is cleaned in place, as the window does.
Cleaned clean(QByteArray body) {
    const QByteArray text = level2_parse(std::move(body));
    return {county_parse(CastKind::Forecast, text, QStringLiteral("cook"), QStringLiteral("IL")),
            parse_text(text)};
}

double clean_ns(const QByteArray& body) {
    // Each run cleans its own copy, made (and its pages touched) before the clock starts.
    std::vector<QByteArray> copies;
    for (int i = 0; i < repetitions; ++i) {
        copies.emplace_back(body.constData(), body.size());
    }
    return fastest_ns(repetitions, [&](int i) {
        const Cleaned cleaned = clean(std::move(copies[size_t(i)]));
        sink = sink + cleaned.cut.text.size() + cleaned.census.size();
    });
}

bool cleans_correctly(const QByteArray& body) {
    const Cleaned cleaned = clean(body);
    return cleaned.cut.caption == QStringLiteral("Nimbrix - Text Forecast for COOK county, IL") &&
           cleaned.cut.text.startsWith("\nCOOK-DUPAGE-") &&
           cleaned.cut.text.endsWith("SNOW LIKELY.\n") && !cleaned.census.contains('<') &&
           cleaned.census.contains("LOWS AROUND 20& &\xb0"
                                   "F.") &&
           cleaned.census.endsWith("More at ");
}

} // namespace

int main() {
    const QByteArray large = make_bulletin(4 * 1024 * 1024);
    const QByteArray small = make_bulletin(1024 * 1024);
    if (!cleans_correctly(large) || !cleans_correctly(small)) {
        std::fprintf(stderr,
                     "textproducts_bench: the benchmark bulletin does not clean as it should\n");
        return 1;
    }

    const double memchr_ns =
        fastest_ns(repetitions, [&](int) { sink = sink + memchr_count(large, '<'); });
    const double large_ns = clean_ns(large);
    const double small_ns = clean_ns(small);

    std::printf("textproducts.clean_ratio_vs_memchr: %.2f\n", large_ns / memchr_ns);
    std::printf("textproducts.clean_scaling: %.2f\n",
                (large_ns / static_cast<double>(large.size())) /
                    (small_ns / static_cast<double>(small.size())));
    return 0;
}
