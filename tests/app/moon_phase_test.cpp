#include "app/moon_phase.h"

#include "print_qstring.h"

#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace {

const QString year_warning = QStringLiteral(
    "Warning - invalid year1 in moon phase logic.  Please contact Corvalen support.");

QString cell(int year, int month, int day) {
    return moon_cell(moon_table(year), month, day);
}

TEST(MoonTable, EveryYearHasTheCellLayout) {
    const QRegularExpression fraction(QStringLiteral("^[01]\\.\\d\\d$"));
    for (int year = moon_first_year; year <= moon_last_year; ++year) {
        SCOPED_TRACE(year);
        const QString table = moon_table(year);
        ASSERT_EQ(table.size(), 1664);
        for (int day = 1; day <= 31; ++day)
            EXPECT_EQ(table.mid(52 * (day - 1), 4), QString::asprintf("%04d", day));
        EXPECT_EQ(table.mid(52 * 31), QStringLiteral("9999") + QStringLiteral("9.99").repeated(12));

        const QString filler = (year >= 2000 && year <= 2005) ? "0.00" : "9.99";
        for (int month = 1; month <= 12; ++month)
            for (int day = 1; day <= 31; ++day) {
                const QString value = cell(year, month, day);
                if (QDate(year, month, day).isValid()) {
                    ASSERT_TRUE(fraction.match(value).hasMatch()) << month << "/" << day;
                    ASSERT_LE(value, QStringLiteral("1.00"));
                } else {
                    ASSERT_EQ(value, filler) << month << "/" << day;
                }
            }
    }
    EXPECT_TRUE(moon_table(1997).isEmpty());
    EXPECT_TRUE(moon_table(2100).isEmpty());
}

TEST(MoonTable, Keeps1998sTellingRows) {
    const QString table = moon_table(1998);
    EXPECT_EQ(table.left(52), "00010.070.190.080.210.260.400.430.550.670.710.850.90");
    EXPECT_EQ(table.mid(52 * 12, 8), "00131.00");
    EXPECT_EQ(cell(1998, 1, 28), "0.00");
    EXPECT_EQ(cell(1998, 3, 28), "0.00");
    EXPECT_EQ(cell(2000, 2, 29).size(), 4);
    EXPECT_NE(cell(2000, 2, 29), "0.00"); // a real value on a leap day
}

struct DateCase {
    QDate date;
    const char* picture;
};

TEST(MoonPhaseForDate, PicksThePictureOfTheDay) {
    const DateCase cases[] = {
        {{1998, 1, 13}, "GIFImageFull"}, // 1.00
        {{1998, 1, 28}, "GIFImagenew"},  // 0.00
        {{1998, 1, 29}, "GIFImagenew"},  // 0.01, rising
        {{1998, 1, 20}, "GIFImage50x"},  // 0.58, next 0.48
        {{1998, 1, 5}, "GIFImagel40x"},  // 0.43, next 0.55
        {{1998, 1, 31}, "GIFImagel10x"}, // 0.10, next 1 February 0.19
        // Month and year ends compare with the next calendar day.
        {{2001, 4, 30}, "GIFImagel40x"}, // 0.42, next 1 May 0.53
        {{2004, 2, 29}, "GIFImagel50x"}, // 0.58, next 1 March 0.67
        {{1998, 4, 30}, "GIFImagel10x"}, // 0.17, next 1 May 0.26
        {{1999, 12, 31}, "GIFImage30x"}, // 0.36, next 1 January 2000 0.27
        {{2004, 12, 31}, "GIFImage80x"}, // 0.84, next 1 January 2005 0.76
        {{2001, 12, 31}, "GIFImageFull"},
        // The last date in the tables follows the trend from the day before (0.93, 0.86).
        {{2099, 12, 31}, "GIFImage80x"},
        // 2026: the annular and the total solar eclipse fall on new moons, the total and the
        // partial lunar eclipse on full moons.
        {{2026, 2, 17}, "GIFImagenew"},
        {{2026, 8, 12}, "GIFImagenew"},
        {{2026, 3, 3}, "GIFImageFull"},
        {{2026, 8, 28}, "GIFImageFull"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
        const MoonPhase phase = moon_phase_for_date(c.date);
        EXPECT_EQ(phase.picture, c.picture);
        EXPECT_FALSE(phase.beep);
        EXPECT_EQ(phase.message, "");
    }
}

TEST(MoonPhaseForDate, OutsideTheTablesWarnsWithABeep) {
    for (const QDate date : {QDate(1997, 12, 31), QDate(1900, 6, 1), QDate(2100, 1, 1), QDate()}) {
        const MoonPhase phase = moon_phase_for_date(date);
        EXPECT_EQ(phase.picture, "");
        EXPECT_TRUE(phase.beep);
        EXPECT_EQ(phase.message, year_warning);
    }
    EXPECT_FALSE(moon_phase_for_date(QDate(1998, 1, 1)).beep);
    EXPECT_FALSE(moon_phase_for_date(QDate(2099, 12, 31)).beep);
}

struct CellCase {
    const char* today;
    bool rising;
    const char* picture;
    const char* message;
};

TEST(MoonPicture, NamesFromTheCellAndItsGuards) {
    const CellCase cases[] = {
        {"1.00", false, "GIFImageFull", ""},
        {"1.00", true, "GIFImageFull", ""},
        {"0.00", false, "GIFImagenew", ""},
        {"0.09", true, "GIFImagenew", ""},
        {"0.10", true, "GIFImagel10x", ""},
        {"0.10", false, "GIFImage10x", ""},
        {"0.99", true, "GIFImagel90x", ""},
        {"0.99", false, "GIFImage90x", ""},
        {"0.55", true, "GIFImagel50x", ""},
        {"0002", true, "",
         "Error - no dot found in Moon Phase logic...  Please contact Corvalen support.  "
         "(moonp error=0002)"},
        {"1.x0", false, "",
         "Error - invalid moon phase calculation...Moonfile = GifImagex0x  "
         "Please contact Corvalen support."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.today);
        const MoonPhase phase = moon_picture(c.today, c.rising);
        EXPECT_EQ(phase.picture, c.picture);
        EXPECT_EQ(phase.message, c.message);
        EXPECT_FALSE(phase.beep);
    }
}

// An independent check of the tables: new and full moons by the mean synodic month, whose
// dates stray from the true ones by less than 15 hours, against the tables sampled once a day.
TEST(MoonTable, NewAndFullMoonsAgreeWithTheMeanLunation) {
    constexpr double synodic_month = 29.530588861;
    constexpr double mean_new_moon_2000 = 2451550.09766; // 6 January 2000, 14:20 TT

    std::vector<double> jd;
    std::vector<double> value;
    for (QDate d(moon_first_year, 1, 1); d.year() <= moon_last_year; d = d.addDays(1)) {
        jd.push_back(static_cast<double>(d.toJulianDay()) - 0.5); // 0h UT
        value.push_back(cell(d.year(), d.month(), d.day()).toDouble());
    }
    // Days from the nearest mean new moon (phase 0) or mean full moon (phase 0.5).
    const auto distance = [&](double when, double phase) {
        const double lunations = (when - mean_new_moon_2000) / synodic_month - phase;
        return std::fabs(lunations - std::round(lunations)) * synodic_month;
    };

    for (const double phase : {0.0, 0.5}) {
        SCOPED_TRACE(phase == 0.0 ? "new moons" : "full moons");
        const auto extreme = [&](double v) { return phase == 0.0 ? v <= 0.01 : v >= 0.99; };
        // Every day of an extreme lies near a mean phase ...
        for (std::size_t i = 0; i < jd.size(); ++i) {
            if (extreme(value[i])) {
                EXPECT_LE(distance(jd[i], phase), 2.0) << "JD " << jd[i] << " " << value[i];
            }
        }
        // ... and every mean phase inside the tables has such a day within 1.2 days.
        int phases = 0;
        for (double k = std::ceil((jd.front() + 2 - mean_new_moon_2000) / synodic_month - phase);;
             ++k) {
            const double when = mean_new_moon_2000 + (k + phase) * synodic_month;
            if (when > jd.back() - 2)
                break;
            ++phases;
            bool found = false;
            const auto near = static_cast<std::size_t>(std::lround(when - jd.front()));
            for (std::size_t i = near - 2; i <= near + 2; ++i)
                found = found || (std::fabs(jd[i] - when) <= 1.2 && extreme(value[i]));
            EXPECT_TRUE(found) << "mean phase at JD " << when;
        }
        EXPECT_GT(phases, 1250);
    }
}

} // namespace
