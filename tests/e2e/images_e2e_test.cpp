#include "app/main_window.h"
#include "images/gif_image.h"
#include "images/image_catalogue.h"
#include "images/image_commands.h"
#include "images/image_window.h"
#include "net/nmhttp.h"
#include "platform/guarded.h"
#include "settings/host_table.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/host_process.h"
#include "support/recording_desktop.h"
#include "support/scripted_server.h"
#include "support/temp_settings.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString S = QStringLiteral("Settings");
const QString H = QStringLiteral("Hosts");

// The main window with the image window and the image commands wired as the start-up wires
// them, every host role answered by nimbrix-host.
class ImageCommandsE2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.running()) << "nimbrix-host did not start";
        for (const QString& role : host_roles())
            write_setting(H, role, host.address());
        form = std::make_unique<TForm1>(state, desktop);
        form->timer_startup->stop();
        form->Timer1->stop();
        state.counter_sent = QStringLiteral("Y"); // no usage ping in these requests
        frmImage = std::make_unique<TfrmImage>(state, desktop, *form);
        images = std::make_unique<ImageCommands>(state, desktop, *form->NMHTTP1, *form, *frmImage);
        form->set_images(images.get());
        QObject::connect(form.get(), &TForm1::status_changed,
                         [this](const QString& t) { statuses << t; });
    }

    void TearDown() override {
        images.reset();
        frmImage.reset();
    }

    void trigger(const char* item) {
        desktop.clear();
        statuses.clear();
        QAction* action = form->findChild<QAction*>(QLatin1String(item));
        ASSERT_TRUE(action) << item;
        action->trigger();
    }

    QString working(const QString& name) const {
        return store.cache_home() + QStringLiteral("/Nimbrix/") + name;
    }

    // A picture of the image window for looking at, beside the test's build folder.
    void keep_picture(const char* item) {
        const QString dir = qEnvironmentVariable("NIMBRIX_TEST_TMP", QDir::tempPath());
        EXPECT_TRUE(
            frmImage->grab().save(dir + QStringLiteral("/image_%1.png").arg(QLatin1String(item))));
    }

    TempSettings store;
    HostProcess host{QStringLiteral(NIMBRIX_HOST_BINARY)};
    ProgramState state;
    RecordingDesktop desktop;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TfrmImage> frmImage;
    std::unique_ptr<ImageCommands> images;
    QStringList statuses;
};

} // namespace

TEST_F(ImageCommandsE2E, EveryImageCommandIsEnabledAndTheLocalRadarsAreStillBeingTested) {
    int rows = 0;
    for (const ImageRow& row : image_catalogue()) {
        QAction* action = form->findChild<QAction*>(QLatin1String(row.item));
        ASSERT_TRUE(action) << row.item;
        EXPECT_TRUE(action->isEnabled()) << row.item;
        ++rows;
    }
    EXPECT_EQ(rows, 59);
    EXPECT_FALSE(form->mnuLocalTVStationRadar1->isEnabled());
    run_guarded(desktop, [this] { form->mnuLocalTVStationRadar1Click(); });
    EXPECT_EQ(desktop.messages(),
              QStringList{QStringLiteral("This section is still being tested...")});
}

TEST_F(ImageCommandsE2E, EachKindOfRowShowsItsPictureUnderItsCaption) {
    const struct {
        const char* item;
        const char* file; // after the command
        bool gif;
        QStringList messages;
    } rows[] = {
        {"mnuUSRadarPurdue", "rad_comp.gif", true, {}},
        {"mnuUSRadarAM", "MDR.GIF", true, {}},
        {"mnuCamColoradoPikesPeak1", "cam.jpg", false, {}},
        {"mnuCamCanadaAlbertaBanffBanffCtrArts1", "banffcam.jpeg", false, {}},
        {"mnu10ContUS1", "temp1.gif", true, {}},
        {"mnuCurrWorldPop1", "pcwgif.gif", true, {}},
    };
    for (const auto& row : rows) {
        trigger(row.item);
        const ImageRow* catalogue_row = find_image_row(QLatin1String(row.item));
        ASSERT_TRUE(catalogue_row);
        EXPECT_EQ(desktop.messages(), row.messages) << row.item;
        EXPECT_EQ(state.image_file, QLatin1String(row.file)) << row.item;
        EXPECT_TRUE(frmImage->isVisible()) << row.item;
        EXPECT_EQ(frmImage->windowTitle(), QLatin1String(catalogue_row->window_caption))
            << row.item;
        EXPECT_EQ(statuses.value(statuses.size() - 1),
                  QStringLiteral("Connection process complete..."))
            << row.item;
        if (row.gif) {
            EXPECT_FALSE(frmImage->GIFImage1->empty()) << row.item;
            EXPECT_FALSE(frmImage->Image1->isVisibleTo(frmImage.get())) << row.item;
        } else {
            EXPECT_FALSE(frmImage->Image1->pixmap().isNull()) << row.item;
            EXPECT_FALSE(frmImage->GIFImage1->isVisibleTo(frmImage.get())) << row.item;
        }
        EXPECT_TRUE(QFile::exists(working(QLatin1String(row.file)))) << row.item;
        keep_picture(row.item);
        frmImage->mnuClose1->trigger();
        EXPECT_FALSE(QFile::exists(working(QLatin1String(row.file)))) << row.item;
    }
}

// A host that sends the Purdue radar's small "not available" picture: the program says so and
// shows the composite of two hours before.
TEST_F(ImageCommandsE2E, ThePurdueRadarFallsBackWhenTheHostSendsItsSmallPicture) {
    HostProcess small_radar(QStringLiteral(NIMBRIX_HOST_BINARY), {QStringLiteral("--small-radar")});
    ASSERT_TRUE(small_radar.running());
    write_setting(H, QStringLiteral("PurdueWx"), small_radar.address());
    trigger("mnuUSRadarPurdue");
    EXPECT_EQ(desktop.messages(),
              QStringList{QStringLiteral("Sorry, this image is not available at the moment.  I "
                                         "will retry an image 2 hours older than the current.")});
    EXPECT_EQ(state.image_file, QStringLiteral("rad_comp-2.gif"));
    EXPECT_TRUE(frmImage->isVisible());
    EXPECT_FALSE(frmImage->GIFImage1->empty());
}

TEST_F(ImageCommandsE2E, SeasonalNotesFollowTheDownloadAlsoAFailedOne) {
    const QString note = QStringLiteral("Note: The bottom two images depict the 3-month outlook.  "
                                        "The letters above the purple bar indicate month.");
    trigger("mnu1and3monthUSPrecipitation1");
    EXPECT_EQ(desktop.log(), QStringList{QStringLiteral("message: ") + note});
    frmImage->close();

    QByteArray page(2000, ' ');
    page.replace(0, 6, "<html>");
    ScriptedServer missing(
        {ScriptedServer::reply("HTTP/1.0 404 Not Found\r\nContent-Length: 2000\r\n\r\n" + page)});
    write_setting(H, QStringLiteral("ClimateOutlook"),
                  QStringLiteral("127.0.0.1:%1").arg(missing.port()));
    trigger("mnu12monthUSTemperatureOutlook1");
    EXPECT_EQ(desktop.log(),
              (QStringList{QStringLiteral("beep"),
                           QStringLiteral("message: Note: The letters above the purple bars "
                                          "indicate the respective months.")}));
    EXPECT_EQ(statuses.value(statuses.size() - 1), QStringLiteral("Error retrieving image..."));
    EXPECT_FALSE(frmImage->isVisible());
}

TEST_F(ImageCommandsE2E, ThePopulationCounterHasAWhiteWindowWithoutMaximizeBoxUntilItCloses) {
    form->show();
    trigger("mnuCurrentUSPopulation1");
    ASSERT_TRUE(frmImage->isVisible());
    EXPECT_TRUE(form->isMinimized()); // while the image is on show
    EXPECT_FALSE(frmImage->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(frmImage->client->palette().color(QPalette::Window), QColor(Qt::white));
    frmImage->close();
    EXPECT_FALSE(form->isMinimized());
    EXPECT_TRUE(frmImage->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(frmImage->client->palette().color(QPalette::Window), QColor(0, 0, 0x80));
    EXPECT_FALSE(QFile::exists(working(QStringLiteral("pcugif.gif"))));
}

TEST_F(ImageCommandsE2E, TheWeatherBankRadarPlaysAndIsCapturedAsTheWallpaper) {
    trigger("mnuUSRadarWeatherBank1");
    ASSERT_TRUE(frmImage->isVisible());
    EXPECT_TRUE(frmImage->GIFImage1->Animate);
    EXPECT_GT(frmImage->GIFImage1->frame_count(), 1);
    QGuiApplication::clipboard()->clear();
    frmImage->mnuSaveAsWallpaper1->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), frmImage->GIFImage1->natural_size());
    EXPECT_EQ(desktop.count(QStringLiteral("wallpaper")), 1);
}

TEST_F(ImageCommandsE2E, TheAutomaticUpdateInstallsTheChosenWallpaperAfterItsRefresh) {
    write_setting(S, QStringLiteral("AutoUpdate"), QStringLiteral("y"));
    write_setting(S, QStringLiteral("AutoWallpaper"), QStringLiteral("US Radar Image - Yahoo"));
    form->setWindowTitle(QStringLiteral("Nimbrix - Chicago, IL"));
    run_guarded(desktop, [this] { form->Timer1Timer(); });
    EXPECT_EQ(desktop.count(QStringLiteral("wallpaper")), 1)
        << desktop.log().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(form->lblTemp2->text().isEmpty()); // the conditions came first
    const int refreshed = int(statuses.indexOf(QStringLiteral("Thank you for using Nimbrix...")));
    const int installed = int(statuses.lastIndexOf(QStringLiteral("Wallpaper updated...")));
    EXPECT_TRUE(refreshed >= 0 && installed > refreshed)
        << statuses.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(frmImage->isVisible());
    EXPECT_TRUE(state.auto_request.isEmpty());
    EXPECT_TRUE(QFile::exists(working(QStringLiteral("nat_rad.wni.gif")))); // the download stays
}
