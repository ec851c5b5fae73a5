#include "textproducts/text_products.h"

#include <QSet>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

TEST(TextProducts, EachCodeBuildsItsCaptionHostAndPath) {
    const struct {
        const char* code;
        const char* status;
        const char* caption;
        const char* role;
        const char* path;
    } rows[] = {
        {"f", "Starting retrieval of Forecast...", "Nimbrix - Text Forecast for Chicago, IL", "NWS",
         "/iwin/IL/zone.html"},
        {"n", "Starting retrieval of Nowcast...", "Nimbrix - Text Nowcast for Chicago, IL", "NWS",
         "/iwin/IL/shortterm.html"},
        {"w", "Starting retrieval of Warning Information...",
         "Nimbrix - Warnings && Advisories for IL", "NWS", "/iwin/IL/allwarnings.html"},
        {"h", "Starting retrieval of Hydrological Data...", "Nimbrix - Hydrological data for IL",
         "NWS", "/iwin/IL/hydro.html"},
        {"si", "Starting retrieval of US/State Median HH Incomes...",
         "Nimbrix - US/State Census Median HH Income", "Census", "/statab/ranks/pg20.txt"},
        {"s1", "Starting retrieval of Census Detail by US State...",
         "Nimbrix - Census Detail by State", "CensusLookup",
         "/cdrom/lookup/906005492=/906005506=/906005514=/906005522=/CMD=RET/DB=C90STF3C1/"
         "F0=FIPS.STATE/F1=STUB.GEO/FMT=HTML/LEV=STATE/SEL=17,Illinois/T=P1/T=P5/T=P6/T=P7/T=P13/"
         "T=P49/T=P50/T=P53/T=P54/T=P57/T=P78/T=P80/T=P80A/T=P114A/T=H5/T=H25/T=H43A/T=H61/T=H61A"},
        {"s2", "Starting retrieval of Census Detail by US Zip...", "Nimbrix - Census Detail by Zip",
         "CensusLookup",
         "/cdrom/lookup/906003812=/906003889=/906003903=/906005246=/CMD=RET/DB=C90STF3B/F0=ZIP/"
         "FMT=HTML/LEV=ZIP/SEL=60601/T=P1/T=P5/T=P6/T=P7/T=P13/T=P49/T=P50/T=P53/T=P54/T=P57/"
         "T=P78/T=P80/T=P80A/T=P114A/T=H5/T=H25/T=H43A/T=H61/T=H61A"},
        // A code outside the table is served as the forecast.
        {"zz", "Starting retrieval of Forecast...", "Nimbrix - Text Forecast for Chicago, IL",
         "NWS", "/iwin/IL/zone.html"},
    };
    for (const auto& row : rows) {
        const XcastRequest r =
            xcast_request(QLatin1String(row.code), QStringLiteral("Chicago"), QStringLiteral("IL"),
                          QStringLiteral("60601"), QStringLiteral("17,Illinois"));
        EXPECT_TRUE(r.refusal.isEmpty()) << row.code;
        EXPECT_EQ(r.start_status, QLatin1String(row.status)) << row.code;
        EXPECT_EQ(r.caption, QLatin1String(row.caption)) << row.code;
        EXPECT_EQ(r.host_role, QLatin1String(row.role)) << row.code;
        EXPECT_EQ(r.path, QLatin1String(row.path)) << row.code;
    }
}

TEST(TextProducts, BulletinsWithoutAUSStateAndShortZipsAreRefusedBeforeAnyRequest) {
    const struct {
        const char* code;
        const char* state;
        const char* zip;
        const QString& refusal;
        bool captioned; // the zip check comes after the caption is set
    } rows[] = {
        {"f", "", "60601", no_state_refusal, false},
        {"n", "", "", no_state_refusal, false},
        {"p", "", "", no_state_refusal, false},
        {"w", "", "", no_state_refusal, false},
        {"sw", "", "", no_state_refusal, false},
        {"h", "", "", no_state_refusal, false},
        {"s2", "IL", "6061", invalid_zip_refusal, true},
        {"s2", "", "", invalid_zip_refusal, true},
        {"f", "India (O)", "", foreign_location_refusal, false},
        {"p", "France (O)", "", foreign_location_refusal, false},
        {"h", "Alberta (O)", "", foreign_location_refusal, false},
    };
    for (const auto& row : rows) {
        const XcastRequest r = xcast_request(QLatin1String(row.code), QString(),
                                             QLatin1String(row.state), QLatin1String(row.zip), {});
        EXPECT_EQ(r.refusal, row.refusal) << row.code;
        EXPECT_TRUE(r.path.isEmpty()) << row.code;
        EXPECT_EQ(r.caption.isEmpty(), !row.captioned) << row.code;
    }
    // A blank cannot stand in the request line.
    EXPECT_TRUE(
        xcast_request(QStringLiteral("s1"), {}, {}, {}, QStringLiteral("11,District of Columbia"))
            .path.contains(QLatin1String("/SEL=11,District%20of%20Columbia/T=P1/")));
    EXPECT_TRUE(xcast_request(QStringLiteral("s2"), {}, {}, QStringLiteral("6\t0\r\n1"), {})
                    .path.contains(QLatin1String("SEL=6%090%0D%0A1/")));

    // The census tables need no state.
    for (const char* code : {"s1", "si", "ss"})
        EXPECT_TRUE(xcast_request(QLatin1String(code), {}, {}, {}, {}).refusal.isEmpty()) << code;
}

TEST(TextProducts, TheTableHoldsTenCommandsEachStartingOnItsOwnInput) {
    QSet<QString> codes;
    QSet<QString> items;
    QString at_once;
    for (const TextProduct& row : text_products()) {
        codes << QLatin1String(row.code);
        items << QLatin1String(row.menu_item);
        if (starts_at_once(QLatin1String(row.code)))
            at_once += QLatin1String(row.code) + QLatin1Char(' ');
    }
    EXPECT_EQ(codes.size(), 10);
    EXPECT_EQ(items.size(), 10);
    EXPECT_EQ(at_once, QStringLiteral("p w sw h si ss "));
    EXPECT_EQ(input_row(QStringLiteral("f")), InputRow::County);
    EXPECT_EQ(input_row(QStringLiteral("n")), InputRow::County);
    EXPECT_EQ(input_row(QStringLiteral("s1")), InputRow::State);
    EXPECT_EQ(input_row(QStringLiteral("s2")), InputRow::Zip);
}

TEST(TextProducts, TheMainCaptionGivesCityStateAndForeignMark) {
    const struct {
        const char* caption;
        const char* city;
        const char* state;
        bool foreign;
    } rows[] = {
        {"Nimbrix - Chicago, IL", "Chicago", "IL", false},
        {"Nimbrix - New_York, NY", "New_York", "NY", false},
        {"Nimbrix - 60601 - Chicago, IL", "60601 - Chicago", "IL", false},
        {"Nimbrix - Bombay, India (O)", "Bombay", "India (O)", true},
        {"Nimbrix - Chicago", "", "", false},
        {"Nimbrix", "", "", false},
    };
    for (const auto& row : rows) {
        const CaptionLocation l = location_from_main_caption(QLatin1String(row.caption));
        EXPECT_EQ(l.city, QLatin1String(row.city)) << row.caption;
        EXPECT_EQ(l.state, QLatin1String(row.state)) << row.caption;
        EXPECT_EQ(l.foreign, row.foreign) << row.caption;
    }
}
