#include "app/units.h"

#include "print_qstring.h"

#include <gtest/gtest.h>

namespace {

// Texts in these tables write the degree sign as "~" for readability.
QString t(const char* text) {
    return QString::fromUtf8(text).replace(u'~', degree_sign);
}

struct ConvertCase {
    const char* field_text;
    TemperatureCode code;
    const char* expected_text;
    std::optional<int> expected_f;
};

TEST(ConvertTemperature, ReadsDigitsOfTheFirstFourCharactersAndConverts) {
    using enum TemperatureCode;
    const ConvertCase cases[] = {
        {" 72~F ", FX, " 72~F ", 72}, // English display keeps the page's text
        {" 72~F ", FC, "22~ C  ", 72},
        {"100~F", FC, "38~ C  ", 100}, // 37.8 rounds up
        {"-5~F", FC, "-21~ C  ", -5},  // -20.6
        {"-5~F", FX, "-5~F", -5},
        {" -40", FC, "-40~ C  ", -40},
        {"32~F", FC, "0~ C  ", 32},
        {"7 2~", FX, "7 2~", 72},                   // digits need not be adjacent
        {"12345", FX, "12345", 1234},               // only the first four characters count
        {"5-3~", FX, "5-3~", 53},                   // a minus behind the first digit is skipped
        {"-7~ F", Empty, "-22~ C  ", std::nullopt}, // -21.7; the empty code keeps temperature_f
        {"75~F ", Empty, "24~ C  ", std::nullopt},
        {"n/a", FX, "n/a", 999},
        {"", FC, "n/a", 999},
        {"   7", FX, "   7", 7},
        {"    7", FX, "n/a", 999},           // the digit is the fifth character
        {"N/A", Empty, "n/a", std::nullopt}, // no digits: the parsed temperature survives
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field_text);
        const ConvertedTemperature result = convert_temperature(t(c.field_text), c.code);
        EXPECT_EQ(result.field_text, t(c.expected_text));
        EXPECT_EQ(result.temperature_f, c.expected_f);
    }
}

struct HeatIndexCase {
    int temperature_f;
    const char* humidity;
    const char* heat_index_label;
    const char* metric;
    const char* expected;
};

TEST(ComputeHeatIndex, SimpleFormulaBelowEightyRegressionInFourDecimalFixedPointAbove) {
    const HeatIndexCase cases[] = {
        {90, "60% ", "n/a", "n", "100~ F"}, // 99.6778
        {90, "60% ", "n/a", "y", "38~ C  "},
        {90, "60% ", "n/a", "n/a", "100~ F"}, // an absent setting means English
        {59, "90% ", "n/a", "n", "n/a"},      // below 60
        {999, "60% ", "n/a", "n", "n/a"},     // no temperature
        {90, "60% ", "75~F ", "n", "75~F "},  // the page gave one: unchanged
        {90, "60% ", "75~F ", "y", "75~F "},
        {90, "60% ", "7", "n", "100~ F"}, // fewer than 2 characters: computed
        {90, "60% ", "", "n", "100~ F"},
        {72, "", "", "n", "69~ F"}, // emptied humidity counts as 0 %: 68.9
        {72, "n/a", "n/a", "n", "69~ F"},
        {72, "abc", "n/a", "n", "69~ F"},
        {80, " \t40%", "n/a", "n", "80~ F"}, // blanks and control characters trimmed first
        {100, "100%", "n/a", "n", "195~ F"},
        {100, "150%", "n/a", "n", "195~ F"}, // clamped to 100
        {84, "56% ", "n/a", "n", "86~ F"},   // 86.4999 term by term; 86.4997 in one sum
        {110, "10% ", "n/a", "n", "105~ F"},
        {71, "51% ", "n/a", "n", "70~ F"}, // 70.197; the regression would give 77
        {71, "51% ", "n/a", "y", "21~ C  "},
        {60, "84% ", "n/a", "n", "60~ F"},  // 59.648 (the regression: 70)
        {80, "48% ", "n/a", "n", "80~ F"},  // 79.956, average with T 79.978
        {80, "49% ", "n/a", "n", "81~ F"},  // 80.003, average 80.0015: the regression
        {68, "0% ", "n/a", "n", "64~ F"},   // 64.5 halves to even
        {61, "100% ", "n/a", "n", "62~ F"}, // 61.5 (the regression: 56)
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.temperature_f << " " << c.humidity << " "
                                        << c.heat_index_label << " " << c.metric);
        EXPECT_EQ(compute_heat_index(c.temperature_f, t(c.humidity), t(c.heat_index_label),
                                     QString::fromLatin1(c.metric)),
                  t(c.expected));
    }
}

struct WindChillCase {
    int temperature_f;
    const char* wind;
    const char* temperature_label;
    const char* metric;
    const char* expected;
};

TEST(ComputeWindChill, FormulaWithFixedPointProductAndLimits) {
    const WindChillCase cases[] = {
        {20, "NW at 15 mph ", "20~F ", "n", "-7~ F"}, // -7.1841
        {20, "NW at 15 mph ", "-7~ C  ", "y", "-22~ C  "},
        {20, "NW at 4 mph ", "20~F ", "n", "20~F "}, // light wind repeats the temperature
        {20, "NW at 4 mph ", "-7~ C  ", "y", "-7~ C  "},
        {999, "NW at 15 mph ", "n/a", "n", "n/a"}, // no temperature
        {999, "", "", "n", ""},
        {72, "", "", "n", "n/a"}, // emptied wind label
        {20, "Calm ", "20~F ", "n", "n/a"},
        {20, "5 to 20 mph", "20~F ", "n", "20~F "},     // 5 and 20 join to 520: 318 would be warmer
        {20, "North at 12 mph", "20~F ", "n", "10~ F"}, // digits only after nine characters
        {20, "Northwest at 9", "20~F ", "n", "6~ F"},   // the fourteenth character still counts
        {20, "Northwest at  9", "20~F ", "n", "n/a"},   // the fifteenth does not
        {-10, "N at 30 mph", "-10~F", "n", "-48~ F"},
        {0, "N at 30 mph", "0~F", "n", "-34~ F"},  // -34.5 halves to even
        {88, "S at 57 mph", "88~F", "n", "86~ F"}, // 85.5
        {60, "S at 20 mph", "60~F", "n", "51~ F"}, // no upper temperature limit
        // Never warmer than the air (the whole-number root of 6 is 2): the temperature stands.
        {30, "SW at 6 mph", "30~F ", "n", "30~F "}, // 32.5579
        {30, "SW at 6 mph", "-1~ C  ", "y", "-1~ C  "},
        {50, "W at 5 mph", "50~F", "n", "50~F"},     // 50.8791
        {100, "W at 10 mph", "100~F", "n", "100~F"}, // 101.5458
        {95, "S at 12 mph", "95~F", "n", "95~F"},    // 95.5
        {95, "S at 59 mph", "95~F", "n", "95~F"},    // 97.5
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.temperature_f << " " << c.wind << " " << c.metric);
        EXPECT_EQ(compute_wind_chill(c.temperature_f, t(c.wind), t(c.temperature_label),
                                     QString::fromLatin1(c.metric)),
                  t(c.expected));
    }
}

TEST(ComputeWindChill, AbsurdWindSpeedsStayDefined) {
    const QString result = compute_wind_chill(9999, t("99999999999999"), t("x"), "n");
    EXPECT_TRUE(result.endsWith(t("~ F"))) << result.toStdString();
}

} // namespace
