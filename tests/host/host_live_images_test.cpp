// Live pictures against a stand-in upstream: every mapped path answers a picture of its file's
// format made from the upstream picture, bad upstream replies give the sample picture and one
// log line, and the paths without a public counterpart stay sample pictures.
#include "host_test_support.h"
#include "image_decoding.h"
#include "upstream_fixture.h"

#include "images/image_catalogue.h"
#include "live/live_images.h"
#include "live/upstream_client.h"
#include "pictures/image_files.h"
#include "pictures/image_host.h"
#include "site/host_site.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

namespace {

const QDateTime now_utc = utc_hour(2026, 12, 8, 11);

std::string bytes_of(const QByteArray& bytes) {
    return {bytes.constData(), std::size_t(bytes.size())};
}

QImage solid(QSize size, QRgb colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

bool near(QRgb a, QRgb b) {
    constexpr int tolerance = 24;
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

const ImageRow* find_image_row_by_path(const QString& path) {
    for (const ImageRow& row : image_catalogue())
        if (path == QLatin1String(row.path))
            return &row;
    return nullptr;
}

// The local file name of the row serving a path (the Purdue fallback is no menu row).
QString file_for(const QString& path) {
    if (const ImageRow* row = find_image_row_by_path(path))
        return QString::fromLatin1(row->file);
    return path == u"/radar/previous/rad_comp-2.gif" ? QStringLiteral("rad_comp-2.gif") : QString();
}

bool is_live_path(const QString& path) {
    for (const LiveImageRow& row : live_image_table())
        if (path == QLatin1String(row.path))
            return true;
    return false;
}

HostRequest request(const char* path) {
    return request_from_target(QString::fromLatin1(path));
}

} // namespace

// Each upstream picture has a colour of its own, so a path made from the wrong upstream (or a
// page whose maps are out of order) shows the wrong colour.
TEST(HostLiveImages, EveryMappedPathAnswersAPictureMadeFromItsUpstream) {
    UpstreamFixture fixture;
    const QString loop = QStringLiteral("/ridge/standard/CONUS_loop.gif");
    std::map<QString, QRgb> colours;
    for (const LiveImageRow& row : live_image_table())
        for (const char* source : row.sources)
            if (source && !colours.count(QLatin1String(source))) {
                const QRgb colour = QColor::fromHsv(int(colours.size()) * 19, 255, 230).rgb();
                colours[QLatin1String(source)] = colour;
                const bool jpeg = QByteArray(source).endsWith(".jpg");
                const QImage picture = solid(jpeg ? QSize(1250, 750) : QSize(800, 500), colour);
                const QByteArray bytes =
                    jpeg ? jpeg_file(picture, 90)
                    : QLatin1String(source) == loop
                        ? gif_file({picture, solid({800, 500}, qRgb(0, 0, 0)), picture})
                        : gif_file({picture});
                fixture.set(source, {200, bytes_of(bytes), {}, {}, 0});
            }

    QTemporaryDir folder;
    UpstreamClient client;
    LiveImages live(client, QString::fromStdString(fixture.base()), folder.path(), nullptr);
    for (int round = 0; round < 2; ++round)
        for (const LiveImageRow& row : live_image_table()) {
            SCOPED_TRACE(row.path);
            const QString file = file_for(QLatin1String(row.path));
            ASSERT_FALSE(file.isEmpty()) << "not a path of the image hosts";
            const std::optional<HostReply> reply = live.reply(request(row.path), now_utc);
            ASSERT_TRUE(reply);
            ASSERT_EQ(reply->status, 200);
            const bool gif = is_gif_file(file);
            EXPECT_EQ(reply->content_type, gif ? "image/gif" : "image/jpeg");
            const DecodedPicture facts =
                gif ? giflib_decode(reply->body) : libjpeg_decode(reply->body);
            EXPECT_TRUE(facts.ok);
            // The animated menu row gets the upstream loop's three frames.
            const ImageRow* menu_row = find_image_row_by_path(QLatin1String(row.path));
            const bool animated = menu_row && menu_row->extra == ImageExtra::AnimateFromFrame2;
            EXPECT_EQ(facts.frames, animated ? 3 : 1);

            QImage picture;
            ASSERT_TRUE(picture.loadFromData(reply->body));
            // Every fixture is wider than the sample picture, whose width the picture takes.
            QImage sample;
            ASSERT_TRUE(sample.loadFromData(image_reply(request(row.path), now_utc)->body));
            EXPECT_EQ(picture.width(), sample.width());
            const bool page = row.sources[1] != nullptr;
            const int w = picture.width();
            const int h = picture.height();
            const QPoint first = page ? QPoint(w / 4, h / 4) : QPoint(w / 2, h / 2);
            EXPECT_TRUE(near(picture.pixel(first), colours[QLatin1String(row.sources[0])]));
            if (page) {
                EXPECT_TRUE(near(picture.pixel(3 * w / 4, 3 * h / 4),
                                 colours[QLatin1String(row.sources[3])]));
            }
        }
    // One upstream request per upstream picture, however many paths share it, and none in the
    // second round.
    EXPECT_EQ(fixture.total(), int(colours.size()));
}

TEST(HostLiveImages, BadUpstreamRepliesGiveTheSamplePictureAndOneLogLine) {
    UpstreamFixture fixture;
    const QByteArray gif = gif_file({solid({800, 500}, qRgb(10, 120, 200))});
    QImage noise(1250, 750, QImage::Format_RGB32);
    for (int y = 0; y < noise.height(); ++y)
        for (int x = 0; x < noise.width(); ++x)
            noise.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    const QByteArray jpeg = jpeg_file(noise, 90);
    // A JPEG that says it is 12000 x 9000 pixels (108 megapixels) in its frame header.
    QByteArray huge_jpeg = jpeg;
    const qsizetype frame_header = huge_jpeg.indexOf("\xff\xc0");
    ASSERT_GT(frame_header, 0);
    huge_jpeg[frame_header + 5] = char(9000 >> 8);
    huge_jpeg[frame_header + 6] = char(9000 & 0xff);
    huge_jpeg[frame_header + 7] = char(12000 >> 8);
    huge_jpeg[frame_header + 8] = char(12000 & 0xff);
    // Nine small frames on an 8000 x 6000 screen: 432 megapixels to decode in all.
    QList<QImage> frames(9, solid({8, 8}, qRgb(200, 0, 0)));
    QByteArray long_loop = gif_file(frames);
    long_loop[6] = char(8000 & 0xff);
    long_loop[7] = char(8000 >> 8);
    long_loop[8] = char(6000 & 0xff);
    long_loop[9] = char(6000 >> 8);

    const char* radar = "/mcsat/mcimages/MDR/MDR.GIF"; // from a GIF
    const char* infrared = "/satellite/sat_ir_us.gif"; // from a JPEG
    struct Row {
        const char* name;
        const char* path;
        FixtureReply reply;
        const char* why; // the end of the log line's reason
        bool unreachable = false;
    };
    const Row rows[] = {
        {"a web page instead of a picture",
         radar,
         {200, "<html><body>Moved</body></html>", {}, {}, 0},
         "not a GIF or JPEG picture"},
        {"an empty reply", radar, {200, "", {}, {}, 0}, "not a GIF or JPEG picture"},
        {"a truncated GIF",
         radar,
         {200, bytes_of(gif.left(gif.size() / 2)), {}, {}, 0},
         "ends inside a frame)"},
        {"a truncated JPEG",
         infrared,
         {200, bytes_of(jpeg.left(jpeg.size() * 3 / 5)), {}, {}, 0},
         "Premature end of JPEG file)"},
        {"a JPEG over 100 megapixels",
         infrared,
         {200, bytes_of(huge_jpeg), {}, {}, 0},
         "12000 x 9000 pixels)"},
        {"a GIF whose frames pass 400 megapixels",
         radar,
         {200, bytes_of(long_loop), {}, {}, 0},
         "9 frames is too large"},
        {"a reply over the size cap",
         radar,
         {200, std::string(600000, 'G'), {}, {}, 0},
         "larger than 524288 bytes"},
        {"a picture of a few pixels",
         radar,
         {200, bytes_of(gif_file({solid({4, 4}, qRgb(0, 90, 0))})), {}, {}, 0},
         "fewer than 500"},
        {"upstream 404", infrared, {404, "Not Found", {}, {}, 0}, "status 404"},
        {"upstream 500", radar, {500, "Internal Server Error", {}, {}, 0}, "status 500"},
        {"upstream unreachable", radar, {200, "", {}, {}, 0}, "Couldn't connect to server", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        fixture.set_default(row.reply);
        QTemporaryDir folder;
        UpstreamLimits limits;
        limits.max_body_bytes = 512 * 1024;
        UpstreamClient client(limits);
        std::FILE* log = std::tmpfile();
        ASSERT_NE(log, nullptr);
        // Port 1 on the loopback: nothing listens there.
        LiveImages live(client,
                        row.unreachable ? QStringLiteral("http://127.0.0.1:1")
                                        : QString::fromStdString(fixture.base()),
                        folder.path(), log);
        const std::optional<HostReply> reply = live.reply(request(row.path), now_utc);
        const std::optional<HostReply> sample = image_reply(request(row.path), now_utc);
        ASSERT_TRUE(reply && sample);
        EXPECT_EQ(reply->status, 200);
        EXPECT_EQ(reply->content_type, sample->content_type);
        EXPECT_EQ(reply->body, sample->body);
        const std::string text = lines_of(log);
        std::fclose(log);
        EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
        EXPECT_NE(text.find(std::string(row.why) + "; sample picture served"), std::string::npos)
            << text;
    }
}

TEST(HostLiveImages, PathsWithoutAPublicCounterpartStaySamplePictures) {
    UpstreamFixture fixture;
    fixture.set_default(
        {200, bytes_of(gif_file({solid({800, 500}, qRgb(250, 0, 250))})), {}, {}, 0});
    QTemporaryDir folder;
    UpstreamClient client;
    LiveImages live(client, QString::fromStdString(fixture.base()), folder.path(), nullptr);
    HostSite site;
    site.set_image_source(
        [&live](const HostRequest& r, const QDateTime& t) { return live.reply(r, t); });
    int live_rows = 0;
    for (const ImageRow& row : image_catalogue()) {
        SCOPED_TRACE(row.item);
        const HostRequest target = request(row.path);
        const HostReply reply = site.answer(target, now_utc);
        if (is_live_path(QLatin1String(row.path))) {
            ++live_rows;
            EXPECT_NE(reply.body, image_reply(target, now_utc)->body);
        } else {
            EXPECT_EQ(reply.body, image_reply(target, now_utc)->body);
        }
    }
    // The menus' five radar rows, two US satellite rows, two US 10-day rows and three seasonal
    // pages.
    EXPECT_EQ(live_rows, 12);
}

// The program wires the live pictures to --upstream-base in live mode.
TEST(HostLiveImages, TheProgramServesLivePicturesFromTheUpstreamBase) {
    UpstreamFixture fixture;
    const QRgb colour = qRgb(20, 200, 60);
    fixture.set(
        "/ridge/standard/CONUS_loop.gif",
        {200, bytes_of(gif_file({solid({800, 500}, colour), solid({800, 500}, 0)})), {}, {}, 0});
    QTemporaryDir cache_folder;
    const auto page = [&](const char* target) {
        QProcess process;
        process.start(QStringLiteral(NIMBRIX_HOST_PROGRAM),
                      {"--source", "live", "--upstream-base",
                       QString::fromStdString(fixture.base()), "--cache-dir", cache_folder.path(),
                       "--page", target});
        EXPECT_TRUE(process.waitForFinished(30000));
        return process.readAllStandardOutput();
    };
    const QByteArray loop = page("/free/hrad/hr00us.gif");
    EXPECT_EQ(giflib_decode(loop).frames, 2);
    QImage first;
    ASSERT_TRUE(first.loadFromData(loop, "GIF"));
    EXPECT_TRUE(near(first.pixel(first.width() / 2, first.height() / 2), colour));
    EXPECT_TRUE(libjpeg_decode(page("/recent0.jpg")).ok);
    EXPECT_EQ(fixture.total(), 1);
}
