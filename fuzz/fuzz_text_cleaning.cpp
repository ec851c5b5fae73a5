// Fuzzes the cleaning chain of text products: tags stripped, then the census display form and
// the county cut of the cleaned text.
#include "fuzz_check.h"
#include "textproducts/text_cleaning.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    // The first byte gives the length of the county entry that follows it; the rest is the body.
    const std::size_t county_size = std::min<std::size_t>(data[0] % 8, size - 1);
    const QString county =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(county_size));
    const QByteArray body(reinterpret_cast<const char*>(data + 1 + county_size),
                          qsizetype(size - 1 - county_size));

    const QByteArray cleaned = level2_parse(body);
    check(cleaned.size() <= body.size());
    check(!cleaned.contains('<'));
    check(cleaned.isEmpty() || (quint8(cleaned.front()) > 32 && quint8(cleaned.back()) > 32));

    const QByteArray shown = parse_text(cleaned);
    const qsizetype link = cleaned.indexOf("http://");
    const QByteArray before_link = link < 0 ? cleaned : cleaned.left(link);
    check(shown.size() == before_link.size() + before_link.count('\n'));
    for (qsizetype lf = shown.indexOf('\n'); lf >= 0; lf = shown.indexOf('\n', lf + 1))
        check(lf > 0 && shown[lf - 1] == '\r');

    for (const CastKind kind : {CastKind::Nowcast, CastKind::Forecast}) {
        const CountyCut cut = county_parse(kind, cleaned, county, QStringLiteral("IL"));
        check(!cut.refused);
        check(cleaned.contains(cut.text));
        check(cut.status_texts.size() >= 2);
        if (cut.caption.contains(QLatin1String(" county, "))) // found: cut before its "$$"
            check(!cut.text.contains("$$"));
        else
            check(cut.text == cleaned);
    }
    return 0;
}
