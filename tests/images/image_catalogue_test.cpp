#include "images/image_catalogue.h"
#include "settings/host_table.h"
#include "settings/settings_store.h"
#include "support/temp_settings.h"

#include <QSet>
#include <gtest/gtest.h>

TEST(ImageCatalogue, EveryCommandHasAUniqueItemAKnownRoleAndAFullRow) {
    const auto rows = image_catalogue();
    ASSERT_EQ(rows.size(), 59u);
    const QStringList roles = host_roles();
    QSet<QString> items;
    int cameras = 0;
    for (const ImageRow& row : rows) {
        const QString item = QLatin1String(row.item);
        EXPECT_FALSE(items.contains(item)) << row.item;
        items.insert(item);
        EXPECT_TRUE(roles.contains(QLatin1String(row.role))) << row.item << " " << row.role;
        for (const char* text : {row.caption, row.menu, row.file, row.window_caption})
            EXPECT_TRUE(text && *text) << row.item;
        EXPECT_EQ(row.path[0], '/') << row.item;
        EXPECT_TRUE(QLatin1String(row.window_caption).startsWith(QLatin1String("Nimbrix - ")))
            << row.item;
        if (QLatin1String(row.menu) == QLatin1String("mnuWeatherCams")) {
            ++cameras;
            // A camera's role is its item without "mnu" and the trailing "1".
            EXPECT_EQ(QLatin1String(row.role), item.mid(3, item.size() - 4)) << row.item;
        }
        EXPECT_EQ(find_image_row(item), &row);
    }
    EXPECT_EQ(cameras, 23);
    EXPECT_EQ(find_image_row(QStringLiteral("mnuLocalTVStationRadar1")), nullptr);
}

TEST(ImageCatalogue, TheUpperCasedFileNameChoosesTheGifControl) {
    const struct {
        const char* file;
        bool gif;
    } rows[] = {
        {"MDR.GIF", true},        {"rad_comp.gif", true},  {"nat_rad.wni.gif", true},
        {"banffcam.jpeg", false}, {"last.md.jpeg", false}, {"europe.jpg", false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(is_gif_file(QLatin1String(row.file)), row.gif) << row.file;
}

TEST(ImageCatalogue, UrlIsTheRoleHostAndPath) {
    TempSettings store;
    const ImageRow* row = find_image_row(QStringLiteral("mnuUSRadarPurdue"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(image_url(*row), QStringLiteral("http://127.0.0.1:8079/radar/rad_comp.gif"));
    write_setting(QStringLiteral("Hosts"), QStringLiteral("PurdueWx"),
                  QStringLiteral("wx.example"));
    EXPECT_EQ(image_url(*row), QStringLiteral("http://wx.example/radar/rad_comp.gif"));
    const ImageRow* week = find_image_row(QStringLiteral("mnu10PrecCanadaAlaska1"));
    ASSERT_NE(week, nullptr);
    EXPECT_EQ(QLatin1String(week->file), QLatin1String("prec2.gif"));
    EXPECT_EQ(QLatin1String(week->window_caption),
              QLatin1String("Nimbrix - 10-Day Precipitation Outlook for Canada && Alaska"));
}
