#include "image_host.h"

#include "camera_scenes.h"
#include "image_files.h"
#include "weather_maps.h"

#include <QHash>
#include <QMutex>
#include <QTimeZone>
#include <deque>
#include <mutex>

namespace {

enum class Picture {
    Radar,
    RadarUnavailable,
    Satellite,
    StormWatch,
    Seasonal,
    Outlook,
    Camera,
    Population
};

// One image path: the catalogue row's menu item and local file name, the path, and what the
// picture shows. `arg` is the radar look, satellite view, seasonal page, outlook map number
// (negative for precipitation), camera row or 1 for the world population.
struct ImageRow {
    const char* item;
    const char* file;
    const char* path;
    Picture picture;
    int arg;
};

constexpr int animated_frames = 6;

// clang-format off
const ImageRow image_rows[] = {
    {"mnuUSRadarPurdue", "rad_comp.gif", "/radar/rad_comp.gif", Picture::RadarUnavailable, 0},
    {"", "rad_comp-2.gif", "/radar/previous/rad_comp-2.gif", Picture::Radar, int(RadarLook::Purdue)},
    {"mnuUSRadarAM", "MDR.GIF", "/mcsat/mcimages/MDR/MDR.GIF", Picture::Radar, int(RadarLook::TexasAM)},
    {"mnuUSRadarYahoo", "nat_rad.wni.gif", "/graphics/radar/nat_rad.wni.gif", Picture::Radar, int(RadarLook::Yahoo)},
    {"mnuUSRadarwithTopAM", "MDRTOPO.GIF", "/mcsat/mcimages/MDR/MDRTOPO.GIF", Picture::Radar, int(RadarLook::TexasAMTopo)},
    {"mnuUSRadarWeatherBank1", "hr00us.gif", "/free/hrad/hr00us.gif", Picture::Radar, int(RadarLook::WeatherBank)},
    {"mnuEuropeSat1", "europe.jpg", "/graphics/satellite/europe.jpg", Picture::Satellite, int(SatelliteView::EuropeVisible)},
    {"mnuEuropeSatMeteo", "satt0.jpg", "/tpsreel/images/satt0.jpg", Picture::Satellite, int(SatelliteView::EuropeMeteo)},
    {"mnuGlobalUWM", "latest_cmoll.gif", "/data/comp/latest_cmoll.gif", Picture::Satellite, int(SatelliteView::GlobalTemperature)},
    {"mnuUSInfraredPurdue", "sat_ir_us.gif", "/satellite/sat_ir_us.gif", Picture::Satellite, int(SatelliteView::UsInfrared)},
    {"mnuUSSatInfRadarPurdue", "sat_ir_rad.gif", "/satellite/sat_ir_rad.gif", Picture::Satellite, int(SatelliteView::UsInfraredRadar)},
    {"mnuUSStormWatch1", "SWUS2D.gif", "/STORMWATCH/images/SWUS2D.gif", Picture::StormWatch, 0},
    {"mnu1and3monthUSPrecipitation1", "page2.gif", "/products/predictions/multi_season/13_seasonal_outlooks/color/page2.gif", Picture::Seasonal, 2},
    {"mnu12monthUSTemperatureOutlook1", "page3.gif", "/products/predictions/multi_season/13_seasonal_outlooks/color/page3.gif", Picture::Seasonal, 3},
    {"mnu12monthUSPrecipitationOutlook1", "page4.gif", "/products/predictions/multi_season/13_seasonal_outlooks/color/page4.gif", Picture::Seasonal, 4},
    {"mnuCurrWorldPop1", "pcwgif.gif", "/cgi-bin/ipc/pcwgif", Picture::Population, 1},
    {"mnuCurrentUSPopulation1", "pcugif.gif", "/cgi-bin/pcugifd.pl?1", Picture::Population, 0},
    {"mnu10Africa1", "temp10.gif", "/pix/temp10.gif", Picture::Outlook, 10},
    {"mnu10Australia1", "temp7.gif", "/pix/temp7.gif", Picture::Outlook, 7},
    {"mnu10CanadaAlaska1", "temp2.gif", "/pix/temp2.gif", Picture::Outlook, 2},
    {"mnu10ContUS1", "temp1.gif", "/pix/temp1.gif", Picture::Outlook, 1},
    {"mnu10EastAsia1", "temp5.gif", "/pix/temp5.gif", Picture::Outlook, 5},
    {"mnu10Europe1", "temp4.gif", "/pix/temp4.gif", Picture::Outlook, 4},
    {"mnu10MexicoCarribean1", "temp3.gif", "/pix/temp3.gif", Picture::Outlook, 3},
    {"mnu10MidEast1", "temp9.gif", "/pix/temp9.gif", Picture::Outlook, 9},
    {"mnu10SouthAmerica1", "temp8.gif", "/pix/temp8.gif", Picture::Outlook, 8},
    {"mnu10SouthAsia1", "temp6.gif", "/pix/temp6.gif", Picture::Outlook, 6},
    {"mnu10PrecAfrica", "prec10.gif", "/pix/prec10.gif", Picture::Outlook, -10},
    {"mnu10PrecAustralia1", "prec7.gif", "/pix/prec7.gif", Picture::Outlook, -7},
    {"mnu10PrecCanadaAlaska1", "prec2.gif", "/pix/prec2.gif", Picture::Outlook, -2},
    {"mnu10PrecContinentalUS1", "prec1.gif", "/pix/prec1.gif", Picture::Outlook, -1},
    {"mnu10PrecEastAsia1", "prec5.gif", "/pix/prec5.gif", Picture::Outlook, -5},
    {"mnu10PrecEurope1", "prec4.gif", "/pix/prec4.gif", Picture::Outlook, -4},
    {"mnu10PrecMexicoCarribean1", "prec3.gif", "/pix/prec3.gif", Picture::Outlook, -3},
    {"mnu10PrecMidEast1", "prec9.gif", "/pix/prec9.gif", Picture::Outlook, -9},
    {"mnu10PrecSouthAmerica1", "prec8.gif", "/pix/prec8.gif", Picture::Outlook, -8},
    {"mnu10PrecSouthAsia1", "prec6.gif", "/pix/prec6.gif", Picture::Outlook, -6},
    {"mnuCamAlaskaAnchorage1", "recent0.jpg", "/recent0.jpg", Picture::Camera, 0},
    {"mnuCamArizonaPhoenix1", "camera80.jpg", "/Images/Cameras/camera80.jpg", Picture::Camera, 1},
    {"mnuCamArkansasLittleRock1", "wxcam.jpg", "/weather/wxcam.jpg", Picture::Camera, 2},
    {"mnuCamCaliforniaHollywood1", "hollysm.jpg", "/hollywood/images/hollysm.jpg", Picture::Camera, 3},
    {"mnuCamCaliforniaLakeTahoeSugar1", "sugarpine.jpg", "/sierradsp/sugarpine.jpg", Picture::Camera, 4},
    {"mnuCamCaliforniaSanFranciscoABC1", "roof_cam.jpg", "/news/images/roof_cam.jpg", Picture::Camera, 5},
    {"mnuCamCaliforniaSanFranciscoCT1", "tower.jpg", "/images/tower.jpg", Picture::Camera, 6},
    {"mnuCamCaliforniaYosemiteNatlParkHD1", "capture.jpg", "/halfdome/capture.jpg", Picture::Camera, 7},
    {"mnuCamCanadaAlbertaBanff1", "fullsize.jpg", "/cam/images/fullsize.jpg", Picture::Camera, 8},
    {"mnuCamCanadaAlbertaBanffBanffCtrArts1", "banffcam.jpeg", "/BanffCam/banffcam.jpeg", Picture::Camera, 9},
    {"mnuCamCanadaOntarioNiagraFallsSheraton1", "falls.jpg", "/image/falls.jpg", Picture::Camera, 10},
    {"mnuCamColoradoAspenCopperMtn1", "copper1.jpg", "/webcam/copper1.jpg", Picture::Camera, 11},
    {"mnuCamColoradoAspenEldoraMtn1", "eldora.jpg", "/webcam/eldora.jpg", Picture::Camera, 12},
    {"mnuCamColoradoAspenMJResort1", "wp.jpg", "/cams/wp.jpg", Picture::Camera, 13},
    {"mnuCamColoradoPikesPeak1", "cam.jpg", "/peak_cam/cam.jpg", Picture::Camera, 14},
    {"mnuCamFloridaNASA39B1", "chan6.gif", "/shuttle/countdown/video/chan6.gif", Picture::Camera, 15},
    {"mnuCamHawaiiIslandofOahu1", "last.md.jpeg", "/pub/videocam/sunset/last.md.jpeg", Picture::Camera, 16},
    {"mnuCamHawaiiMaui1", "m6.jpg", "/cams/m6.jpg", Picture::Camera, 17},
    {"mnuCamMissouriStLouis1", "arch_backup.jpg", "/archcam/images/arch_backup.jpg", Picture::Camera, 18},
    {"mnuCamTexasAustin1", "skycam.jpg", "/images/skycam.jpg", Picture::Camera, 19},
    {"mnuCamTexasCollegeStationAM1", "view.gif", "/webcam/view.gif", Picture::Camera, 20},
    {"mnuCamTexasDallas1", "view11.jpg", "/graphics/view11.jpg", Picture::Camera, 21},
    {"mnuCamUtahAlta1", "current.gif", "/cams/current.gif", Picture::Camera, 22},
};

struct CameraRow {
    const char* name;
    const char* state;  // US state code, or the region table's label of a Canadian province
    double latitude;
    double longitude;
    SceneKind scene;
};

const CameraRow camera_rows[] = {
    {"Anchorage, Alaska", "AK", 61.22, -149.90, SceneKind::Mountains},
    {"Phoenix, Arizona", "AZ", 33.45, -112.07, SceneKind::Desert},
    {"Little Rock, Arkansas", "AR", 34.75, -92.29, SceneKind::City},
    {"Hollywood, California", "CA", 34.10, -118.33, SceneKind::City},
    {"Lake Tahoe - Sugar Pine Point", "CA", 39.05, -120.12, SceneKind::Lake},
    {"San Francisco - Roof Cam", "CA", 37.78, -122.42, SceneKind::City},
    {"San Francisco - Clock Tower", "CA", 37.80, -122.39, SceneKind::Sea},
    {"Yosemite - Half Dome", "CA", 37.75, -119.53, SceneKind::Mountains},
    {"Banff - Sulphur Mountain", "Alberta (O)", 51.15, -115.57, SceneKind::Mountains},
    {"Banff Centre for the Arts", "Alberta (O)", 51.17, -115.56, SceneKind::Mountains},
    {"Niagara Falls", "Ontario (O)", 43.09, -79.08, SceneKind::Falls},
    {"Copper Mountain, Colorado", "CO", 39.50, -106.15, SceneKind::Mountains},
    {"Eldora Mountain Resort", "CO", 39.94, -105.58, SceneKind::Mountains},
    {"Aspen - MJ Resort", "CO", 39.19, -106.82, SceneKind::Mountains},
    {"Pikes Peak, Colorado", "CO", 38.84, -105.04, SceneKind::Mountains},
    {"Launch Complex 39-B", "FL", 28.63, -80.62, SceneKind::LaunchPad},
    {"Oahu - Sunset Cam", "HI", 21.28, -157.83, SceneKind::Sea},
    {"Maui, Hawaii", "HI", 20.80, -156.33, SceneKind::Sea},
    {"St. Louis - Gateway Arch", "MO", 38.62, -90.18, SceneKind::Arch},
    {"Austin, Texas", "TX", 30.27, -97.74, SceneKind::City},
    {"College Station - Texas A&M", "TX", 30.62, -96.34, SceneKind::Campus},
    {"Dallas, Texas", "TX", 32.78, -96.80, SceneKind::City},
    {"Alta, Utah", "UT", 40.59, -111.64, SceneKind::Mountains},
};
// clang-format on

// The path as a request names it: the part before any query.
QString bare_path(const char* path) {
    const QString text = QString::fromLatin1(path);
    const qsizetype question = text.indexOf(u'?');
    return question < 0 ? text : text.left(question);
}

const ImageRow* row_for_path(const QString& path) {
    static const QHash<QString, const ImageRow*> by_path = [] {
        QHash<QString, const ImageRow*> index;
        for (const ImageRow& row : image_rows)
            index.insert(bare_path(row.path), &row);
        return index;
    }();
    return by_path.value(path, nullptr);
}

bool is_gif(const char* file) {
    return QString::fromLatin1(file).toUpper().contains(QStringLiteral(".GIF"));
}

CameraSite camera_site(int index, const char* path) {
    const CameraRow& row = camera_rows[index];
    CameraSite site;
    site.name = QString::fromLatin1(row.name);
    site.scene = row.scene;
    site.place.title_name = site.name;
    site.place.latitude = row.latitude;
    site.place.longitude = row.longitude;
    const QString state = QString::fromLatin1(row.state);
    site.place.zone = state.endsWith(QStringLiteral("(O)"))
                          ? zone_for_foreign_place(state, row.latitude, row.longitude)
                          : zone_for_us_place(state, row.latitude, row.longitude);
    site.place.seed_key = bare_path(path).mid(1);
    return site;
}

// "?size=WxH" on a camera path: a larger (or smaller) view, within limits.
QSize requested_size(const HostRequest& request) {
    const QString text = request.param(QStringLiteral("size"));
    const QStringList parts = text.split(u'x');
    if (parts.size() != 2)
        return {640, 480};
    const int w = parts[0].toInt();
    const int h = parts[1].toInt();
    if (w < 64 || h < 48 || w > 4000 || h > 3000)
        return {640, 480};
    return {w, h};
}

QByteArray image_bytes(const ImageRow& row, const QDateTime& hour, QSize size) {
    QList<QImage> frames;
    switch (row.picture) {
    case Picture::Radar:
        frames = radar_pictures(static_cast<RadarLook>(row.arg), hour,
                                row.arg == int(RadarLook::WeatherBank) ? animated_frames : 1);
        break;
    case Picture::RadarUnavailable:
        frames.append(radar_unavailable_picture(hour));
        break;
    case Picture::Satellite:
        frames.append(satellite_picture(static_cast<SatelliteView>(row.arg), hour));
        break;
    case Picture::StormWatch:
        frames = storm_watch_pictures(hour, animated_frames);
        break;
    case Picture::Seasonal:
        frames.append(seasonal_page(row.arg, hour));
        break;
    case Picture::Outlook:
        frames.append(outlook_map(std::abs(row.arg), row.arg < 0, hour));
        break;
    case Picture::Camera:
        frames.append(camera_picture(camera_site(row.arg, row.path), hour, size));
        break;
    case Picture::Population:
        frames.append(population_picture(row.arg == 1, hour));
        break;
    }
    return is_gif(row.file) ? gif_file(frames, 40) : jpeg_file(frames.first(), 85);
}

// The last pictures made, by path, size and hour.
class PictureCache {
public:
    QByteArray get(const QString& key) {
        const std::lock_guard lock(mutex_);
        for (const auto& [k, bytes] : entries_)
            if (k == key)
                return bytes;
        return {};
    }
    void put(const QString& key, const QByteArray& bytes) {
        const std::lock_guard lock(mutex_);
        entries_.emplace_back(key, bytes);
        while (entries_.size() > 32)
            entries_.pop_front();
    }

private:
    std::mutex mutex_;
    std::deque<std::pair<QString, QByteArray>> entries_;
};

} // namespace

std::optional<HostReply> image_reply(const HostRequest& request, const QDateTime& now_utc) {
    const ImageRow* row = row_for_path(request.path);
    if (!row)
        return std::nullopt;
    const QDateTime utc = now_utc.toUTC();
    const QDateTime hour(utc.date(), QTime(utc.time().hour(), 0), QTimeZone::utc());
    const bool gif = is_gif(row->file);
    const QSize size =
        row->picture == Picture::Camera && !gif ? requested_size(request) : QSize(640, 480);
    static PictureCache cache;
    const QString key = request.path +
                        QStringLiteral("|%1x%2|").arg(size.width()).arg(size.height()) +
                        QString::number(hour.toSecsSinceEpoch());
    QByteArray bytes = cache.get(key);
    if (bytes.isEmpty()) {
        bytes = image_bytes(*row, hour, size);
        cache.put(key, bytes);
    }
    HostReply reply{200, gif ? "image/gif" : "image/jpeg", bytes};
    reply.announce_length = row->picture != Picture::RadarUnavailable;
    return reply;
}

QStringList image_paths() {
    QStringList paths;
    for (const ImageRow& row : image_rows)
        paths.append(QString::fromLatin1(row.path));
    return paths;
}
