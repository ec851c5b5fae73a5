#include "textproducts/text_cleaning.h"

#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

namespace {

QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

} // namespace

TEST(TextCleaning, Level2StripsTagsTurnsTwoReferencesIntoCharactersAndTrimsControls) {
    const struct {
        const char* body;
        const char* cleaned;
    } rows[] = {
        {"<html><b>TONIGHT</b>...CLOUDY.</html>", "TONIGHT...CLOUDY."},
        {"LOW 25&#176;F", "LOW 25&\xb0"
                          "F"},
        {"A&nbsp;B nbsp;C", "A& B  C"},
        {"#176;#17 nbsp", "\xb0#17 nbsp"},
        {"<b>#176</b>;nb<i>sp;", "#176;nbsp;"},
        {"##176;nnbsp;X", "#\xb0n X"},
        {"X #176", "X #176"},
        // Line breaks and tabs inside stay; everything of code 32 or below goes at both ends.
        {" \r\n\t<p>\r\nA\tB\r\n</p>\x01 \n", "A\tB"},
        // A "<" with no ">" after it: the rest is a cut-off tag and is dropped.
        {"KEEP<a href=\"x\" never closed", "KEEP"},
        {"KEEP< ", "KEEP"},
        {"A > B <x>C", "A > B C"},
        {"<only tags><>", ""},
        {"", ""},
        {"nnnn", "nnnn"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(level2_parse(row.body), QByteArray(row.cleaned)) << row.body;
}

TEST(TextCleaning, CensusTextsStopAtTheFirstLowerCaseLinkAndDoubleTheirCarriageReturns) {
    const struct {
        const char* body;
        const char* shown;
    } rows[] = {
        {"A\nB\n", "A\r\nB\r\n"},
        {"A\r\nB", "A\r\r\nB"},
        {"RANK 1\nSee http://www.census.gov/x\nmore", "RANK 1\r\nSee "},
        {"HTTP://UPPER.CASE/ stays\nHttp://x", "HTTP://UPPER.CASE/ stays\r\nHttp://x"},
        {"http://at.start", ""},
        {"no newline", "no newline"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(parse_text(row.body), QByteArray(row.shown)) << row.body;
}

TEST(TextCleaning, LongBodiesCleanAlikeWhereverTheirMarkupStands) {
    // Each body is cleaned behind 0 to 63 other bytes, so that its markup stands before, across
    // and after every 16-byte stretch the cleaning walks a body in.
    const QByteArray z(40, 'Z');
    const struct {
        QByteArray body, level2, shown; // shown: parse_text of the body
    } rows[] = {
        {"<b>TONIGHT</b>...CLOUDY." + z, "TONIGHT...CLOUDY." + z, "<b>TONIGHT</b>...CLOUDY." + z},
        {"LOW 25&#176;F\nHIGH&nbsp;30" + z, "LOW 25&\xb0" + ("F\nHIGH& 30" + z),
         "LOW 25&#176;F\r\nHIGH&nbsp;30" + z},
        {"##176;nnbsp;X\n\n\n" + z, "#\xb0" + ("n X\n\n\n" + z), "##176;nnbsp;X\r\n\r\n\r\n" + z},
        {"<b>#176</b>;nb<i>sp;" + z, "#176;nbsp;" + z, "<b>#176</b>;nb<i>sp;" + z},
        {"<a href=\"/iwin/il/zone123.html\" title=\"a;b\">DETAIL</a><br>" + z, "DETAIL" + z,
         "<a href=\"/iwin/il/zone123.html\" title=\"a;b\">DETAIL</a><br>" + z},
        {"A > B;<x>C;nbsp" + z, "A > B;C;nbsp" + z, "A > B;<x>C;nbsp" + z},
        {"See http://census.example/\nmore" + z, "See http://census.example/\nmore" + z, "See "},
        {"KEEP<a href=\"x\" never closed" + z, "KEEP", "KEEP<a href=\"x\" never closed" + z},
    };
    for (const auto& row : rows) {
        for (int offset = 0; offset < 64; ++offset) {
            const QByteArray lead(offset, 'A');
            const QByteArray body = lead + row.body;
            EXPECT_EQ(level2_parse(body), lead + row.level2) << body.constData();
            EXPECT_EQ(parse_text(body), lead + row.shown) << body.constData();
        }
    }
}

TEST(TextCleaning, BulletinsShowTheirTextOrTheNotAvailableLine) {
    EXPECT_EQ(parse_warning_html("SPECIAL STATEMENT", QStringLiteral("IL")),
              QByteArray("SPECIAL STATEMENT\r\n--- End of File --"));
    EXPECT_EQ(
        parse_warning_html("THE PRODUCT is not currently available here", QStringLiteral("IL")),
        QByteArray(" Sorry, this IL information is not currently available.--- End of File --"));
    // The words in capitals are bulletin text, not the host's answer.
    EXPECT_EQ(parse_warning_html("NOT CURRENTLY AVAILABLE", QStringLiteral("IL")),
              QByteArray("NOT CURRENTLY AVAILABLE\r\n--- End of File --"));
}

TEST(TextCleaning, TheCountySectionRunsFromOneBeforeTheNameToTheNextDoubleDollar) {
    const QByteArray bulletin("ZONE FORECASTS FOR ILLINOIS\n"
                              "ILZ013-\nCOOKSVILLE-MCLEAN-\nTONIGHT...CLEAR.\n$$\n"
                              "ILZ014-\nCOOK-DUPAGE-\nTONIGHT...SNOW.\n$$\n"
                              "ILZ099-\nWILL-\nTONIGHT...WINDY.\n");
    const struct {
        const char* county;
        CastKind kind;
        const char* text;    // nullptr: the whole bulletin
        const char* message; // "" for none
        const char* caption;
        int statuses;
    } rows[] = {
        // The plain substring search: "cook" is found inside COOKSVILLE first.
        {"cook", CastKind::Forecast, "\nCOOKSVILLE-MCLEAN-\nTONIGHT...CLEAR.\n", "",
         "Nimbrix - Text Forecast for COOK county, IL", 4},
        {"DuPage", CastKind::Nowcast, "-DUPAGE-\nTONIGHT...SNOW.\n", "",
         "Nimbrix - Text Nowcast for DUPAGE county, IL", 4},
        // No "$$" after the county: the section runs to the end.
        {"will", CastKind::Forecast, "\nWILL-\nTONIGHT...WINDY.\n", "",
         "Nimbrix - Text Forecast for WILL county, IL", 4},
        // A match at the first character starts the section there.
        {"zone", CastKind::Forecast,
         "ZONE FORECASTS FOR ILLINOIS\nILZ013-\nCOOKSVILLE-MCLEAN-\n"
         "TONIGHT...CLEAR.\n",
         "", "Nimbrix - Text Forecast for ZONE county, IL", 4},
        {"lake", CastKind::Nowcast, nullptr,
         "Sorry, LAKE county was not found.  Displaying state zone info...",
         "Nimbrix - Text Nowcast for IL", 3},
        // One character is no county: the whole text, no message.
        {"c", CastKind::Forecast, nullptr, "", "Nimbrix - Text Forecast for IL", 2},
        {"", CastKind::Nowcast, nullptr, "", "Nimbrix - Text Nowcast for IL", 2},
    };
    for (const auto& row : rows) {
        const CountyCut cut =
            county_parse(row.kind, bulletin, QLatin1String(row.county), QStringLiteral("IL"));
        EXPECT_FALSE(cut.refused) << row.county;
        EXPECT_EQ(cut.text, row.text ? QByteArray(row.text) : bulletin) << row.county;
        EXPECT_EQ(cut.message, u(row.message)) << row.county;
        EXPECT_EQ(cut.caption, u(row.caption)) << row.county;
        ASSERT_EQ(cut.status_texts.size(), row.statuses) << row.county;
        EXPECT_EQ(cut.status_texts.first(), u("parsing data...")) << row.county;
        EXPECT_EQ(cut.status_texts.last(), u("parsing complete...")) << row.county;
    }
    const CountyCut found =
        county_parse(CastKind::Forecast, bulletin, QStringLiteral("cook"), QStringLiteral("IL"));
    EXPECT_EQ(found.status_texts.mid(1, 2), (QStringList{u("parsing - looking for COOK county..."),
                                                         u("parsing - found COOK county...")}));

    const CountyCut refused =
        county_parse(CastKind::Forecast, bulletin, QStringLiteral("cook"), QString());
    EXPECT_TRUE(refused.refused);
    EXPECT_TRUE(refused.text.isEmpty());
    EXPECT_TRUE(refused.status_texts.isEmpty());
    EXPECT_EQ(refused.message,
              u("Sorry, State code not found.  Please reselect the location under GetStats."));
}

TEST(TextCleaning, TheCensusStateListAndItsRewrite) {
    const QStringList& list = census_state_list();
    ASSERT_EQ(list.size(), 52);
    EXPECT_EQ(list.first(), u("None"));
    EXPECT_EQ(list.at(14), u("17-Illinois"));
    EXPECT_EQ(list.at(19), u("22-Lousiana")); // the list's own spelling
    EXPECT_EQ(list.last(), u("56-Wyoming"));
    for (const QString& entry : list.mid(1))
        EXPECT_TRUE(entry.at(0).isDigit() && entry.at(1).isDigit() && entry.at(2) == u'-')
            << entry.toStdString();

    // Every entry keeps its rewritten form when the rewrite runs again (a second "&Get it").
    for (const QString& entry : list) {
        const QString once = census_selection(entry);
        EXPECT_EQ(census_selection(once), once) << entry.toStdString();
    }
    EXPECT_EQ(census_selection(QStringLiteral("17-Illinois")), u("17,Illinois"));
    EXPECT_EQ(census_selection(QStringLiteral("11-District of Columbia")),
              u("11,District of Columbia"));
    EXPECT_EQ(census_selection(QStringLiteral("None")), u("No,e"));
    EXPECT_EQ(census_selection(QString()), u(","));
}
