// The tray pictures, placed pixel by pixel: at 16 × 16 hand-placed pixels stay crisp where
// scaled-down vector drawings go soft. Every shape carries a dark rim so it reads on light
// panels, and a light face so it reads on dark ones.
#include "art.h"

// The pixel maps and colour tables below are laid out by hand, one row a line.
// clang-format off

namespace art {
namespace {

// A cloud as wide as the picture, ten rows high.
const std::vector<std::string_view> big_cloud = {
    "......KKKK......",
    ".....KWWWWK.....",
    "....KWWWWWWK....",
    "..KKKWWWWWWKKKK.",
    ".KWWWWWWWWWWWWWK",
    "KWWWWWWWWWWWWWWK",
    "KWWWWWWWWWWWWWWK",
    "KwWWWWWWWWWWWWwK",
    "KgwwwwwwwwwwwwgK",
    ".KKKKKKKKKKKKKK.",
};

// A smaller cloud, twelve wide and eight high.
const std::vector<std::string_view> small_cloud = {
    ".....KKKK...",
    "....KWWWWK..",
    "..KKWWWWWWK.",
    ".KWWWWWWWWWK",
    "KWWWWWWWWWWK",
    "KWWWWWWWWWWK",
    "KgwwwwwwwwgK",
    ".KKKKKKKKKK.",
};

// A sun filling the picture, rays included.
const std::vector<std::string_view> big_sun = {
    ".......oo.......",
    ".o.....oo.....o.",
    "..o..........o..",
    "......RRRR......",
    "....RRyyyYRR....",
    "....RyyYYYYR....",
    "...RyyYYYYYYR...",
    "oo.RyYYYYYYYR.oo",
    "oo.RYYYYYYYOR.oo",
    "...RYYYYYYOOR...",
    "....RYYYYOOR....",
    "....RROOOORR....",
    "......RRRR......",
    "..o..........o..",
    ".o.....oo.....o.",
    ".......oo.......",
};

// A smaller sun, twelve by twelve, for skies it shares with a cloud.
const std::vector<std::string_view> small_sun = {
    ".....oo.....",
    ".o........o.",
    "....RRRR....",
    "...RyyYYR...",
    "..RyYYYYYR..",
    "o.RYYYYYOR.o",
    "o.RYYYYYOR.o",
    "..RYYYYOOR..",
    "...RYOOOR...",
    "....RRRR....",
    ".o........o.",
    ".....oo.....",
};

constexpr std::string_view grey_cloud = "WGwHgD";
constexpr std::string_view storm_cloud = "WEwFgF";

QImage unknown_sky() {
    // A thermometer: weather, but no particular sky.
    return paint_pixel_layers(16, {{0, 0, {
        ".......KKK......",
        "......KWWWK.....",
        "......KWwWK.....",
        "......KWwWKHH...",
        "......KWwWK.....",
        "......KWMWK.....",
        "......KWMWKHH...",
        "......KWMWK.....",
        "......KWMWK.....",
        ".....KKWMWKK....",
        "....KWWMMMWmK...",
        "....KWMMMMMmK...",
        "....KWMMMMMmK...",
        "....KMMMMMmmK...",
        ".....KmmmmmK....",
        "......KKKKK.....",
    }}});
}

QImage haze_fog() {
    // A pale sun sinking behind three banks of mist.
    return paint_pixel_layers(16, {
        {2, 0, small_sun, "YuyuOUoURUrU"},
        {0, 6, {
            "..KKKKKKKKKKK...",
            ".KWWWWWWWWWWWK..",
            "..KKKKKKKKKKKKK.",
            "....KWWWWWWWWWWK",
            ".KKKKKKKKKKKKKK.",
            "KWWWWWWWWWWWWK..",
            ".KKKKKKKKKKKKKK.",
            "...KWWWWWWWWWWWK",
            "....KKKKKKKKKKK.",
        }},
    });
}

QImage thunderstorm() {
    return paint_pixel_layers(16, {
        {0, 0, big_cloud, storm_cloud},
        {4, 6, {
            "...RRRR.",
            "..RYYYR.",
            "..RYYR..",
            ".RYYRRRR",
            ".RyYYYYR",
            "RRRRYYR.",
            "...RYR..",
            "...RYR..",
            "..RYR...",
            "..RR....",
        }},
    });
}

QImage mostly_cloudy() {
    // A grey cloud behind a white one: little or no sun left.
    return paint_pixel_layers(16, {
        {4, 1, small_cloud, grey_cloud},
        {0, 5, big_cloud},
    });
}

QImage partly_cloudy() {
    return paint_pixel_layers(16, {
        {0, 0, small_sun},
        {4, 7, small_cloud},
    });
}

QImage mist_drizzle() {
    return paint_pixel_layers(16, {
        {0, 0, big_cloud},
        {0, 11, {
            "..B....B....B...",
            "..b....b....b...",
            "................",
            ".....B....B.....",
            ".....b....b.....",
        }},
    });
}

QImage windy() {
    return paint_pixel_layers(16, {{0, 0, {
        "................",
        "..........KKK...",
        ".........KWWWK..",
        "KKKKKKKKKKKKKWK.",
        "KWWWWWWWWWWWWWK.",
        "KKKKKKKKKKKKKK..",
        "................",
        "...KKKKKKKKKKKK.",
        "..KWWWWWWWWWWWWK",
        "...KKKKKKKKKKKK.",
        "................",
        "KKKKKKKKKKKK....",
        "KWWWWWWWWWWWK...",
        "KKKKKKKKKKKWK...",
        "........KWWWK...",
        ".........KKK....",
    }}});
}

QImage sleet_hail() {
    return paint_pixel_layers(16, {
        {0, 0, big_cloud, grey_cloud},
        {0, 10, {
            "...B..........B.",
            "..B.....B....B..",
            ".b....B.s.B.b...",
            ".......sWs......",
            "......B.s.B.....",
            "........B.......",
        }},
    });
}

QImage clear_night() {
    return paint_pixel_layers(16, {
        {0, 1, {
            "....PP..........",
            "...PPP..........",
            "..PPP...........",
            ".PPPP...........",
            ".PPPP...........",
            "PPPPp...........",
            "PPPPPp..........",
            "PPPPPp..........",
            ".PPPPPpp........",
            ".pPPPPPPPPpp....",
            "..ppPPPPPPp.....",
            "...pppppp.......",
        }, {}, 'Q'},
        {9, 1, {
            ".y.",
            "yYy",
            ".y.",
        }},
        {13, 5, {"Y"}},
        {11, 9, {"y"}},
    });
}

QImage rain() {
    return paint_pixel_layers(16, {
        {0, 0, big_cloud, grey_cloud},
        {0, 10, {
            "....B....B....B.",
            "...B....B....B..",
            "..b....b....b...",
            "................",
            "..B....B....B...",
            ".b....b....b....",
        }},
    });
}

QImage snow() {
    return paint_pixel_layers(16, {
        {0, 0, big_cloud},
        {1, 10, {
            "..B.........",
            "B.s.B....B..",
            ".sWs...B.s.B",
            "B.s.B...sWs.",
            "..B....B.s.B",
            ".........B..",
        }},
    });
}

QImage sunny() { return paint_pixel_layers(16, {{0, 0, big_sun}}); }

QImage cloudy() { return paint_pixel_layers(16, {{0, 3, big_cloud}}); }

} // namespace

std::vector<NamedPicture> tray_pictures() {
    const QImage pictures[] = {
        unknown_sky(),   // 0: no word of the sky text matched
        haze_fog(),      // 1: haze, fog
        thunderstorm(),  // 2
        mostly_cloudy(), // 3: mostly cloudy, overcast
        partly_cloudy(), // 4: partly cloudy, scattered clouds
        mist_drizzle(),  // 5: mist, drizzle
        windy(),         // 6: spare
        sleet_hail(),    // 7: spare
        clear_night(),   // 8: spare
        rain(),          // 9
        snow(),          // 10
        sunny(),         // 11: sun, clear
        cloudy(),        // 12
    };
    std::vector<NamedPicture> out;
    for (int i = 0; i < 13; ++i)
        out.push_back({QStringLiteral("sky%1").arg(i, 2, 10, QLatin1Char('0')), pictures[i]});
    return out;
}

} // namespace art
// clang-format on
