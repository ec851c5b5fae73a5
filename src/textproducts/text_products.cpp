#include "textproducts/text_products.h"

namespace {

// The census lookup's request tail after the selection.
#define CENSUS_TAIL                                                                                \
    "/T=P1/T=P5/T=P6/T=P7/T=P13/T=P49/T=P50/T=P53/T=P54/T=P57/T=P78/T=P80/T=P80A/T=P114A/T=H5/"    \
    "T=H25/T=H43A/T=H61/T=H61A"

// clang-format off
constexpr TextProduct products[] = {
    {"f", "ForecastTEXTversion1", "Forecast - &TEXT version",
     "Starting retrieval of Forecast...", "Nimbrix - Text Forecast for <City>, <State>",
     "NWS", "/iwin/<State>/zone.html", InputRow::County, ProductDisplay::Forecast},
    {"n", "mnuNowcast", "&Nowcast - Short term forecast",
     "Starting retrieval of Nowcast...", "Nimbrix - Text Nowcast for <City>, <State>",
     "NWS", "/iwin/<State>/shortterm.html", InputRow::County, ProductDisplay::Nowcast},
    {"p", "PublicInformation1", "&Public Information (NWS)",
     "Starting retrieval of Public Information...", "Nimbrix - Public Information for <State>",
     "NWS", "/iwin/<State>/public.html", InputRow::None, ProductDisplay::Bulletin},
    {"w", "mnuWarningsAdvisories", "&Warnings and Advisories (NWS)",
     "Starting retrieval of Warning Information...", "Nimbrix - Warnings && Advisories for <State>",
     "NWS", "/iwin/<State>/allwarnings.html", InputRow::None, ProductDisplay::Bulletin},
    {"sw", "mnuSpecialWeatherStatementsNWS1", "&Special Weather Statements (NWS)",
     "Starting retrieval of Special Weather Statements...",
     "Nimbrix - Special Weather Statements for <State>",
     "NWS", "/iwin/<State>/special.html", InputRow::None, ProductDisplay::Bulletin},
    {"h", "mnuHydrologicalDataNWS1", "&Hydrological Data (NWS)",
     "Starting retrieval of Hydrological Data...", "Nimbrix - Hydrological data for <State>",
     "NWS", "/iwin/<State>/hydro.html", InputRow::None, ProductDisplay::Hydro},
    {"s1", "mnuDetailbyUSState1", "Detail by US State...",
     "Starting retrieval of Census Detail by US State...", "Nimbrix - Census Detail by State",
     "CensusLookup",
     "/cdrom/lookup/906005492=/906005506=/906005514=/906005522=/CMD=RET/DB=C90STF3C1/"
     "F0=FIPS.STATE/F1=STUB.GEO/FMT=HTML/LEV=STATE/SEL=<Selection>" CENSUS_TAIL,
     InputRow::State, ProductDisplay::CensusDetail},
    {"s2", "mnuDetailbyUSZip1", "Detail by US Zip...",
     "Starting retrieval of Census Detail by US Zip...", "Nimbrix - Census Detail by Zip",
     "CensusLookup",
     "/cdrom/lookup/906003812=/906003889=/906003903=/906005246=/CMD=RET/DB=C90STF3B/F0=ZIP/"
     "FMT=HTML/LEV=ZIP/SEL=<Selection>" CENSUS_TAIL,
     InputRow::Zip, ProductDisplay::CensusDetail},
    {"si", "mnuUSMHHIncomebyState1", "US Median HH Income by State...",
     "Starting retrieval of US/State Median HH Incomes...",
     "Nimbrix - US/State Census Median HH Income",
     "Census", "/statab/ranks/pg20.txt", InputRow::None, ProductDisplay::CensusTable},
    {"ss", "mnuCensusStateSal", "US State Salary Rankings...",
     "Starting retrieval of US State Salary Rankings...", "Nimbrix - US Census State Rankings",
     "Census", "/statab/ranks/pg18.txt", InputRow::None, ProductDisplay::CensusTable},
};
// clang-format on

#undef CENSUS_TAIL

constexpr const char* bulletin_codes[] = {"f", "n", "p", "w", "sw", "h"};

// A request line cannot hold a blank or a control character: those (and anything outside
// ASCII) go as "%XX" of their UTF-8 bytes; everything else stands as it is.
QString request_path_text(const QString& path) {
    QString out;
    out.reserve(path.size());
    for (const char c : path.toUtf8()) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F)
            out += QStringLiteral("%%1").arg(byte, 2, 16, QLatin1Char('0')).toUpper();
        else
            out += QLatin1Char(c);
    }
    return out;
}

} // namespace

std::span<const TextProduct> text_products() {
    return products;
}

const TextProduct* find_text_product(const QString& code) {
    for (const TextProduct& row : products)
        if (code == QLatin1String(row.code))
            return &row;
    return nullptr;
}

bool is_bulletin(const QString& code) {
    for (const char* bulletin : bulletin_codes)
        if (code == QLatin1String(bulletin))
            return true;
    return false;
}

bool starts_at_once(const QString& code) {
    const TextProduct* row = find_text_product(code);
    return row && row->input == InputRow::None;
}

InputRow input_row(const QString& code) {
    const TextProduct* row = find_text_product(code);
    return row ? row->input : InputRow::None;
}

XcastRequest xcast_request(const QString& code, const QString& city, const QString& state,
                           const QString& zip_text, const QString& census_selection) {
    XcastRequest request;
    if (is_bulletin(code) && state.isEmpty()) {
        request.refusal = no_state_refusal;
        return request;
    }
    // The weather service has bulletins for the states only: a foreign location's state
    // carries the "(O)" mark.
    if (is_bulletin(code) && state.contains(QLatin1String("(O)"))) {
        request.refusal = foreign_location_refusal;
        return request;
    }
    const TextProduct* row = find_text_product(code);
    if (!row)
        row = find_text_product(QStringLiteral("f"));
    request.start_status = QLatin1String(row->start_status);
    request.caption = QString::fromLatin1(row->caption)
                          .replace(QLatin1String("<City>"), city)
                          .replace(QLatin1String("<State>"), state);
    if (row->input == InputRow::Zip && zip_text.size() < 5) {
        request.refusal = invalid_zip_refusal;
        return request;
    }
    const QString selection = row->input == InputRow::Zip ? zip_text : census_selection;
    request.host_role = QLatin1String(row->host_role);
    request.path = request_path_text(QString::fromLatin1(row->path)
                                         .replace(QLatin1String("<State>"), state)
                                         .replace(QLatin1String("<Selection>"), selection));
    return request;
}

CaptionLocation location_from_main_caption(const QString& caption) {
    CaptionLocation location;
    const QString prefix = QStringLiteral("Nimbrix - ");
    const QString display = caption.startsWith(prefix) ? caption.mid(prefix.size()) : QString();
    const qsizetype comma = display.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        location.city = display.left(comma);
        location.state = display.mid(comma + 2);
    }
    location.foreign = caption.indexOf(QLatin1Char('('), 1) >= 0;
    return location;
}
