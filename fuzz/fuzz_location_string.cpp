// Fuzzes the location-string reader with any line of text (a stored preset, the "StartupLoc"
// setting, the caption), and the stats driver's reading of it into current_location.
#include "app/stats_request.h"
#include "fuzz_check.h"
#include "locations/location_string.h"
#include "shared/program_state.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const LocationStringParts parts = read_location_string(text);
    const bool digit_first = !text.isEmpty() && text.front() >= u'0' && text.front() <= u'9';
    check((parts.form == LocationForm::Zip) == digit_first);
    switch (parts.form) {
    case LocationForm::Zip:
        check(parts.zip == text.left(5) && parts.city.isEmpty() && parts.region.isEmpty());
        break;
    case LocationForm::UsCity:
        check(parts.region == u"US" && !parts.city.contains(u' ') && parts.zip.isEmpty());
        check(!has_foreign_marker(text));
        break;
    case LocationForm::Foreign:
        check(parts.state.endsWith(u"(O)") && !parts.city.contains(u'_'));
        check(has_foreign_marker(text));
        break;
    }
    check(parts.city.size() <= text.size() && parts.state.size() <= text.size() + 3);

    // The driver's reading, with the catalogue lookups it makes on the way.
    ProgramState state;
    state.current_location.location_text = text;
    read_request_location(state);
    check(state.current_location.location_text == text);
    return 0;
}
