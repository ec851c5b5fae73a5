// nimbrix-host's pictures: every image path answers a real GIF or JPEG file, the same one for
// the same hour, animated where the row animates; the population counters grow with time.
#include "host_test_support.h"
#include "image_decoding.h"
#include "images/image_catalogue.h"
#include "pictures/camera_scenes.h"
#include "pictures/image_files.h"
#include "pictures/image_host.h"
#include "pictures/weather_maps.h"
#include "site/host_site.h"

#include <gtest/gtest.h>

namespace {

const QDateTime test_hour = utc_hour(2026, 6, 5, 21);

DecodedPicture decode(const HostReply& reply) {
    if (reply.content_type == "image/gif")
        return giflib_decode(reply.body);
    if (reply.content_type == "image/jpeg")
        return libjpeg_decode(reply.body);
    return {};
}

HostReply get(HostSite& site, const QString& target, const QDateTime& when = test_hour) {
    return site.answer(request_from_target(target), when);
}

} // namespace

// Every row of the image catalogue: its path answers a picture in the format its local file
// name says, animated for the rows that switch animation on.
TEST(HostImages, EveryCatalogueRowAnswersAPictureOfItsFileFormat) {
    HostSite site;
    const auto rows = image_catalogue();
    ASSERT_EQ(rows.size(), 59u);
    for (const ImageRow& row : rows) {
        const QString file = QString::fromLatin1(row.file);
        const HostReply reply = get(site, QString::fromLatin1(row.path));
        EXPECT_EQ(reply.status, 200) << row.item;
        EXPECT_EQ(reply.content_type, is_gif_file(file) ? "image/gif" : "image/jpeg") << row.item;
        const DecodedPicture picture = decode(reply);
        EXPECT_TRUE(picture.ok) << row.item;
        EXPECT_GE(picture.width, 300) << row.item;
        EXPECT_GE(picture.height, 60) << row.item;
        const bool animated =
            row.extra == ImageExtra::Animate || row.extra == ImageExtra::AnimateFromFrame2;
        EXPECT_EQ(picture.frames > 1, animated) << row.item;
    }
    // The index lists the same paths and the Purdue fallback.
    EXPECT_EQ(image_paths().size(), 60);
}

TEST(HostImages, FormatSizeAndFramesFollowTheRow) {
    struct Case {
        const char* target;
        const char* content_type;
        int width;
        int height;
        int frames;
    };
    // clang-format off
    const Case cases[] = {
        {"/radar/previous/rad_comp-2.gif", "image/gif", 640, 480, 1},
        {"/mcsat/mcimages/MDR/MDR.GIF", "image/gif", 720, 540, 1},
        {"/free/hrad/hr00us.gif", "image/gif", 640, 480, 6},
        {"/STORMWATCH/images/SWUS2D.gif", "image/gif", 640, 480, 6},
        {"/graphics/satellite/europe.jpg", "image/jpeg", 640, 480, 1},
        {"/BanffCam/banffcam.jpeg", "image/jpeg", 640, 480, 1},
        {"/shuttle/countdown/video/chan6.gif", "image/gif", 640, 480, 1},
        {"/cgi-bin/pcugifd.pl?1", "image/gif", 420, 120, 1},
        {"/recent0.jpg?size=2560x1600", "image/jpeg", 2560, 1600, 1},
        {"/recent0.jpg?size=99999x2", "image/jpeg", 640, 480, 1},
    };
    // clang-format on
    HostSite site;
    for (const Case& c : cases) {
        const HostReply reply = get(site, QString::fromLatin1(c.target));
        EXPECT_EQ(reply.content_type, c.content_type) << c.target;
        const DecodedPicture picture = decode(reply);
        EXPECT_TRUE(picture.ok) << c.target;
        EXPECT_EQ(picture.width, c.width) << c.target;
        EXPECT_EQ(picture.height, c.height) << c.target;
        EXPECT_EQ(picture.frames, c.frames) << c.target;
    }
}

// The Purdue radar is the full composite; only a host told to (--small-radar) sends the small
// "not available" picture without a length, after which the program takes the composite of
// two hours before.
TEST(HostImages, PurdueRadarIsSmallOnlyWhenAsked) {
    const struct {
        bool small_radar;
        const char* target;
        bool small;
    } rows[] = {
        {false, "/radar/rad_comp.gif", false},
        {true, "/radar/rad_comp.gif", true},
        {true, "/radar/previous/rad_comp-2.gif", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.target) + (row.small_radar ? " small" : ""));
        HostSite site;
        site.set_small_radar(row.small_radar);
        const HostReply reply = get(site, QString::fromLatin1(row.target));
        EXPECT_EQ(reply.announce_length, !row.small);
        EXPECT_EQ(reply.body.size() < 10000, row.small);
        const DecodedPicture picture = giflib_decode(reply.body);
        EXPECT_TRUE(picture.ok);
        if (!row.small) {
            EXPECT_EQ(picture.width, 640);
            EXPECT_EQ(picture.height, 480);
        }
    }
}

// The pictures are drawn anew here (no cache): the same hour gives the same bytes, another
// hour other ones.
TEST(HostImages, PicturesDependOnlyOnTheHour) {
    const QDateTime next = test_hour.addSecs(3600);
    const auto radar = [](const QDateTime& t) {
        return gif_file(radar_pictures(RadarLook::Purdue, t, 1));
    };
    EXPECT_EQ(radar(test_hour), radar(test_hour));
    EXPECT_NE(radar(test_hour), radar(next));

    const CameraSite camera{QStringLiteral("Alta, Utah"),
                            *host_place_titled(QStringLiteral("Salt Lake City, Utah")),
                            SceneKind::Mountains};
    const auto view = [&camera](const QDateTime& t) {
        return jpeg_file(camera_picture(camera, t, {640, 480}));
    };
    EXPECT_EQ(view(test_hour), view(test_hour));
    EXPECT_NE(view(test_hour), view(next));

    for (const bool world : {false, true}) {
        EXPECT_EQ(gif_file({population_picture(world, test_hour)}),
                  gif_file({population_picture(world, test_hour)}));
        EXPECT_NE(gif_file({population_picture(world, test_hour)}),
                  gif_file({population_picture(world, next)}));
    }
}

TEST(HostImages, PopulationGrowsFromTheCensusFigures) {
    const QDateTime start(QDate(2025, 1, 1), QTime(0, 0), QTimeZone::utc());
    EXPECT_EQ(population_at(false, start), 341'145'670);
    EXPECT_EQ(population_at(true, start), 8'092'034'511);
    // A day adds about 4,075 people in the US and about 194,000 in the world.
    EXPECT_EQ(population_at(false, start.addDays(1)) - population_at(false, start), 4075);
    EXPECT_EQ(population_at(true, start.addDays(1)) - population_at(true, start), 194'400);
}

TEST(HostImages, GifFileKeepsFewColoursExactAndLoopsAnimations) {
    QImage red(4, 2, QImage::Format_RGB32);
    red.fill(qRgb(200, 10, 30));
    QImage blue = red;
    blue.fill(qRgb(10, 20, 250));
    const QByteArray still = gif_file({red});
    const QByteArray moving = gif_file({red, blue, red});
    EXPECT_TRUE(still.startsWith("GIF89a"));
    EXPECT_FALSE(still.contains("NETSCAPE2.0"));
    EXPECT_TRUE(moving.contains("NETSCAPE2.0"));
    EXPECT_EQ(giflib_decode(moving).frames, 3);
    QImage back;
    ASSERT_TRUE(back.loadFromData(still, "GIF"));
    EXPECT_EQ(back.pixel(3, 1), qRgb(200, 10, 30));
}
