#include "locations/location_string.h"

#include "locations/catalogue_lookups.h"
#include "shared/program_state.h"
#include "shared/replace_all.h"

LocationStringParts read_location_string(const QString& text) {
    LocationStringParts parts;
    const qsizetype comma = text.indexOf(u','); // -1 when none: positions then start at 1
    const qsizetype after_comma = comma + 2;
    if (!text.isEmpty() && text.front() >= u'0' && text.front() <= u'9') {
        parts.form = LocationForm::Zip;
        parts.zip = text.left(5);
        parts.state = text.mid(after_comma);
        return parts;
    }
    parts.city = text.left(comma < 0 ? 0 : comma);
    const qsizetype paren = text.indexOf(u'(');
    if (paren < 1) {
        parts.form = LocationForm::UsCity;
        parts.region = QStringLiteral("US");
        parts.city = replace_all(parts.city, QStringLiteral(" "), QStringLiteral("_"));
        parts.state = text.mid(after_comma);
        return parts;
    }
    parts.form = LocationForm::Foreign;
    parts.city = replace_all(parts.city, QStringLiteral("_"), QStringLiteral(" "));
    parts.state =
        text.mid(after_comma, qMax<qsizetype>(0, paren - after_comma)) + QStringLiteral("(O)");
    return parts;
}

bool has_foreign_marker(const QString& text) {
    return text.indexOf(u'(') >= 1;
}

QString us_location_string(const QString& city, const QString& state_code) {
    return city + QStringLiteral(", ") + state_code;
}

QString foreign_location_string(const QString& place_name) {
    return place_name + QStringLiteral(" (O)");
}

QString zip_location_string(const QString& zip, const QString& place_city,
                            const QString& state_code) {
    return zip + QStringLiteral(" - ") + place_city + QStringLiteral(", ") + state_code;
}

PresetLocation preset_location_string(const CurrentLocation& location) {
    PresetLocation result;
    if (location.zip.size() >= 2) {
        PlaceNameSplit split = split_place_name(location.place_name);
        result.entry = zip_location_string(location.zip, split.place_city, split.state_code);
        result.place_city = std::move(split.place_city);
        result.state_code = std::move(split.state_code);
    } else if (has_foreign_marker(location.state)) {
        result.entry = foreign_location_string(location.place_name);
    } else {
        result.entry = us_location_string(location.city, location.state);
    }
    return result;
}
