#include "images/wallpaper_choices.h"

namespace {

// clang-format off
constexpr WallpaperChoice choices[] = {
    {"US Radar Image - Purdue",                    "PurdueWx",    "/radar/rad_comp.gif",             "rad_comp.gif"},
    {"US Radar Image - Texas A&&M",                "TexasAM",     "/mcsat/mcimages/MDR/MDR.GIF",     "MDR.GIF"},
    {"US Radar Image - Yahoo",                     "Yahoo",       "/graphics/radar/nat_rad.wni.gif", "nat_rad.wni.gif"},
    {"US Radar w/Topography - Texas A&&M",         "TexasAM",     "/mcsat/mcimages/MDR/MDRTOPO.GIF", "MDRTOPO.GIF"},
    {"Europe Satellite Image",                     "Yahoo",       "/graphics/satellite/europe.jpg",  "europe.jpg"},
    {"Europe Satellite Image - Meteo",             "Meteo",       "/tpsreel/images/satt0.jpg",       "satt0.jpg"},
    {"Global Temp/Weather Image - UW-M",           "UWM",         "/data/comp/latest_cmoll.gif",     "latest_cmoll.gif"},
    {"US Infrared Satellite Image - Purdue",       "PurdueWx",    "/satellite/sat_ir_us.gif",        "sat_ir_us.gif"},
    {"US Infrared/Satellite/Radar Image - Purdue", "PurdueAtmos", "/satellite/sat_ir_rad.gif",       "sat_ir_rad.gif"},
};
// clang-format on

} // namespace

const WallpaperChoice* auto_wallpaper_choice(const QString& value) {
    for (const WallpaperChoice& choice : choices)
        if (value == QLatin1String(choice.value))
            return &choice;
    return nullptr;
}
