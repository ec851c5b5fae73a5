#include "app/main_window.h"
#include "host/upstream_fixture.h"
#include "live/upstream_cache.h"
#include "live/upstream_client.h"
#include "net/nmhttp.h"
#include "platform/line_printer.h"
#include "settings/settings_store.h"
#include "shared/program_state.h"
#include "support/host_process.h"
#include "support/recording_desktop.h"
#include "support/temp_settings.h"
#include "textproducts/forecast_window.h"
#include "textproducts/text_cleaning.h"
#include "textproducts/text_products.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString S = QStringLiteral("Settings");
const QString H = QStringLiteral("Hosts");

// Prints text jobs into a PDF file instead of asking for a printer.
class PdfDesktop : public RecordingDesktop {
public:
    QString pdf_path;
    std::unique_ptr<TextPrintJob> open_text_job(const QString& title, const QString& family,
                                                int point_size) override {
        auto printer = std::make_unique<QPrinter>();
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf_path);
        printer->setDocName(title);
        return std::make_unique<LinePrinter>(std::move(printer), family, point_size);
    }
};

class TextProducts : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.running()) << "nimbrix-host did not start";
        for (const char* role : {"Conditions", "Maker", "NWS", "Census", "CensusLookup"})
            write_setting(H, QLatin1String(role), host.address());
        state.counter_sent = QStringLiteral("Y"); // no usage ping in these tests
        form = std::make_unique<TForm1>(state, desktop);
        form->timer_startup->stop();
        form->Timer1->stop();
        start_forecast_window();
        QObject::connect(form.get(), &TForm1::status_changed,
                         [this](const QString& t) { main_statuses << t; });
    }

    // The forecast window of one run of the program, as the start-up creates it.
    void start_forecast_window() {
        forecast = std::make_unique<TfrmForecast>(state, desktop, *form->NMHTTP1, *form, *form);
        form->forecast_status = [this](const QString& text) { forecast->set_status(text); };
        form->set_forecast(forecast.get());
        QObject::connect(forecast.get(), &TfrmForecast::status_changed,
                         [this](const QString& t) { statuses << t; });
    }

    // A conditions request from a preset.
    void fetch(const QString& location) {
        form->set_preset_item(0, location);
        form->mnuViewStats[0]->trigger();
    }

    // A product command of the main window; the window's first activation follows.
    void open(const char* code) {
        desktop.clear();
        statuses.clear();
        const TextProduct* product = find_text_product(QLatin1String(code));
        ASSERT_TRUE(product) << code;
        auto* command = form->findChild<QAction*>(QLatin1String(product->menu_item));
        ASSERT_TRUE(command && command->isEnabled()) << product->menu_item;
        command->trigger();
        ASSERT_EQ(state.xcast_code, QLatin1String(code));
        forecast->focus_window_changed(forecast->windowHandle());
    }

    QString shown() const { return forecast->txtForecast->toPlainText(); }
    bool requested() const { return statuses.contains(QStringLiteral("Attempting connection...")); }

    TempSettings store;
    HostProcess host{QStringLiteral(NIMBRIX_HOST_BINARY)};
    ProgramState state;
    PdfDesktop desktop;
    std::unique_ptr<TForm1> form;
    std::unique_ptr<TfrmForecast> forecast;
    QStringList statuses;
    QStringList main_statuses;
};

} // namespace

TEST_F(TextProducts, EachProductForChicago) {
    fetch(QStringLiteral("Chicago, IL"));
    ASSERT_EQ(state.current_location.state, QStringLiteral("IL"));
    const QString not_available =
        QStringLiteral(" Sorry, this IL information is not currently available.--- End of File --");
    const QString detail_tail = QStringLiteral(
        "/T=P1/T=P5/T=P6/T=P7/T=P13/T=P49/T=P50/T=P53/T=P54/T=P57/T=P78/T=P80/T=P80A/T=P114A/T=H5/"
        "T=H25/T=H43A/T=H61/T=H61A");
    const struct {
        const char* code;
        const char* input; // county, census state entry or zip
        const char* caption;
        QString path;
        const char* shows; // a text the display holds
        const char* message;
        bool fixed;
    } rows[] = {
        {"f", "", "Nimbrix - Text Forecast for IL", "/iwin/IL/zone.html", "ILZ001-", "", false},
        {"f", "cook", "Nimbrix - Text Forecast for COOK county, IL", "/iwin/IL/zone.html", "COOK-",
         "", false},
        {"n", "Cook", "Nimbrix - Text Nowcast for COOK county, IL", "/iwin/IL/shortterm.html",
         "COOK-", "", false},
        {"n", "Nowhere", "Nimbrix - Text Nowcast for IL", "/iwin/IL/shortterm.html", "ILZ001-",
         "Sorry, NOWHERE county was not found.  Displaying state zone info...", false},
        {"p", "", "Nimbrix - Public Information for IL", "/iwin/IL/public.html",
         "PUBLIC INFORMATION STATEMENT", "", false},
        {"w", "", "Nimbrix - Warnings && Advisories for IL", "/iwin/IL/allwarnings.html",
         "WARNINGS AND ADVISORIES", "", false},
        {"sw", "", "Nimbrix - Special Weather Statements for IL", "/iwin/IL/special.html",
         "not currently available", "", false},
        {"h", "", "Nimbrix - Hydrological data for IL", "/iwin/IL/hydro.html",
         "not currently available", "", true},
        {"si", "", "Nimbrix - US/State Census Median HH Income", "/statab/ranks/pg20.txt", "Alaska",
         "", true},
        {"ss", "", "Nimbrix - US Census State Rankings", "/statab/ranks/pg18.txt", "Virginia", "",
         true},
        {"s1", "17-Illinois", "Nimbrix - Census Detail by State",
         "/cdrom/lookup/906005492=/906005506=/906005514=/906005522=/CMD=RET/DB=C90STF3C1/"
         "F0=FIPS.STATE/F1=STUB.GEO/FMT=HTML/LEV=STATE/SEL=17,Illinois" +
             detail_tail,
         "Illinois", "", true},
        {"s1", "11-District of Columbia", "Nimbrix - Census Detail by State",
         "/cdrom/lookup/906005492=/906005506=/906005514=/906005522=/CMD=RET/DB=C90STF3C1/"
         "F0=FIPS.STATE/F1=STUB.GEO/FMT=HTML/LEV=STATE/SEL=11,District%20of%20Columbia" +
             detail_tail,
         "District of Columbia (sample figures", "", true},
        {"s2", "60601", "Nimbrix - Census Detail by Zip",
         "/cdrom/lookup/906003812=/906003889=/906003903=/906005246=/CMD=RET/DB=C90STF3B/F0=ZIP/"
         "FMT=HTML/LEV=ZIP/SEL=60601" +
             detail_tail,
         "ZIP Code 60601", "", true},
    };
    const QString fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont).family();
    for (const auto& row : rows) {
        const QString code = QLatin1String(row.code);
        open(row.code);
        switch (input_row(code)) {
        case InputRow::County:
            forecast->editCounty->setText(QLatin1String(row.input));
            break;
        case InputRow::State:
            forecast->cboState->setEditText(QLatin1String(row.input));
            break;
        case InputRow::Zip:
            forecast->txtZip->setText(QLatin1String(row.input));
            break;
        case InputRow::None:
            break;
        }
        if (!starts_at_once(code))
            forecast->btnGetit->click();
        const QString text = shown();
        EXPECT_EQ(forecast->windowTitle(), QLatin1String(row.caption)) << row.code << row.input;
        EXPECT_EQ(form->NMHTTP1->request_path(), row.path) << row.code << row.input;
        EXPECT_TRUE(text.contains(QLatin1String(row.shows))) << row.code << row.input;
        EXPECT_FALSE(text.contains(QLatin1Char('<'))) << row.code << row.input;
        EXPECT_EQ(desktop.messages().join(QString()), QLatin1String(row.message)) << row.code;
        EXPECT_EQ(forecast->txtForecast->font().family() == fixed, row.fixed) << row.code;
        EXPECT_EQ(statuses.last(), xcast_idle) << row.code;
        EXPECT_TRUE(statuses.contains(QStringLiteral("Get Succeeded"))) << row.code;
        const auto one_of = [&](std::initializer_list<const char*> codes) {
            for (const char* c : codes)
                if (code == QLatin1String(c))
                    return true;
            return false;
        };
        if (one_of({"si", "ss", "s1", "s2"})) {
            EXPECT_FALSE(text.contains(QLatin1String("http:"))) << row.code;
        }
        if (one_of({"sw", "h"})) {
            EXPECT_EQ(text, not_available) << row.code;
        }
        if (one_of({"p", "w"})) {
            EXPECT_TRUE(text.endsWith(QLatin1String("\n--- End of File --"))) << row.code;
        }
        if (one_of({"s1", "s2"})) {
            EXPECT_TRUE(
                text.endsWith(QLatin1String("--- End of File --\nThanks for using Nimbrix...")));
        }
        if (QByteArray(row.input).toLower() == "cook") {
            EXPECT_FALSE(text.contains(QLatin1String("$$")) ||
                         text.contains(QLatin1String("ILZ001")));
        }
        forecast->close();
    }
}

TEST_F(TextProducts, StateDetailOfEveryStateShowsEveryTable) {
    const QString head = QStringLiteral(
        "/cdrom/lookup/906005492=/906005506=/906005514=/906005522=/CMD=RET/DB=C90STF3C1/"
        "F0=FIPS.STATE/F1=STUB.GEO/FMT=HTML/LEV=STATE/SEL=");
    const QString tail = QStringLiteral(
        "/T=P1/T=P5/T=P6/T=P7/T=P13/T=P49/T=P50/T=P53/T=P54/T=P57/T=P78/T=P80/T=P80A/T=P114A/T=H5/"
        "T=H25/T=H43A/T=H61/T=H61A");
    open("s1");
    int states = 0;
    for (const QString& entry : census_state_list()) {
        if (entry == QLatin1String("None"))
            continue;
        ++states;
        forecast->cboState->setEditText(entry);
        forecast->btnGetit->click();
        QString selection = entry.left(2) + u',' + entry.mid(3);
        selection.replace(u' ', QStringLiteral("%20"));
        EXPECT_EQ(form->NMHTTP1->request_path(), head + selection + tail);
        // The host shows a row for each table it was asked for; the last two come last.
        EXPECT_TRUE(shown().contains(QStringLiteral("Median value, owner-occupied units")))
            << entry.toStdString();
        EXPECT_TRUE(shown().contains(QStringLiteral("Median gross rent"))) << entry.toStdString();
    }
    EXPECT_EQ(states, 51);
}

TEST_F(TextProducts, RefusalsMakeNoRequest) {
    // A zip of four digits.
    fetch(QStringLiteral("Chicago, IL"));
    open("s2");
    forecast->txtZip->setText(QStringLiteral("6061"));
    forecast->btnGetit->click();
    EXPECT_EQ(desktop.messages(), QStringList{invalid_zip_refusal});
    EXPECT_FALSE(requested());
    forecast->close();

    // No state code for a bulletin: the location chooser was opened since, and the main caption
    // names no place.
    form->setWindowTitle(QStringLiteral("Nimbrix"));
    state.current_location.state.clear();
    for (const char* code : {"p", "h"}) {
        open(code);
        EXPECT_EQ(desktop.messages(), QStringList{no_state_refusal}) << code;
        EXPECT_EQ(statuses, QStringList{xcast_idle}) << code;
        forecast->close();
    }

    // A foreign location, from the caption or from its conditions: the weather service's
    // bulletins are refused before any request, the census tables are not.
    form->setWindowTitle(QStringLiteral("Nimbrix - Bombay, India (O)"));
    open("f");
    EXPECT_EQ(desktop.messages(), QStringList{foreign_location_message});
    desktop.clear();
    forecast->btnGetit->click();
    EXPECT_EQ(desktop.messages(), QStringList{foreign_location_refusal});
    EXPECT_FALSE(requested());
    forecast->close();
    fetch(QStringLiteral("Paris, France (O)"));
    ASSERT_EQ(state.current_location.state, QStringLiteral("France (O)"));
    for (const char* code : {"p", "w"}) {
        open(code);
        EXPECT_EQ(desktop.messages(), QStringList{foreign_location_refusal}) << code;
        EXPECT_EQ(statuses, QStringList{xcast_idle}) << code;
        EXPECT_TRUE(shown().isEmpty()) << code;
        forecast->close();
    }
    open("si");
    EXPECT_TRUE(requested());
}

TEST_F(TextProducts, PublicInformationIsFetchedAgainOnAReturnFromTheProgramOnly) {
    fetch(QStringLiteral("Chicago, IL"));
    open("p");
    const QString start = QStringLiteral("Starting retrieval of Public Information...");
    EXPECT_EQ(statuses.count(start), 1);
    {
        // A message box of the program took the focus and is gone again.
        QMessageBox box(QMessageBox::Information, QStringLiteral("Nimbrix"), QStringLiteral("x"));
        box.winId();
        forecast->focus_window_changed(box.windowHandle());
    }
    forecast->focus_window_changed(forecast->windowHandle());
    EXPECT_EQ(statuses.count(start), 2);
    forecast->focus_window_changed(nullptr); // another application
    forecast->focus_window_changed(forecast->windowHandle());
    EXPECT_EQ(statuses.count(start), 2);
}

TEST_F(TextProducts, FontSizeAndBackgroundComeBackAtTheNextStart) {
    fetch(QStringLiteral("Chicago, IL"));
    open("p");
    forecast->mnuLargefont->trigger();
    desktop.color_answers = {0x00FF00u};
    forecast->mnubgColor->trigger();
    forecast->close();
    forecast.reset();

    start_forecast_window();
    open("p");
    EXPECT_EQ(forecast->txtForecast->font().pointSize(), 12);
    EXPECT_TRUE(forecast->mnuLargefont->isChecked());
    EXPECT_FALSE(forecast->mnuSmallfont->isChecked());
    EXPECT_EQ(forecast->txtForecast->palette().color(QPalette::Base), QColor(Qt::green));
    EXPECT_EQ(read_setting(S, QStringLiteral("Fbgcolor")), QStringLiteral("clLime"));
}

TEST_F(TextProducts, AConditionsRefreshReportsProgressInTheForecastWindow) {
    fetch(QStringLiteral("Chicago, IL"));
    open("f");
    statuses.clear();
    main_statuses.clear();
    fetch(QStringLiteral("Austin, TX"));
    for (const char* text : {"Sending request...", "Connected...", "Get Succeeded",
                             "Status = Transaction Completed", "Disconnected..."}) {
        EXPECT_TRUE(statuses.contains(QLatin1String(text))) << text;
        EXPECT_FALSE(main_statuses.contains(QLatin1String(text))) << text;
    }
    // The driver's own texts stay in the main window.
    EXPECT_TRUE(main_statuses.contains(QStringLiteral("Connection process complete...")));
    EXPECT_EQ(main_statuses.last(), QStringLiteral("Thank you for using Nimbrix..."));

    // Failure texts go to the main window.
    statuses.clear();
    main_statuses.clear();
    fetch(QStringLiteral("Atlantis, ZZ"));
    EXPECT_TRUE(main_statuses.contains(QStringLiteral("Error 404 - Object Not Found")));
    EXPECT_TRUE(main_statuses.contains(QStringLiteral("Get Failed")));
    EXPECT_FALSE(statuses.contains(QStringLiteral("Get Failed")));
    EXPECT_TRUE(statuses.contains(QStringLiteral("Connected...")));

    forecast->close();
    statuses.clear();
    fetch(QStringLiteral("Austin, TX"));
    EXPECT_TRUE(statuses.isEmpty());
    EXPECT_TRUE(main_statuses.contains(QStringLiteral("Connected...")));
}

TEST_F(TextProducts, PrintingACountyForecastGivesEveryLineAndTheClosingLine) {
    desktop.pdf_path = qEnvironmentVariable("NIMBRIX_TEST_TMP", QDir::tempPath()) +
                       QStringLiteral("/county_forecast.pdf");
    QFile::remove(desktop.pdf_path);
    fetch(QStringLiteral("Chicago, IL"));
    open("f");
    forecast->editCounty->setText(QStringLiteral("cook"));
    forecast->btnGetit->click();
    forecast->mnuPrint->trigger();

    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"),
                    {QStringLiteral("-layout"), desktop.pdf_path, QStringLiteral("-")});
    ASSERT_TRUE(pdftotext.waitForFinished(30000)) << "pdftotext (poppler-utils) did not run";
    const QStringList printed =
        QString::fromUtf8(pdftotext.readAllStandardOutput()).split(QLatin1Char('\n'));
    qsizetype at = 0;
    int lines = 0;
    for (QTextBlock block = forecast->txtForecast->document()->begin(); block.isValid();
         block = block.next()) {
        const QString line = block.text().trimmed();
        if (line.isEmpty())
            continue;
        ++lines;
        while (at < printed.size() && printed.at(at).trimmed() != line)
            ++at;
        ASSERT_LT(at, printed.size()) << "not printed in order: " << line.toStdString();
    }
    EXPECT_GT(lines, 5);
    EXPECT_TRUE(printed.mid(at).contains(QStringLiteral("[Printed from Nimbrix (by Corvalen).]")));
}

TEST_F(TextProducts, TheHtmlForecastVisitsTheConditionsHostThenOpensItInTheBrowser) {
    form->mnuForecastHTML->trigger();
    const QString address = QStringLiteral("http://") + host.address();
    EXPECT_EQ(desktop.log(), QStringList{QStringLiteral("open_url: ") + address});
    EXPECT_EQ(form->NMHTTP1->current_url(), address + QLatin1Char('/')); // the client adds the root
    EXPECT_EQ(form->NMHTTP1->HeaderInfo.Referer,
              QStringLiteral("Nimbrix by Corvalen - html forecast link"));
    EXPECT_TRUE(form->NMHTTP1->Body.isEmpty());
    EXPECT_TRUE(state.xcast_code.isEmpty());

    desktop.clear();
    desktop.open_url_answer = false;
    form->mnuForecastHTML->trigger();
    EXPECT_EQ(desktop.messages(), QStringList{QStringLiteral("Cannot open ") + address +
                                              QStringLiteral(": no web browser is set up on "
                                                             "this computer.")});
}

// nimbrix-host in live mode with a stand-in weather service: the forecast window shows the
// warnings page's heading line and both products in force for Chattooga's zone in their own
// words; when only copies older than their lifetime are left, the heading says so.
TEST_F(TextProducts, LiveWarningsShowEveryProductInForceAndSayWhenTheyAreStale) {
    const QDateTime expires = QDateTime::currentDateTimeUtc().addSecs(6 * 3600);
    const auto product = [&](const char* name) {
        QFile file(QStringLiteral(NIMBRIX_NWS_PRODUCTS) + u'/' + QLatin1String(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        return "Expires:" + expires.toString(QStringLiteral("yyyyMMddHHmm")).toStdString() +
               ";;100001\n" + file.readAll().toStdString();
    };
    const std::string flood = "/data/watches_warnings/flash_flood/warning/ga/gaz011.txt";
    const std::string heat = "/data/watches_warnings/non_precip/ga/gaz011.txt";
    UpstreamFixture upstream;
    upstream.set(flood, {200, product("FFWFFC.txt"), {}, {}, 0});
    upstream.set(heat, {200, product("heat_advisory_for_tests.txt"), {}, {}, 0});
    const QString base = QString::fromStdString(upstream.base());

    for (const bool up : {true, false}) {
        SCOPED_TRACE(up ? "upstream answers" : "upstream down, copies 20 minutes old");
        QTemporaryDir cache;
        if (!up) {
            // The host's copies were fetched 20 minutes ago; now upstream fails.
            UpstreamClient client;
            UpstreamCache aged(client, base, cache.path());
            aged.set_clock([] { return QDateTime::currentMSecsSinceEpoch() - 20 * 60000; });
            for (const std::string& path : {flood, heat})
                aged.get(QString::fromStdString(path), std::chrono::seconds(1));
            upstream.set_default({500, "Server Error", {}, {}, 0});
            upstream.set(flood, {500, "Server Error", {}, {}, 0});
            upstream.set(heat, {500, "Server Error", {}, {}, 0});
        }
        HostProcess live(
            QStringLiteral(NIMBRIX_HOST_BINARY),
            {"--source", "live", "--upstream-base", base, "--cache-dir", cache.path()});
        ASSERT_TRUE(live.running());
        write_setting(H, QStringLiteral("NWS"), live.address());
        state.current_location.state = QStringLiteral("GA");
        open("w");
        const QString text = shown();
        EXPECT_TRUE(
            text.contains(up ? QStringLiteral("\nGeorgia Warnings and Advisories (live)\n")
                             : QStringLiteral("\nGeorgia Warnings and Advisories (stale)\n")))
            << text.left(300).toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("\nGAZ011-")));
        EXPECT_TRUE(
            text.contains(QStringLiteral("\nCHATTOOGA-\n\nURGENT - WEATHER MESSAGE\nNational "
                                         "Weather Service Peachtree City GA\n")));
        EXPECT_TRUE(text.contains(QStringLiteral(
            "...HEAT ADVISORY IN EFFECT FROM NOON TODAY TO 8 PM EDT THIS\nEVENING...")));
        EXPECT_TRUE(text.contains(
            QStringLiteral("\nFLASH FLOOD WARNING\nNational Weather Service Peachtree City GA\n458 "
                           "AM EDT Sun Sep 4 2022\nEXPIRES ")));
        EXPECT_TRUE(text.contains(QStringLiteral("* Flash Flood Warning for...\n  Western "
                                                 "Chattooga County in northwestern Georgia...")));
        EXPECT_TRUE(text.endsWith(QStringLiteral("\n--- End of File --")));
        forecast->close();
    }
}
