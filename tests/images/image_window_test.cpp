#include "../app/print_qstring.h"
#include "image_samples.h"
#include "images/gif_image.h"
#include "images/image_catalogue.h"
#include "images/image_commands.h"
#include "images/image_window.h"
#include "net/nmhttp.h"
#include "platform/guarded.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/scripted_server.h"
#include "support/temp_settings.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class FakeMain : public ImageHost {
public:
    void set_status(const QString& text) override { statuses << text; }
    void repaint_now() override {}
    void minimize_main() override { ++minimized; }
    void restore_main() override { ++restored; }

    QStringList statuses;
    int minimized = 0;
    int restored = 0;
};

QByteArray ok_reply(const QByteArray& body, bool with_length = true) {
    QByteArray head = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
    if (with_length)
        head += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    return head + "\r\n" + body;
}

QByteArray file_bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class Images : public ::testing::Test {
protected:
    Images() {
        // The main window's success event does this in the program.
        QObject::connect(&client, &TNMHTTP::OnSuccess,
                         [this] { state.request_ok = QStringLiteral("Y"); });
        write_setting(QStringLiteral("Hosts"), QStringLiteral("PurdueWx"),
                      QStringLiteral("127.0.0.1:1"));
    }

    // One download of request_url into file, run as a command is: through the error guard.
    void download(const QString& url, const QString& file,
                  const QString& caption = QStringLiteral("Nimbrix - test")) {
        state.request_url = url;
        state.image_file = file;
        window.setWindowTitle(caption);
        main.statuses.clear();
        desktop.clear();
        run_guarded(desktop, [this] { images.do_image(); });
    }

    QString working(const QString& name) const {
        return store.cache_home() + QStringLiteral("/Nimbrix/") + name;
    }
    QString installed() const { return store.data_home() + QStringLiteral("/Nimbrix/nimbrix.bmp"); }

    TempSettings store;
    ProgramState state;
    RecordingDesktop desktop;
    FakeMain main;
    TNMHTTP client{nullptr};
    TfrmImage window{state, desktop, main};
    ImageCommands images{state, desktop, client, main, window};
};

enum class Shown { nothing, gif, jpeg };

} // namespace

TEST_F(Images, TheReplyDecidesWhatTheCommandEndsWith) {
    QByteArray html(800, ' ');
    html.replace(0, 14, "<html><body>No");
    const struct {
        const char* name;
        QByteArray reply;
        const char* file;
        QString last_status;
        QStringList desktop_log;
        Shown shown;
    } rows[] = {
        {"a GIF",
         ok_reply(sample_gif(300, 200)),
         "MDR.GIF",
         QStringLiteral("Connection process complete..."),
         {},
         Shown::gif},
        {"a JPEG",
         ok_reply(sample_jpeg(320, 240)),
         "banffcam.jpeg",
         QStringLiteral("Connection process complete..."),
         {},
         Shown::jpeg},
        {"499 bytes with no length",
         ok_reply(QByteArray(499, 'x'), false),
         "MDR.GIF",
         QStringLiteral("Problems retrieving image...0"),
         {},
         Shown::nothing},
        {"500 bytes with no length",
         ok_reply(QByteArray(500, 'x'), false),
         "MDR.GIF",
         QStringLiteral("Connection process complete..."),
         {},
         Shown::gif},
        {"404 with a long body",
         "HTTP/1.0 404 Not Found\r\nContent-Length: 800\r\n\r\n" + html,
         "MDR.GIF",
         QStringLiteral("Error retrieving image..."),
         {QStringLiteral("beep")},
         Shown::nothing},
        {"an HTML page saved as .jpg",
         ok_reply(html),
         "cam.jpg",
         QStringLiteral("Connection process complete..."),
         {QStringLiteral("message: JPEG error: Not a JPEG file: starts with 0x3c 0x68")},
         Shown::jpeg},
    };
    for (const auto& row : rows) {
        ScriptedServer server({ScriptedServer::reply(row.reply)});
        window.hide();
        download(server.url(QStringLiteral("/x")), QLatin1String(row.file));
        EXPECT_EQ(main.statuses.value(main.statuses.size() - 1), row.last_status) << row.name;
        EXPECT_EQ(desktop.log(), row.desktop_log) << row.name;
        EXPECT_EQ(window.isVisible(), row.shown != Shown::nothing && row.desktop_log.isEmpty())
            << row.name;
        // Exactly one control is visible, at the window's corner; the upper-cased name decides.
        if (row.shown != Shown::nothing) {
            QWidget* on =
                row.shown == Shown::gif ? static_cast<QWidget*>(window.GIFImage1) : window.Image1;
            QWidget* off =
                row.shown == Shown::gif ? static_cast<QWidget*>(window.Image1) : window.GIFImage1;
            EXPECT_TRUE(on->isVisibleTo(&window) && on->pos() == QPoint(0, 0)) << row.name;
            EXPECT_TRUE(!off->isVisibleTo(&window) && off->size() == QSize(0, 0)) << row.name;
        }
        const bool decoded = row.last_status.startsWith(QLatin1String("Connection")) &&
                             row.desktop_log.isEmpty() &&
                             QByteArray(row.name) != "500 bytes with no length";
        EXPECT_EQ(!window.GIFImage1->empty() || !window.Image1->pixmap().isNull(), decoded)
            << row.name;
        // An error ends the command before it clears request_ok.
        const bool ended_by_error = row.desktop_log.value(0).startsWith(QLatin1String("message"));
        EXPECT_EQ(state.request_ok.isEmpty(), !ended_by_error) << row.name;
        // The download lands in the working folder, never in the current directory.
        EXPECT_TRUE(QFile::exists(working(QLatin1String(row.file)))) << row.name;
        EXPECT_FALSE(QFile::exists(QDir::current().filePath(QLatin1String(row.file)))) << row.name;
    }
    EXPECT_EQ(QFile::permissions(store.cache_home() + QStringLiteral("/Nimbrix")),
              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser |
                  QFile::WriteUser | QFile::ExeUser);
}

// The window opens at the picture's size, centred and normal, also after a maximized one; a
// picture larger than 90 % of the screen is shown whole, scaled down with its aspect kept.
TEST_F(Images, ThePictureShowsWholeInsideTheClientArea) {
    const struct {
        const char* name;
        QByteArray picture;
        const char* file;
        QSize natural;
        bool scaled;
        bool maximized_before;
    } rows[] = {
        {"a small GIF", sample_gif(420, 120), "pcwgif.gif", QSize(420, 120), false, false},
        {"an over-large JPEG", sample_jpeg(2400, 1500), "cam.jpg", QSize(2400, 1500), true, false},
        {"a JPEG after a maximized window", sample_jpeg(320, 240), "cam.jpg", QSize(320, 240),
         false, true},
    };
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen->availableGeometry();
    for (const auto& row : rows) {
        if (row.maximized_before) {
            window.showMaximized();
            ASSERT_TRUE(window.isMaximized()) << row.name;
            window.mnuClose1->trigger();
        }
        ScriptedServer server({ScriptedServer::reply(ok_reply(row.picture))});
        download(server.url(QStringLiteral("/x")), QLatin1String(row.file));
        ASSERT_TRUE(window.isVisible()) << row.name;
        EXPECT_EQ(window.windowState(), Qt::WindowNoState) << row.name;
        QWidget* control =
            window.GIFImage1->empty() ? static_cast<QWidget*>(window.Image1) : window.GIFImage1;
        const QSize shown = control->size();
        // Nothing of the control is cut off by the client area.
        EXPECT_EQ(control->pos(), QPoint(0, 0)) << row.name;
        EXPECT_EQ(control->visibleRegion(), QRegion(control->rect())) << row.name;
        EXPECT_TRUE(window.client->rect().contains(control->geometry())) << row.name;
        // The picture at its size, or scaled down with its aspect kept (to a pixel).
        const QSize outer = window.frameGeometry().size();
        if (!row.scaled) {
            EXPECT_EQ(shown, row.natural) << row.name;
        } else {
            EXPECT_LT(shown.width(), row.natural.width()) << row.name;
            EXPECT_LE(std::abs(shown.width() * row.natural.height() -
                               shown.height() * row.natural.width()),
                      std::max(row.natural.width(), row.natural.height()))
                << row.name;
            EXPECT_LE(outer.width(), available.width() * 0.9 + 1) << row.name;
            EXPECT_LE(outer.height(), available.height() * 0.9 + 1) << row.name;
        }
        EXPECT_LE(std::abs(window.frameGeometry().center().x() - screen->geometry().center().x()),
                  1)
            << row.name;
        EXPECT_LE(std::abs(window.frameGeometry().center().y() - screen->geometry().center().y()),
                  1)
            << row.name;
        // The JPEG's gradient reaches full red across and full green down at the picture's far
        // corner: the whole picture is drawn.
        if (control == window.Image1) {
            const QImage drawn = window.client_image();
            const QColor far = drawn.pixelColor(shown.width() - 2, shown.height() - 2);
            EXPECT_GT(far.red(), 200) << row.name;
            EXPECT_GT(far.green(), 200) << row.name;
        }
        window.mnuClose1->trigger();
    }
}

TEST_F(Images, ARefusedConnectionEndsTheCommandWithTheClientsErrorAndNoPicture) {
    ScriptedServer good({ScriptedServer::reply(ok_reply(sample_gif(300, 200)))});
    download(good.url(QStringLiteral("/x")), QStringLiteral("MDR.GIF"));
    ASSERT_FALSE(window.GIFImage1->empty());

    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    download(QStringLiteral("http://127.0.0.1:%1/x").arg(port), QStringLiteral("MDR.GIF"),
             QStringLiteral("Nimbrix - next"));
    ASSERT_EQ(desktop.count(QStringLiteral("message")), 1);
    EXPECT_EQ(desktop.events[0].box, Desktop::Box::Error);
    EXPECT_FALSE(desktop.messages()[0].isEmpty());
    EXPECT_TRUE(state.request_ok.isEmpty());
    // The earlier picture is gone rather than shown under the new caption, and so is its file.
    EXPECT_TRUE(window.GIFImage1->empty());
    EXPECT_FALSE(QFile::exists(working(QStringLiteral("MDR.GIF"))));
}

TEST_F(Images, AnImageCommandWhileTheClientIsBusyIsRefusedBeforeAnythingChanges) {
    // The population counter also turns the window white and takes its maximize button.
    const ImageRow& counter = *find_image_row(QStringLiteral("mnuCurrWorldPop1"));
    const struct {
        bool busy;
        int image_requests;
        QStringList messages;
        QString caption;
        QColor background;
    } rows[] = {
        {false, 1, {}, QStringLiteral("Nimbrix - Current World Population"), Qt::white},
        {true,
         0,
         {QStringLiteral("Already connected")},
         QStringLiteral("Nimbrix - before"),
         QColor(0, 0, 0x80)},
    };
    for (const auto& row : rows) {
        ScriptedServer image_host({ScriptedServer::reply(ok_reply(sample_gif(300, 200)))});
        ScriptedServer other({ScriptedServer::reply(ok_reply("other"))});
        write_setting(QStringLiteral("Hosts"), QLatin1String(counter.role),
                      QStringLiteral("127.0.0.1:%1").arg(image_host.port()));
        window.close();
        window.setWindowTitle(QStringLiteral("Nimbrix - before"));
        desktop.clear();
        const auto command = [this, &counter] {
            run_guarded(desktop, [this, &counter] { images.command(counter); });
        };
        if (row.busy) {
            // The command comes while another request waits on the one client.
            const auto during = QObject::connect(&client, &TNMHTTP::OnAboutToSend, command);
            client.Get(other.url());
            QObject::disconnect(during);
            EXPECT_EQ(other.connections(), 1);
        } else {
            command();
        }
        EXPECT_EQ(image_host.connections(), row.image_requests) << row.busy;
        EXPECT_EQ(desktop.messages(), row.messages) << row.busy;
        EXPECT_EQ(window.windowTitle(), row.caption) << row.busy;
        EXPECT_EQ(window.client->palette().color(QPalette::Window), row.background) << row.busy;
        EXPECT_EQ(bool(window.windowFlags() & Qt::WindowMaximizeButtonHint), row.busy);
        EXPECT_EQ(state.image_file, row.busy ? QString() : QStringLiteral("pcwgif.gif"));
    }
}

TEST_F(Images, ThePurdueRadarFallsBackOnceToThePictureOfTwoHoursBefore) {
    const QString sorry = QStringLiteral("Sorry, this image is not available at the moment.  I "
                                         "will retry an image 2 hours older than the current.");
    const struct {
        const char* name;
        QByteArray second;
        QString last_status;
    } rows[] = {
        {"older picture there", ok_reply(sample_gif(300, 200), false),
         QStringLiteral("Connection process complete...")},
        {"older picture small too", ok_reply(QByteArray(300, 'x'), false),
         QStringLiteral("Problems retrieving image...0")},
    };
    for (const auto& row : rows) {
        // No length announced: TotalBytes is 0 whatever arrives.
        ScriptedServer server({ScriptedServer::reply(ok_reply(sample_gif(300, 200), false)),
                               ScriptedServer::reply(row.second)});
        write_setting(QStringLiteral("Hosts"), QStringLiteral("PurdueWx"),
                      QStringLiteral("127.0.0.1:%1").arg(server.port()));
        download(server.url(QStringLiteral("/radar/rad_comp.gif")), QStringLiteral("rad_comp.gif"));
        EXPECT_EQ(desktop.messages(), QStringList{sorry}) << row.name;
        EXPECT_EQ(server.connections(), 2) << row.name;
        EXPECT_TRUE(
            server.requests()[1].startsWith("GET /radar/previous/rad_comp-2.gif HTTP/1.0\r\n"))
            << row.name;
        EXPECT_EQ(state.image_file, QStringLiteral("rad_comp-2.gif")) << row.name;
        EXPECT_EQ(main.statuses.last(), row.last_status) << row.name;
    }
}

TEST_F(Images, AnUnattendedDownloadLeavesTheWindowHiddenAndRequestOkSet) {
    ScriptedServer server({ScriptedServer::reply(ok_reply(sample_jpeg(320, 240)))});
    state.auto_request = QStringLiteral("y");
    download(server.url(QStringLiteral("/x")), QStringLiteral("europe.jpg"));
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(state.request_ok, QStringLiteral("Y"));
    EXPECT_FALSE(window.Image1->pixmap().isNull());
}

TEST_F(Images, ClosingDeletesTheFileResetsTheWindowAndRestoresTheMainWindow) {
    QTemporaryDir current;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(current.path());
    QFile own(QStringLiteral("MDR.GIF")); // the user's own file of the same name
    ASSERT_TRUE(own.open(QIODevice::WriteOnly) && own.write("mine") == 4);
    own.close();

    ScriptedServer server({ScriptedServer::reply(ok_reply(sample_gif(300, 200)))});
    window.setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    window.set_background(Qt::white);
    download(server.url(QStringLiteral("/x")), QStringLiteral("MDR.GIF"));
    ASSERT_TRUE(window.isVisible());
    EXPECT_EQ(main.minimized, 1);
    window.mnuClose1->trigger();

    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(main.restored, 1);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window.client->palette().color(QPalette::Window), QColor(0, 0, 0x80));
    EXPECT_TRUE(window.GIFImage1->empty());
    EXPECT_FALSE(QFile::exists(working(QStringLiteral("MDR.GIF"))));
    EXPECT_TRUE(state.image_file.isEmpty() && state.image_file_upper.isEmpty());
    EXPECT_EQ(file_bytes(QStringLiteral("MDR.GIF")), QByteArray("mine"));
    QDir::setCurrent(previous);
}

TEST_F(Images, PrintPutsTheClientImageOnOnePdfPage) {
    ScriptedServer server({ScriptedServer::reply(ok_reply(sample_jpeg(320, 240)))});
    download(server.url(QStringLiteral("/x")), QStringLiteral("europe.jpg"));
    const QString pdf = store.config_home() + QStringLiteral("/print.pdf");
    desktop.print_answers = {true};
    desktop.choose_printer = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    window.mnuPrint1->trigger();
    EXPECT_EQ(desktop.log(), QStringList{QStringLiteral("print_dialog")});
    ASSERT_TRUE(QFile::exists(pdf));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        GTEST_SKIP() << "pdftoppm is not installed";
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("30"), QStringLiteral("-png"), pdf,
                  store.config_home() + QStringLiteral("/page")});
    ASSERT_TRUE(render.waitForFinished(30000));
    QDir pages(store.config_home(), QStringLiteral("page*.png"));
    ASSERT_EQ(pages.entryList().size(), 1) << "one page";
    const QImage page(pages.filePath(pages.entryList().first()));
    // The client image starts at the top left of the printable area (the first pixel that is
    // not paper), at the size it has on the screen; the gradient's corners are where they were.
    QPoint origin(-1, -1);
    for (int y = 0; y < page.height() && origin.x() < 0; ++y)
        for (int x = 0; x < page.width(); ++x)
            if (page.pixelColor(x, y) != Qt::white) {
                origin = QPoint(x, y);
                break;
            }
    const double scale = 30.0 / window.logicalDpiX();
    const QColor top_left = page.pixelColor(origin + QPoint(1, 1));
    const QColor lower = page.pixelColor(origin + QPoint(int(300 * scale), int(230 * scale)));
    EXPECT_LT(top_left.red(), 60) << top_left.name().toStdString();
    EXPECT_GT(lower.red(), 200) << lower.name().toStdString();
    EXPECT_GT(lower.green(), 180) << lower.name().toStdString();
}

TEST_F(Images, PrintingThatCannotStartSaysWhy) {
    ScriptedServer server({ScriptedServer::reply(ok_reply(sample_jpeg(320, 240)))});
    download(server.url(QStringLiteral("/x")), QStringLiteral("europe.jpg"));
    const QString missing_folder = store.config_home() + QStringLiteral("/gone/print.pdf");
    const struct {
        const char* name;
        QString file; // empty: the dialog had no printer to offer and none was chosen
        QString message;
    } rows[] = {
        {"no printer", QString(),
         QStringLiteral("Printing failed: no printer is set up on this computer. Choose \"Print to "
                        "File (PDF)\" in the print dialog to make a PDF file.")},
        {"a PDF file in a missing folder", missing_folder,
         QStringLiteral("Printing failed: the PDF file %1 cannot be written (No such file or "
                        "directory).")
             .arg(missing_folder)},
    };
    for (const auto& row : rows) {
        desktop.clear();
        desktop.print_answers = {true};
        desktop.choose_printer = [&](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            if (!row.file.isEmpty())
                printer.setOutputFileName(row.file);
        };
        window.mnuPrint1->trigger();
        EXPECT_EQ(desktop.messages(), QStringList{row.message}) << row.name;
    }
}

TEST_F(Images, SaveAsWallpaperInstallsThePictureOnShowOrALeftOverBitmap) {
    const struct {
        const char* name;
        QByteArray picture;
        const char* file;
        bool leftover;
        bool desktop_takes_it;
        QSize installed_size;
    } rows[] = {
        {"a JPEG camera", sample_jpeg(320, 240), "cam.jpg", false, true, QSize(320, 240)},
        {"a GIF radar", sample_gif(300, 200), "MDR.GIF", false, true, QSize(300, 200)},
        // Shown scaled down, installed whole.
        {"a GIF larger than the screen", sample_gif(1600, 1200), "MDR.GIF", false, true,
         QSize(1600, 1200)},
        {"a bitmap left from before", sample_gif(300, 200), "MDR.GIF", true, true, QSize(7, 5)},
        {"a desktop that takes no wallpaper", sample_gif(300, 200), "MDR.GIF", false, false,
         QSize(300, 200)},
    };
    const QString refused = QStringLiteral("Wallpaper not supported on this desktop");
    for (const auto& row : rows) {
        ScriptedServer server({ScriptedServer::reply(ok_reply(row.picture))});
        download(server.url(QStringLiteral("/x")), QLatin1String(row.file));
        const QImage leftover(7, 5, QImage::Format_RGB32);
        if (row.leftover) {
            ASSERT_TRUE(leftover.save(working(QStringLiteral("nimbrix.bmp")), "BMP"));
        }
        desktop.clear();
        desktop.wallpaper_answer = row.desktop_takes_it;
        main.statuses.clear();
        window.mnuSaveAsWallpaper1->trigger();
        EXPECT_EQ(desktop.log(),
                  QStringList{QStringLiteral("wallpaper: ") + installed() + QStringLiteral("|0")})
            << row.name;
        EXPECT_EQ(QImage(installed()).size(), row.installed_size) << row.name;
        EXPECT_FALSE(QFile::exists(working(QStringLiteral("nimbrix.bmp")))) << row.name;
        // A refusal is told in the image window the user looks at, not the minimized main one.
        EXPECT_EQ(window.StatusBar1->text().trimmed(),
                  row.desktop_takes_it ? QStringLiteral("Thank you for using Nimbrix...") : refused)
            << row.name;
        EXPECT_FALSE(main.statuses.contains(refused)) << row.name;
        window.close();
        EXPECT_EQ(window.StatusBar1->text(), QStringLiteral(" Thank you for using Nimbrix..."));
    }
}

// Also a radar larger than the screen, shown scaled down, is captured whole at its natural size.
TEST_F(Images, TheWeatherBankRadarIsCapturedFromTheWindowAtItsNaturalSize) {
    const QSize natural(1000, 720);
    ScriptedServer server({ScriptedServer::reply(ok_reply(
        sample_gif(1000, 720, {{0, 0, 1000, 720}, {0, 0, 1000, 720}, {0, 0, 1000, 720}})))});
    window.GIFImage1->Animate = true;
    window.GIFImage1->CurrentFrame = 2;
    download(server.url(QStringLiteral("/free/hrad/hr00us.gif")), QStringLiteral("hr00us.gif"),
             QStringLiteral("Nimbrix - US Radar Image - WeatherBank, Inc."));
    ASSERT_EQ(window.GIFImage1->frame_count(), 3);
    ASSERT_LT(window.GIFImage1->width(), natural.width()) << "shown scaled down at first";
    QGuiApplication::clipboard()->clear();
    window.mnuSaveAsWallpaper1->trigger();
    EXPECT_EQ(window.pos(), QGuiApplication::primaryScreen()->availableGeometry().topLeft());
    EXPECT_EQ(window.GIFImage1->geometry(), QRect(QPoint(0, 0), natural));
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), natural);
    EXPECT_EQ(QImage(installed()).size(), natural);
    EXPECT_EQ(desktop.count(QStringLiteral("wallpaper")), 1);
}

TEST_F(Images, TheAutomaticWallpaperFetchesTheChosenImageAndInstallsIt) {
    const struct {
        const char* value; // nullptr: none stored
        bool fetched;
        bool desktop_takes_it;
        QString last_status;
    } rows[] = {
        {nullptr, false, true, {}},
        {"None", false, true, {}},
        {"U.S. StormWatch", false, true, {}},
        {"US Radar Image - Texas A&M", false, true, {}},
        {"US Radar Image - Texas A&&M", true, true, QStringLiteral("Wallpaper updated...")},
        {"US Radar Image - Texas A&&M", true, false,
         QStringLiteral("Wallpaper not supported on this desktop")},
    };
    for (const auto& row : rows) {
        ScriptedServer server({ScriptedServer::reply(ok_reply(sample_gif(300, 200)))});
        write_setting(QStringLiteral("Hosts"), QStringLiteral("TexasAM"),
                      QStringLiteral("127.0.0.1:%1").arg(server.port()));
        if (row.value)
            write_setting(QStringLiteral("Settings"), QStringLiteral("AutoWallpaper"),
                          QString::fromUtf8(row.value));
        desktop.clear();
        desktop.wallpaper_answer = row.desktop_takes_it;
        main.statuses.clear();
        state.auto_request = QStringLiteral("y");
        run_guarded(desktop, [this] { images.auto_wallpaper(); });
        const QString name = QString::fromUtf8(row.value ? row.value : "(none)");
        EXPECT_EQ(server.connections(), row.fetched ? 1 : 0) << name.toStdString();
        EXPECT_EQ(main.statuses.value(main.statuses.size() - 1), row.last_status)
            << name.toStdString();
        if (!row.fetched)
            continue;
        EXPECT_TRUE(
            server.requests()[0].startsWith("GET /mcsat/mcimages/MDR/MDR.GIF HTTP/1.0\r\n"));
        EXPECT_EQ(desktop.log(),
                  QStringList{QStringLiteral("wallpaper: ") + installed() + QStringLiteral("|0")});
        EXPECT_FALSE(window.isVisible());
        EXPECT_TRUE(QFile::exists(working(QStringLiteral("MDR.GIF")))); // the download stays
        EXPECT_TRUE(state.request_ok.isEmpty() && state.image_file.isEmpty() &&
                    state.image_file_upper.isEmpty());
    }
}
