// Fuzzes the conditions parser with the bytes a host might send as a conditions page; the
// first byte chooses the units. The bytes read in place and their decoded text give one result.
#include "app/conditions_parser.h"
#include "fuzz_check.h"
#include "shared/page_text.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const QString metric = (data[0] & 1) != 0 ? QStringLiteral("y") : QStringLiteral("n");
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1,
                           static_cast<qsizetype>(size - 1));
    const ConditionsResult result = parse_conditions(bytes, metric);
    const ConditionsResult decoded = parse_conditions(decode_windows_1252(bytes), metric);
    const ConditionsLabels& l = result.labels;
    const ConditionsLabels& d = decoded.labels;
    check(result.messages == decoded.messages && result.place_name == decoded.place_name &&
          result.heading == decoded.heading && result.sky == decoded.sky &&
          result.temperature_f == decoded.temperature_f);
    check(l.lblsky2 == d.lblsky2 && l.lblTemp2 == d.lblTemp2 && l.lblHumid2 == d.lblHumid2 &&
          l.lblPress2 == d.lblPress2 && l.lblWind2 == d.lblWind2 &&
          l.lblVisible2 == d.lblVisible2 && l.lblSunrise2 == d.lblSunrise2 &&
          l.lblSunset2 == d.lblSunset2 && l.lblMoonRise2 == d.lblMoonRise2 &&
          l.lblMoonSet2 == d.lblMoonSet2 && l.lblHeatIndex2 == d.lblHeatIndex2);

    check(result.status_texts.size() <= 2);
    for (const QString& message : result.messages)
        check(message == parse_message_p1 || message == parse_message_p2 ||
              message == parse_message_p3);
    // A parse that shows a message reads no field.
    if (!result.messages.isEmpty())
        check(l.lblsky2.isEmpty() && l.lblTemp2.isEmpty() && l.lblHumid2.isEmpty() &&
              l.lblPress2.isEmpty() && l.lblWind2.isEmpty() && l.lblVisible2.isEmpty());
    check(l.lblWindChill2.isEmpty());
    // The page is one line once its markup is gone: no value spans a line break.
    for (const QString* value :
         {&l.lblsky2, &l.lblTemp2, &l.lblHumid2, &l.lblPress2, &l.lblWind2, &l.lblVisible2,
          &l.lblSunrise2, &l.lblSunset2, &l.lblMoonRise2, &l.lblMoonSet2, &l.lblHeatIndex2})
        check(!value->contains(u'\n') && !value->contains(u'\r'));
    if (result.sky)
        check(result.sky->size() <= bytes.size());
    return 0;
}
