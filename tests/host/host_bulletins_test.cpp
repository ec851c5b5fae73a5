// nimbrix-host's weather service bulletins and census tables, read through the program's own
// cleaning: zone sections with real counties ending in "$$" that the county search cuts out,
// the not-available page, forecasts that follow the conditions pages, census tables ending in
// their link, state and zip lookups, determinism per hour.
#include "host_test_support.h"

#include "sample/census_pages.h"
#include "sample/nws_products.h"
#include "sample/nws_zones.h"
#include "site/host_site.h"
#include "textproducts/text_cleaning.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

const QDateTime fixed_hour = utc_hour(2026, 1, 5, 21);

// The page as the program sees it once the markup is gone.
QString without_tags(const QString& page) {
    return QString::fromLatin1(level2_parse(page.toLatin1()));
}

QString answer_text(const QString& target, const QDateTime& hour = fixed_hour) {
    HostSite site;
    const HostReply reply = site.answer(request_from_target(target), hour);
    EXPECT_EQ(reply.status, 200) << target.toStdString();
    return QString::fromLatin1(reply.body);
}

std::vector<QString> us_state_codes() {
    std::vector<QString> codes;
    for (const StateRow& row : state_table())
        if (!row.split_only)
            codes.push_back(row.code);
    return codes;
}

// The sections of a bulletin: each runs from its zone code line to its "$$".
struct Section {
    QString zone;
    QStringList counties;
    QString text;
};

std::vector<Section> sections_of(const QString& text) {
    static const QRegularExpression zone_line(
        QStringLiteral("^([A-Z]{2}Z\\d{3})-\\d{6}-\\n(.*)-\\n"),
        QRegularExpression::MultilineOption);
    std::vector<Section> sections;
    for (auto it = zone_line.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const qsizetype end = text.indexOf(QStringLiteral("$$"), m.capturedStart());
        sections.push_back({m.captured(1), m.captured(2).split(u'-'),
                            text.mid(m.capturedStart(), end < 0 ? -1 : end - m.capturedStart())});
    }
    return sections;
}

} // namespace

TEST(HostBulletins, EveryStateHasZoneAndNowcastSectionsWithItsRealCounties) {
    for (const QString& state : us_state_codes()) {
        const std::vector<NwsZone>& zones = nws_zones(state);
        ASSERT_FALSE(zones.empty()) << state.toStdString();
        for (const char* file : {"zone.html", "shortterm.html"}) {
            const QString text =
                without_tags(answer_text(QStringLiteral("/iwin/") + state + u'/' + file));
            const std::vector<Section> sections = sections_of(text);
            ASSERT_EQ(sections.size(), zones.size()) << state.toStdString() << file;
            EXPECT_EQ(text.count(QStringLiteral("$$")), static_cast<qsizetype>(zones.size()));
            for (std::size_t i = 0; i < zones.size(); ++i) {
                EXPECT_EQ(sections[i].zone, zones[i].code);
                EXPECT_EQ(sections[i].counties.join(u'-'), zones[i].counties.join(u'-'));
                EXPECT_TRUE(sections[i].text.contains(QStringLiteral(".NOW...")) ||
                            sections[i].text.contains(QStringLiteral("...HIGHS")) ||
                            sections[i].text.contains(QStringLiteral(" HIGHS ")))
                    << sections[i].zone.toStdString();
            }
            EXPECT_FALSE(text.contains(QStringLiteral("not currently available")));
        }
    }

    // The zones and counties are the weather service's.
    struct Row {
        const char* state;
        const char* zone;
        const char* county;
    };
    const Row rows[] = {{"IL", "ILZ104", "COOK"},        {"IL", "ILZ013", "DUPAGE"},
                        {"CA", "CAZ087", "LOS ANGELES"}, {"TX", "TXZ213", "HARRIS"},
                        {"PR", "PRZ001", "SAN JUAN"},    {"DC", "DCZ001", "DISTRICT OF COLUMBIA"}};
    for (const Row& r : rows) {
        const std::vector<NwsZone>& zones = nws_zones(r.state);
        const auto zone = std::find_if(zones.begin(), zones.end(),
                                       [&](const NwsZone& z) { return z.code == r.zone; });
        ASSERT_NE(zone, zones.end()) << r.zone;
        EXPECT_TRUE(zone->counties.contains(QString::fromLatin1(r.county))) << r.zone;
    }
}

TEST(HostBulletins, TheProgramsCountySearchCutsOutTheCountysOwnSection) {
    const QByteArray illinois =
        level2_parse(answer_text(QStringLiteral("/iwin/IL/zone.html")).toLatin1());
    const CountyCut cook = county_parse(CastKind::Forecast, illinois, QStringLiteral("cook"), "IL");
    EXPECT_EQ(cook.caption, "Nimbrix - Text Forecast for COOK county, IL");
    EXPECT_TRUE(cook.message.isEmpty());
    // Northern Cook (ILZ103) comes before Chicago's zone.
    EXPECT_TRUE(cook.text.startsWith("\nCOOK-\nINCLUDING THE CITIES OF...ARLINGTON HEIGHTS"))
        << cook.text.left(60).constData();
    EXPECT_TRUE(cook.text.contains("\n.EXTENDED FORECAST...\n"));
    EXPECT_FALSE(cook.text.contains("$$"));

    // Every county of every state finds its own county line, except a name standing inside a
    // longer county name ("WILL" in "WILLIAMSON") or inside the bulletins' own words ("DAY" in
    // "TODAY"): the program's plain search stops at those first, as it did with the real ones.
    const QString words = QStringLiteral(
        "MONDAY TUESDAY WEDNESDAY THURSDAY FRIDAY SATURDAY SUNDAY TODAY TONIGHT REST OF NIGHT "
        "EXTENDED ZONE FORECAST PRODUCT NATIONAL WEATHER SERVICE INCLUDING THE CITIES "
        "SUNNY CLEAR MOSTLY PARTLY CLOUDY HAZY AREAS OF FOG PATCHY DRIZZLE RAIN SNOW SHOWERS AND "
        "THUNDERSTORMS WITH A CHANCE LIKELY PERCENT HIGHS LOWS IN THE LOWER MID UPPER TEENS AROUND "
        "ZERO BELOW LIGHT WINDS NORTHEAST SOUTHEAST SOUTHWEST NORTHWEST TO MPH");
    int found = 0;
    for (const QString& state : us_state_codes()) {
        const QByteArray text = level2_parse(
            answer_text(QStringLiteral("/iwin/") + state + QStringLiteral("/zone.html"))
                .toLatin1());
        QStringList counties;
        for (const NwsZone& zone : nws_zones(state))
            counties += zone.counties;
        for (const QString& county : counties) {
            const bool shadowed =
                words.contains(county) ||
                std::any_of(counties.begin(), counties.end(), [&](const QString& other) {
                    return other != county && other.contains(county);
                });
            if (shadowed)
                continue;
            const CountyCut cut = county_parse(CastKind::Forecast, text, county.toLower(), state);
            const QString first_line = QString::fromLatin1(cut.text.mid(1)).section(u'\n', 0, 0);
            EXPECT_TRUE(QString(u'-' + first_line).contains(QString(u'-' + county + u'-')))
                << state.toStdString() << " " << county.toStdString() << ": "
                << first_line.toStdString();
            ++found;
        }
    }
    EXPECT_GT(found, 3000);
}

TEST(HostBulletins, ForecastsFollowTheConditionsPagesSampleWeather) {
    const std::optional<HostPlace> chicago =
        place_for_city_path(QStringLiteral("US/IL/Chicago.html"));
    ASSERT_TRUE(chicago);
    static const QRegularExpression first_period(
        QStringLiteral(" \\.(TODAY|TONIGHT|REST OF TONIGHT)\\.\\.\\.[^.]*\\. (HIGHS|LOWS) "
                       "(IN THE (LOWER|MID|UPPER) (\\d+|TEENS)S?|AROUND (\\d+|ZERO))"));
    for (int hour = 0; hour < 24; hour += 5) {
        const QDateTime at = utc_hour(2026, 7, 14, hour).addDays(hour * 7);
        const SampleWeather now = conditions_sample(*chicago, at).weather;
        const auto chicago_section = [&](const QString& file) {
            for (const Section& s :
                 sections_of(without_tags(answer_text(QStringLiteral("/iwin/IL/") + file, at))))
                if (s.zone == u"ILZ104")
                    return s.text;
            return QString();
        };
        const QString nowcast = chicago_section(QStringLiteral("shortterm.html"));
        EXPECT_TRUE(nowcast.contains(now.sky.toUpper() + QStringLiteral(" WITH A TEMPERATURE OF ") +
                                     QString::number(now.temperature_f) +
                                     QStringLiteral(" DEGREES")))
            << nowcast.toStdString();

        // Lines are wrapped at 66 columns.
        const QString forecast = chicago_section(QStringLiteral("zone.html")).replace(u'\n', u' ');
        const QRegularExpressionMatch m = first_period.match(forecast);
        ASSERT_TRUE(m.hasMatch()) << forecast.toStdString();
        if (m.captured(5).isEmpty() || m.captured(5) == u"TEENS")
            continue;
        const int decade = m.captured(5).toInt();
        // The period's high is at least the temperature now, its low at most.
        if (m.captured(2) == u"HIGHS")
            EXPECT_GE(decade + 9, now.temperature_f) << m.captured(0).toStdString();
        else
            EXPECT_LE(decade, now.temperature_f) << m.captured(0).toStdString();
    }
}

TEST(HostBulletins, OtherBulletinsExistForSomeStatesAndSaySoForTheRest) {
    int available = 0;
    int missing = 0;
    for (const QString& state : us_state_codes())
        for (const NwsProduct product :
             {NwsProduct::Public, NwsProduct::Warnings, NwsProduct::Special, NwsProduct::Hydro}) {
            const QString text = without_tags(*nws_page(product, state, fixed_hour));
            if (nws_product_available(product, state)) {
                ++available;
                EXPECT_FALSE(text.contains(QStringLiteral("not currently available")));
                EXPECT_GE(text.count(QStringLiteral("$$")), 1);
                for (const Section& s : sections_of(text))
                    EXPECT_FALSE(s.counties.isEmpty());
            } else {
                ++missing;
                EXPECT_TRUE(text.contains(QStringLiteral("not currently available")))
                    << state.toStdString();
                EXPECT_FALSE(text.contains(QStringLiteral("$$")));
            }
        }
    EXPECT_GT(available, 80);
    EXPECT_GT(missing, 30);
    // Illinois: the public information statement with the larger places' observations; no
    // hydrological data.
    EXPECT_EQ(parse_warning_html(
                  level2_parse(answer_text(QStringLiteral("/iwin/IL/hydro.html")).toLatin1()),
                  QStringLiteral("IL")),
              " Sorry, this IL information is not currently available.--- End of File --");
    const QString public_text = without_tags(answer_text(QStringLiteral("/iwin/IL/public.html")));
    EXPECT_TRUE(public_text.contains(QStringLiteral("\nCOOK-\nINCLUDING THE CITIES OF...CHICAGO")));
}

TEST(HostCensus, RankingTablesAlignTheirColumnsAndEndInTheirLink) {
    for (const char* target : {"/statab/ranks/pg20.txt", "/statab/ranks/pg18.txt"}) {
        HostSite site;
        const HostReply reply =
            site.answer(request_from_target(QString::fromLatin1(target)), fixed_hour);
        ASSERT_EQ(reply.status, 200);
        EXPECT_EQ(reply.content_type, census_text_content_type);
        const QString text = QString::fromLatin1(reply.body);
        EXPECT_TRUE(text.contains(QStringLiteral("Sample figures")));
        const QStringList lines = text.trimmed().split(u'\n');
        EXPECT_TRUE(lines.last().startsWith(QStringLiteral("http://"))) << target;
        // The program shows the table up to its link.
        const QByteArray shown = parse_text(reply.body);
        EXPECT_TRUE(shown.endsWith("State Rankings,\r\n")) << target;
        EXPECT_EQ(shown.count("\r\n"), lines.size() - 1);

        static const QRegularExpression row(QStringLiteral("^ *(\\d+)  ([A-Za-z .]+) +([\\d,]+)$"));
        int rank = 0;
        long long previous = -1;
        qsizetype width = -1;
        for (const QString& line : lines) {
            const QRegularExpressionMatch m = row.match(line);
            if (!m.hasMatch())
                continue;
            EXPECT_EQ(m.captured(1).toInt(), ++rank);
            const long long value = m.captured(3).remove(u',').toLongLong();
            if (previous >= 0) {
                EXPECT_LE(value, previous) << line.toStdString();
            }
            previous = value;
            if (width < 0)
                width = line.size();
            EXPECT_EQ(line.size(), width) << line.toStdString();
        }
        EXPECT_EQ(rank, 51) << target;
    }
}

TEST(HostCensus, LookupsAnswerEveryListedStateAndRealZipsAndSayWhenTheyHaveNoData) {
    const QString head = QStringLiteral("/cdrom/lookup/906005492=/906005506=/906005514=/906005522=/"
                                        "CMD=RET/DB=C90STF3C1/F0=FIPS.STATE/"
                                        "F1=STUB.GEO/FMT=HTML/LEV=STATE/SEL=");
    const QString zip_head =
        QStringLiteral("/cdrom/lookup/906003812=/906003889=/906003903=/906005246=/CMD="
                       "RET/DB=C90STF3B/F0=ZIP/FMT=HTML/LEV=ZIP/SEL=");
    const QString tail =
        QStringLiteral("/T=P1/T=P5/T=P6/T=P7/T=P13/T=P49/T=P50/T=P53/T=P54/T=P57/T=P78/"
                       "T=P80/T=P80A/T=P114A/T=H5/T=H25/T=H43A/T=H61/T=H61A");
    for (const QString& entry : census_state_list()) {
        if (entry == u"None")
            continue;
        // A blank cannot stand in a request line; it comes as "%20".
        const QString selection = census_selection(entry);
        const QString text = without_tags(
            answer_text(head + QString(selection).replace(u' ', QStringLiteral("%20")) + tail));
        const QString name =
            selection.mid(3) == u"Lousiana" ? QStringLiteral("Louisiana") : selection.mid(3);
        EXPECT_TRUE(text.contains(name + QStringLiteral(" (sample figures")))
            << entry.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\nP1 +Persons +[\\d,]+\\n"))))
            << entry.toStdString();
        EXPECT_TRUE(
            text.contains(QRegularExpression(QStringLiteral("\\nH61A +Median gross rent"))));
    }

    const QString zip_text = without_tags(answer_text(zip_head + QStringLiteral("60601") + tail));
    EXPECT_TRUE(
        zip_text.contains(QStringLiteral("ZIP Code 60601 (Chicago, Illinois) (sample figures")));

    struct Unknown {
        const char* head_kind;
        const char* selection;
    };
    const Unknown unknowns[] = {
        {"state", "None"}, {"state", "17-Illinois"}, {"state", "17,Ohio"},  {"state", ""},
        {"zip", "6061"},   {"zip", "99999"},         {"zip", "17,Illinois"}};
    for (const Unknown& u : unknowns) {
        const QString text = answer_text((u.head_kind[0] == 's' ? head : zip_head) +
                                         QString::fromLatin1(u.selection) + tail);
        EXPECT_TRUE(text.contains(QStringLiteral("No data are available for the selection")))
            << u.selection;
        EXPECT_FALSE(text.contains(QStringLiteral("Persons"))) << u.selection;
    }
}

TEST(HostBulletins, PagesAreTheSameWithinAnHourAndFollowTheHour) {
    for (const char* target : {"/iwin/IL/zone.html", "/iwin/TX/shortterm.html",
                               "/iwin/IL/public.html", "/statab/ranks/pg20.txt"}) {
        const QString t = QString::fromLatin1(target);
        const QString first = answer_text(t, fixed_hour.addSecs(60));
        EXPECT_EQ(first, answer_text(t, fixed_hour.addSecs(59 * 60))) << target;
        if (t.startsWith(QStringLiteral("/iwin/"))) {
            EXPECT_NE(first, answer_text(t, fixed_hour.addSecs(3600))) << target;
        }
    }
}
