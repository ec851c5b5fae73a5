// The preferences window against a temporary store: what a show loads, what "&Okay" writes,
// and the proxy reaching the client.
#include "net/nmhttp.h"
#include "settings/preferences_rules.h"
#include "settings/preferences_window.h"
#include "settings/proxy_info.h"
#include "settings/settings_store.h"
#include "support/recording_desktop.h"
#include "support/scripted_server.h"
#include "support/temp_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <gtest/gtest.h>

namespace {

const QString S = QStringLiteral("Settings");
const QColor silver(0xC0, 0xC0, 0xC0);

class Preferences : public ::testing::Test {
protected:
    void SetUp() override { form = new TfrmPref(desktop, proxy(), choices, nullptr); }
    void TearDown() override { delete form; }

    void store(const QList<QPair<const char*, const char*>>& values) {
        for (const auto& [name, value] : values)
            write_setting(name[0] == 'l' && name[1] == 'o' ? QStringLiteral("Locations") : S,
                          QLatin1String(name), QString::fromUtf8(value));
    }
    void reshow() {
        form->hide();
        form->show();
    }
    bool proxy_fields_enabled(bool enabled) const {
        for (QLineEdit* edit :
             {form->EditProxy, form->EditProxyPort, form->txtProxyUserid, form->txtProxyPass})
            if (edit->isEnabled() != enabled ||
                (edit->palette().color(QPalette::Base) == silver) == enabled)
                return false;
        return true;
    }
    QStringList items(QComboBox* box) const {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }

    TempSettings temp;
    RecordingDesktop desktop;
    QObject owner;
    TNMHTTP* client = new TNMHTTP(&owner);
    ProxyProperties proxy() {
        return {client->Proxy, client->ProxyPort, client->HeaderInfo.UserId,
                client->HeaderInfo.Password};
    }
    StartupChoices choices;
    TfrmPref* form = nullptr;
};

} // namespace

TEST_F(Preferences, EveryShowLoadsTheFieldsFromTheStore) {
    struct Row {
        const char* name;
        QList<QPair<const char*, const char*>> stored;
        bool yes, metric;
        QStringList startup_items;
        const char* startup_text;
        const char* wallpaper;
        bool ticked;
        const char* proxy;
        bool watch = false;
    };
    // clang-format off
    const Row rows[] = {
        {"FirstRun", {}, true, false, {"None"}, "", "None", false, ""},
        {"AutoUpdateNo", {{"AutoUpdate", "n"}, {"Metric", "y"}}, false, true, {"None"}, "", "None", false, ""},
        {"AutoUpdateMaybe", {{"AutoUpdate", "maybe"}, {"Metric", "Y"}}, false, false, {"None"}, "", "None", false, ""},
        {"PresetsWithStartup", {{"loc0", "Austin, TX"}, {"loc1", "Cairo, Egypt (O)"}, {"StartupLoc", "Cairo, Egypt (O)"},
                                {"AutoWallpaper", "U.S. StormWatch"}},
         true, false, {"Austin, TX", "Cairo, Egypt (O)", "None"}, "Cairo, Egypt (O)", "U.S. StormWatch", false, ""},
        {"ProxyOn", {{"ProxyUse", "y"}, {"Proxy", "proxy.example"}, {"ProxyPort", "8080"}, {"WarnWatch", "y"}},
         // Without a stored start-up location the box keeps the text it had.
         true, false, {"None"}, "Cairo, Egypt (O)", "None", true, "proxy.example", true},
    };
    // clang-format on
    for (const Row& row : rows) {
        TempSettings fresh;
        store(row.stored);
        reshow();
        EXPECT_EQ(form->radioYesupstat->isChecked(), row.yes) << row.name;
        EXPECT_EQ(form->radioNoupstat->isChecked(), !row.yes) << row.name;
        EXPECT_EQ(form->radioMetric->isChecked(), row.metric) << row.name;
        EXPECT_EQ(items(form->cboStartupLoc), row.startup_items) << row.name;
        EXPECT_EQ(form->cboStartupLoc->currentText(), QLatin1String(row.startup_text)) << row.name;
        EXPECT_EQ(form->cboAutoWallpaper->currentText(), QLatin1String(row.wallpaper)) << row.name;
        EXPECT_EQ(form->CheckBox1->isChecked(), row.ticked) << row.name;
        EXPECT_TRUE(proxy_fields_enabled(row.ticked)) << row.name;
        EXPECT_EQ(form->EditProxy->text(), QLatin1String(row.proxy)) << row.name;
        EXPECT_EQ(form->chkWarnWatch->isChecked(), row.watch) << row.name;
    }
    EXPECT_TRUE(desktop.events.isEmpty()) << desktop.log().join(u'|').toStdString();

    // After a preset rebuild the start-up list is in sorted order, "None" included.
    store({{"loc0", "paris, France (O)"}, {"loc1", "Austin, TX"}});
    reshow();
    EXPECT_EQ(items(form->cboStartupLoc), (QStringList{"paris, France (O)", "Austin, TX", "None"}));
    choices.set_sorted(true);
    reshow();
    EXPECT_EQ(items(form->cboStartupLoc), (QStringList{"Austin, TX", "None", "paris, France (O)"}));

    // The wallpaper list: eleven names, "&&" kept, in case-insensitive order.
    const QStringList wallpapers = items(form->cboAutoWallpaper);
    EXPECT_EQ(wallpapers.size(), 11);
    EXPECT_TRUE(wallpapers.contains(QStringLiteral("US Radar Image - Texas A&&M")));
    EXPECT_EQ(wallpapers.first(), QStringLiteral("Europe Satellite Image"));
    EXPECT_EQ(wallpapers.indexOf(QStringLiteral("U.S. StormWatch")) + 1,
              wallpapers.indexOf(QStringLiteral("US Infrared Satellite Image - Purdue")));
}

TEST_F(Preferences, OkayWritesEverythingButAPortThatIsNoWholeNumberStopsAfterStartupLoc) {
    struct Row {
        const char* port;
        bool accepted;
    };
    const Row rows[] = {
        {"8080", true}, {"80a", false}, {"", false}, {"8080 ", false}, {"+8080", false}};
    const char* later[] = {"Proxy",     "ProxyPort", "ProxyUse",      "ProxyUserid",
                           "ProxyPass", "Metric",    "AutoWallpaper", "WarnWatch"};
    for (const Row& row : rows) {
        TempSettings fresh;
        desktop.clear();
        form->show();
        form->radioNoupstat->setChecked(true);
        form->cboStartupLoc->setEditText(QStringLiteral("None"));
        form->CheckBox1->setChecked(true);
        form->EditProxy->setText(QStringLiteral("proxy.example"));
        form->EditProxyPort->setText(QLatin1String(row.port));
        form->txtProxyUserid->setText(QStringLiteral("me"));
        form->txtProxyPass->setText(QStringLiteral("pa:ss"));
        form->radioMetric->setChecked(true);
        form->chkWarnWatch->setChecked(true);
        form->btnOkay->click();

        EXPECT_EQ(read_setting(S, QStringLiteral("AutoUpdate")), QStringLiteral("n")) << row.port;
        EXPECT_EQ(read_setting(S, QStringLiteral("StartupLoc")), QStringLiteral("None"))
            << row.port;
        EXPECT_EQ(form->isVisible(), !row.accepted) << row.port;
        if (row.accepted) {
            EXPECT_TRUE(desktop.events.isEmpty());
            EXPECT_EQ(read_setting(S, QStringLiteral("ProxyPort")), QStringLiteral("8080"));
            EXPECT_EQ(read_setting(S, QStringLiteral("ProxyPass")), QStringLiteral("pa:ss"));
            EXPECT_EQ(read_setting(S, QStringLiteral("Metric")), QStringLiteral("y"));
            EXPECT_EQ(read_setting(S, QStringLiteral("AutoWallpaper")), QStringLiteral("None"));
            EXPECT_EQ(read_setting(S, QStringLiteral("WarnWatch")), QStringLiteral("y"));
            EXPECT_EQ(client->ProxyPort, 8080);
        } else {
            EXPECT_EQ(desktop.messages(),
                      QStringList{QStringLiteral("'%1' is not a valid integer value")
                                      .arg(QLatin1String(row.port))});
            for (const char* name : later)
                EXPECT_EQ(read_setting(S, QLatin1String(name)), setting_absent)
                    << row.port << " " << name;
        }
        form->hide();
    }
}

TEST_F(Preferences, UntickingStoresOnlyProxyUseAndTheValuesReappearDisabled) {
    store({{"ProxyUse", "y"},
           {"Proxy", "proxy.example"},
           {"ProxyPort", "8080"},
           {"ProxyUserid", "me"}});
    reshow();
    ASSERT_TRUE(form->CheckBox1->isChecked());
    form->CheckBox1->click();
    EXPECT_TRUE(proxy_fields_enabled(false));
    form->EditProxyPort->setText(QStringLiteral("not stored"));
    form->btnOkay->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(read_setting(S, QStringLiteral("ProxyUse")), QStringLiteral("n"));
    EXPECT_EQ(read_setting(S, QStringLiteral("ProxyPort")), QStringLiteral("8080"));

    form->show();
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_TRUE(proxy_fields_enabled(false));
    EXPECT_EQ(form->EditProxy->text(), QStringLiteral("proxy.example"));
    EXPECT_EQ(form->EditProxyPort->text(), QStringLiteral("8080"));

    // Cancel writes nothing; the next show brings back what is stored.
    form->radioMetric->setChecked(true);
    form->btnCancel->click();
    EXPECT_EQ(read_setting(S, QStringLiteral("Metric")), QStringLiteral("n"));
    form->show();
    EXPECT_TRUE(form->radioEnglish->isChecked());
    form->btnHelp->click();
    EXPECT_EQ(desktop.log(), QStringList{QStringLiteral("help")});
}

TEST_F(Preferences, TheNextRequestGoesThroughTheProxyWhileTickedAndDirectOnceUnticked) {
    ScriptedServer proxy({ScriptedServer::reply("HTTP/1.0 200 OK\r\n\r\nok")});
    form->show();
    form->CheckBox1->setChecked(true);
    form->EditProxy->setText(QStringLiteral("127.0.0.1"));
    form->EditProxyPort->setText(QString::number(proxy.port()));
    form->txtProxyUserid->setText(QStringLiteral("user"));
    form->txtProxyPass->setText(QStringLiteral("pass"));
    form->btnOkay->click();
    ASSERT_TRUE(desktop.events.isEmpty()) << desktop.log().join(u'|').toStdString();

    client->HeaderInfo.Referer = QStringLiteral("Nimbrix by Corvalen");
    client->Get(QStringLiteral("http://weather.example/US/IL/Chicago.html"));
    ASSERT_EQ(proxy.requests().size(), 1u);
    EXPECT_EQ(proxy.requests()[0].toStdString(),
              "GET http://weather.example/US/IL/Chicago.html HTTP/1.0\r\n"
              "Proxy-Connection: Keep-Alive\r\nHost: weather.example\r\n"
              "Accept: www/source, text/html, video/mpeg, image/jpeg, image/x-tiff\r\n"
              "Accept: image/x-rgb, image/x-xbm, image/gif, */*, application/postscript\r\n"
              "Referer: Nimbrix by Corvalen\r\nProxy-Authorization: Basic dXNlcjpwYXNz\r\n"
              "Content-type: application/x-www-form-urlencoded\r\n\r\n");

    // Unticked: the next request goes straight to the host, without the proxy's credentials.
    ScriptedServer host({ScriptedServer::reply("HTTP/1.0 200 OK\r\n\r\nok")});
    form->show();
    form->CheckBox1->click();
    form->btnOkay->click();
    client->Get(host.url(QStringLiteral("/US/IL/Chicago.html")));
    EXPECT_EQ(proxy.requests().size(), 1u);
    ASSERT_EQ(host.requests().size(), 1u);
    EXPECT_TRUE(host.requests()[0].startsWith("GET /US/IL/Chicago.html HTTP/1.0\r\n"));
    EXPECT_FALSE(host.requests()[0].contains("Authorization"));
}

TEST_F(Preferences, ThePasswordIsShownMasked) {
    form->show();
    form->CheckBox1->setChecked(true);
    form->txtProxyPass->setText(QStringLiteral("secret"));
    EXPECT_EQ(form->txtProxyPass->text(), QStringLiteral("secret"));
    EXPECT_FALSE(form->txtProxyPass->displayText().contains(QStringLiteral("secret")));
    EXPECT_EQ(form->txtProxyPass->displayText().size(), 6);
}

TEST_F(Preferences, AStoredPortThatIsNoNumberFailsTheProxyStepAfterTheHostWasApplied) {
    store({{"ProxyUse", "n"}, {"Proxy", "ignored.example"}});
    process_proxy_info(proxy());
    EXPECT_TRUE(client->Proxy.isEmpty());

    store(
        {{"ProxyUse", "y"}, {"Proxy", "proxy.example"}, {"ProxyPort", "x"}, {"ProxyUserid", "me"}});
    try {
        process_proxy_info(proxy());
        ADD_FAILURE() << "no error";
    } catch (const ConversionError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("'x' is not a valid integer value"));
    }
    EXPECT_EQ(client->Proxy, QStringLiteral("proxy.example"));
    EXPECT_EQ(client->ProxyPort, 0);
    EXPECT_TRUE(client->HeaderInfo.UserId.isEmpty());
}

TEST_F(Preferences, TheWatchBoxStandsBesideTheButtonsWithItsTextWhole) {
    form->show();
    const QRect box = form->chkWarnWatch->geometry();
    EXPECT_TRUE(form->rect().contains(box));
    EXPECT_GE(box.width(), form->chkWarnWatch->sizeHint().width());
    EXPECT_EQ(form->size(), QSize(516, 373));
    for (QWidget* other : form->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (other != form->chkWarnWatch) {
            EXPECT_FALSE(other->geometry().intersects(box)) << other->objectName().toStdString();
        }
    }
}
