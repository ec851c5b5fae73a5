// The about box and the version check, driven through the main window's "&Help" commands.
#include "about/about_rules.h"
#include "about/about_window.h"
#include "about/pie_gauge.h"
#include "app/main_window.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/recording_desktop.h"
#include "support/scripted_server.h"
#include "support/temp_settings.h"

#include <QAction>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTcpServer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr quint64 gib = 1024ull * 1024 * 1024;

class About : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<TForm1>(state, desktop);
        form->timer_startup->stop();
        form->Timer1->stop();
        about = new TfrmAbout(desktop, form.get(), [this] {
            // The figures change after the first call; the box shows the first ones.
            ++memory_calls;
            return PhysicalMemory{16 * gib, memory_calls == 1 ? 16 * gib / 100 * 3 : 8 * gib};
        });
        form->set_about(about);
        desktop.clear();
    }
    void maker_at(quint16 port) {
        write_setting(QStringLiteral("Hosts"), QStringLiteral("Maker"),
                      QStringLiteral("127.0.0.1:%1").arg(port));
    }

    TempSettings temp;
    ProgramState state;
    RecordingDesktop desktop;
    std::unique_ptr<TForm1> form;
    TfrmAbout* about = nullptr;
    int memory_calls = 0;
};

} // namespace

TEST_F(About, ShowsVersionCreditsAndTheMemoryOfItsCreationAtEveryOpening) {
    EXPECT_FALSE(about->isVisible());
    for (int opening = 0; opening < 2; ++opening) {
        form->mnuAbout->trigger();
        ASSERT_TRUE(about->isVisible());
        EXPECT_EQ(about->lblCurrVs->text(), QStringLiteral("1.30.7.2"));
        EXPECT_EQ(about->lblFreeRAM->text(), QStringLiteral("Free RAM: 515396 K bytes"));
        EXPECT_EQ(about->lbltotalRAM->text(), QStringLiteral("Total RAM: 17179869 K bytes"));
        EXPECT_EQ(about->Ramguage->Progress(), 3);
        EXPECT_EQ(about->Ramguage->ForeColor(), QColor(Qt::red));
        about->close();
    }
    EXPECT_EQ(memory_calls, 1);
    const QString credits = about->Memo1->toPlainText();
    EXPECT_TRUE(credits.startsWith(
        QStringLiteral("Credits:\n\nData courtesy of the National Weather Service")));
    for (const char* attribution :
         {"GeoNames", "CC BY 4.0", "Apache License 2.0", "weather-util-data"})
        EXPECT_TRUE(credits.contains(QLatin1String(attribution))) << attribution;

    // The links and the box's own help key.
    about->show();
    QTest::mouseClick(about->lblURL, Qt::LeftButton);
    QTest::mouseClick(about->lblEmail, Qt::LeftButton);
    QTest::keyClick(about, Qt::Key_F1);
    EXPECT_EQ(desktop.log(),
              (QStringList{QStringLiteral("open_url: http://127.0.0.1:8079"),
                           QStringLiteral("open_url: mailto:") + maker_contact_address,
                           QStringLiteral("help")}));
    EXPECT_EQ(about->lblURL->text(), QStringLiteral("Click here to go to 127.0.0.1:8079"));

    // Without a browser or mail program a box says which one is missing.
    desktop.clear();
    desktop.open_url_answer = false;
    QTest::mouseClick(about->lblURL, Qt::LeftButton);
    QTest::mouseClick(about->lblEmail, Qt::LeftButton);
    EXPECT_EQ(desktop.messages(),
              (QStringList{QStringLiteral("Cannot open http://127.0.0.1:8079: no web browser is "
                                          "set up on this computer."),
                           QStringLiteral("Cannot write to ") + maker_contact_address +
                               QStringLiteral(": no e-mail program is set up on this computer.")}));
}

TEST_F(About, VersionCheckShowsItsMessageAndEndsWithTheIdleStatus) {
    const struct {
        const char* name;
        QByteArray reply;
        const char* message;
    } rows[] = {
        {"CutToEight", "HTTP/1.0 200 OK\r\n\r\nVersion#1.30.7.10",
         "Your version is the most current (1.30.7.2). The latest version is 1.30.7.1."},
        {"NoMarker", "HTTP/1.0 404 Not Found\r\n\r\n<html>Not Found</html>",
         "Error retrieving version #.  Please try again later."},
    };
    for (const auto& row : rows) {
        ScriptedServer maker({ScriptedServer::reply(row.reply)});
        maker_at(maker.port());
        desktop.clear();
        form->CheckforUpdate1->trigger();
        EXPECT_EQ(desktop.messages(), QStringList{QLatin1String(row.message)}) << row.name;
        EXPECT_EQ(form->status_text(), QStringLiteral("Thank you for using Nimbrix..."))
            << row.name;
        EXPECT_TRUE(state.request_ok.isEmpty()) << row.name;
        ASSERT_EQ(maker.requests().size(), 1u);
        EXPECT_TRUE(maker.requests()[0].startsWith("GET /assets/nimbrixvs.txt HTTP/1.0\r\n"));
        EXPECT_TRUE(maker.requests()[0].contains("\r\nReferer: Nimbrix by Corvalen\r\n"));
    }

    // A refused connection ends the command with the client's error in the error box.
    quint16 closed_port = 0;
    {
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        closed_port = server.serverPort();
    }
    maker_at(closed_port);
    desktop.clear();
    form->CheckforUpdate1->trigger();
    EXPECT_EQ(desktop.messages(), QStringList{QStringLiteral("Connection Failed")});
}
