#include "pictures/image_host.h"

#include "images/image_catalogue.h"
#include "pictures/camera_scenes.h"
#include "pictures/image_files.h"
#include "pictures/weather_maps.h"

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

// What the picture of each image command shows. `arg` is the radar look, satellite view,
// seasonal page, outlook map number (negative for precipitation), camera row or 1 for the
// world population. Paths and file names come from the image catalogue.
struct PictureRow {
    const char* item;
    Picture picture;
    int arg;
};

constexpr int animated_frames = 6;

// clang-format off
const PictureRow picture_rows[] = {
    {"mnuUSRadarPurdue", Picture::Radar, int(RadarLook::Purdue)},
    {"mnuUSRadarAM", Picture::Radar, int(RadarLook::TexasAM)},
    {"mnuUSRadarYahoo", Picture::Radar, int(RadarLook::Yahoo)},
    {"mnuUSRadarwithTopAM", Picture::Radar, int(RadarLook::TexasAMTopo)},
    {"mnuUSRadarWeatherBank1", Picture::Radar, int(RadarLook::WeatherBank)},
    {"mnuEuropeSat1", Picture::Satellite, int(SatelliteView::EuropeVisible)},
    {"mnuEuropeSatMeteo", Picture::Satellite, int(SatelliteView::EuropeMeteo)},
    {"mnuGlobalUWM", Picture::Satellite, int(SatelliteView::GlobalTemperature)},
    {"mnuUSInfraredPurdue", Picture::Satellite, int(SatelliteView::UsInfrared)},
    {"mnuUSSatInfRadarPurdue", Picture::Satellite, int(SatelliteView::UsInfraredRadar)},
    {"mnuUSStormWatch1", Picture::StormWatch, 0},
    {"mnu1and3monthUSPrecipitation1", Picture::Seasonal, 2},
    {"mnu12monthUSTemperatureOutlook1", Picture::Seasonal, 3},
    {"mnu12monthUSPrecipitationOutlook1", Picture::Seasonal, 4},
    {"mnuCurrWorldPop1", Picture::Population, 1},
    {"mnuCurrentUSPopulation1", Picture::Population, 0},
    {"mnu10Africa1", Picture::Outlook, 10},
    {"mnu10Australia1", Picture::Outlook, 7},
    {"mnu10CanadaAlaska1", Picture::Outlook, 2},
    {"mnu10ContUS1", Picture::Outlook, 1},
    {"mnu10EastAsia1", Picture::Outlook, 5},
    {"mnu10Europe1", Picture::Outlook, 4},
    {"mnu10MexicoCarribean1", Picture::Outlook, 3},
    {"mnu10MidEast1", Picture::Outlook, 9},
    {"mnu10SouthAmerica1", Picture::Outlook, 8},
    {"mnu10SouthAsia1", Picture::Outlook, 6},
    {"mnu10PrecAfrica", Picture::Outlook, -10},
    {"mnu10PrecAustralia1", Picture::Outlook, -7},
    {"mnu10PrecCanadaAlaska1", Picture::Outlook, -2},
    {"mnu10PrecContinentalUS1", Picture::Outlook, -1},
    {"mnu10PrecEastAsia1", Picture::Outlook, -5},
    {"mnu10PrecEurope1", Picture::Outlook, -4},
    {"mnu10PrecMexicoCarribean1", Picture::Outlook, -3},
    {"mnu10PrecMidEast1", Picture::Outlook, -9},
    {"mnu10PrecSouthAmerica1", Picture::Outlook, -8},
    {"mnu10PrecSouthAsia1", Picture::Outlook, -6},
    {"mnuCamAlaskaAnchorage1", Picture::Camera, 0},
    {"mnuCamArizonaPhoenix1", Picture::Camera, 1},
    {"mnuCamArkansasLittleRock1", Picture::Camera, 2},
    {"mnuCamCaliforniaHollywood1", Picture::Camera, 3},
    {"mnuCamCaliforniaLakeTahoeSugar1", Picture::Camera, 4},
    {"mnuCamCaliforniaSanFranciscoABC1", Picture::Camera, 5},
    {"mnuCamCaliforniaSanFranciscoCT1", Picture::Camera, 6},
    {"mnuCamCaliforniaYosemiteNatlParkHD1", Picture::Camera, 7},
    {"mnuCamCanadaAlbertaBanff1", Picture::Camera, 8},
    {"mnuCamCanadaAlbertaBanffBanffCtrArts1", Picture::Camera, 9},
    {"mnuCamCanadaOntarioNiagraFallsSheraton1", Picture::Camera, 10},
    {"mnuCamColoradoAspenCopperMtn1", Picture::Camera, 11},
    {"mnuCamColoradoAspenEldoraMtn1", Picture::Camera, 12},
    {"mnuCamColoradoAspenMJResort1", Picture::Camera, 13},
    {"mnuCamColoradoPikesPeak1", Picture::Camera, 14},
    {"mnuCamFloridaNASA39B1", Picture::Camera, 15},
    {"mnuCamHawaiiIslandofOahu1", Picture::Camera, 16},
    {"mnuCamHawaiiMaui1", Picture::Camera, 17},
    {"mnuCamMissouriStLouis1", Picture::Camera, 18},
    {"mnuCamTexasAustin1", Picture::Camera, 19},
    {"mnuCamTexasCollegeStationAM1", Picture::Camera, 20},
    {"mnuCamTexasDallas1", Picture::Camera, 21},
    {"mnuCamUtahAlta1", Picture::Camera, 22},
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

// One path the image hosts answer: its local file name decides the format.
struct ImagePath {
    QString target; // as the program requests it, query included
    QString file;
    Picture picture;
    int arg;
};

// The Purdue host's composite of two hours before, which no menu names: the program falls
// back to it when "/radar/rad_comp.gif" is too small.
const ImagePath purdue_previous{QStringLiteral("/radar/previous/rad_comp-2.gif"),
                                QStringLiteral("rad_comp-2.gif"), Picture::Radar,
                                int(RadarLook::Purdue)};

// What "/radar/rad_comp.gif" is with small_radar: the small "not available" picture.
const ImagePath purdue_unavailable{QStringLiteral("/radar/rad_comp.gif"),
                                   QStringLiteral("rad_comp.gif"), Picture::RadarUnavailable, 0};

// Every image path in catalogue order, then the Purdue fallback. A catalogue row without a
// picture row has no path here (the tests list every row).
const std::vector<ImagePath>& image_path_list() {
    static const std::vector<ImagePath> list = [] {
        std::vector<ImagePath> out;
        for (const ImageRow& row : image_catalogue())
            for (const PictureRow& picture : picture_rows)
                if (qstrcmp(picture.item, row.item) == 0)
                    out.push_back({QString::fromLatin1(row.path), QString::fromLatin1(row.file),
                                   picture.picture, picture.arg});
        out.push_back(purdue_previous);
        return out;
    }();
    return list;
}

const ImagePath* path_for_request(const QString& path) {
    static const QHash<QString, const ImagePath*> by_path = [] {
        QHash<QString, const ImagePath*> index;
        for (const ImagePath& p : image_path_list())
            index.insert(bare_path(p.target.toLatin1().constData()), &p);
        return index;
    }();
    return by_path.value(path, nullptr);
}

CameraSite camera_site(int index, const QString& path) {
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
    site.place.seed_key = bare_path(path.toLatin1().constData()).mid(1);
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

QByteArray image_bytes(const ImagePath& row, const QDateTime& hour, QSize size) {
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
        frames.append(camera_picture(camera_site(row.arg, row.target), hour, size));
        break;
    case Picture::Population:
        frames.append(population_picture(row.arg == 1, hour));
        break;
    }
    return is_gif_file(row.file) ? gif_file(frames, 40) : jpeg_file(frames.first(), 85);
}

// The last pictures made, by path, size and hour: at most 32 of them and 48 MB.
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
        total_ += bytes.size();
        while (entries_.size() > 32 || (total_ > 48 * 1024 * 1024 && entries_.size() > 1)) {
            total_ -= entries_.front().second.size();
            entries_.pop_front();
        }
    }

private:
    std::mutex mutex_;
    std::deque<std::pair<QString, QByteArray>> entries_;
    qsizetype total_ = 0;
};

} // namespace

std::optional<HostReply> image_reply(const HostRequest& request, const QDateTime& now_utc,
                                     bool small_radar) {
    const ImagePath* row = path_for_request(request.path);
    if (!row)
        return std::nullopt;
    if (small_radar && row->target == purdue_unavailable.target)
        row = &purdue_unavailable;
    const QDateTime utc = now_utc.toUTC();
    const QDateTime hour(utc.date(), QTime(utc.time().hour(), 0), QTimeZone::utc());
    const bool gif = is_gif_file(row->file);
    const QSize size =
        row->picture == Picture::Camera && !gif ? requested_size(request) : QSize(640, 480);
    static PictureCache cache;
    const QString key =
        request.path +
        QStringLiteral("|%1x%2|%3|").arg(size.width()).arg(size.height()).arg(int(row->picture)) +
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
    for (const ImagePath& p : image_path_list())
        paths.append(p.target);
    return paths;
}
