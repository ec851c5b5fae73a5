#include "app/command_line.h"
#include "platform/settings_backend.h"
#include "settings/host_table.h"
#include "settings/settings_store.h"
#include "support/temp_settings.h"

#include <gtest/gtest.h>

TEST(CommandLine, OptionsAreReadAsTheProgramMeansThem) {
    using A = CommandLine::Action;
    const struct {
        QStringList args;
        A action;
        QString error;
        QString screenshot;
    } rows[] = {
        {{}, A::Run, {}, {}},
        {{"nimbrix"}, A::Run, {}, {}},
        {{"nimbrix", "--help"}, A::Help, {}, {}},
        {{"nimbrix", "-h"}, A::Help, {}, {}},
        {{"nimbrix", "--version"}, A::Version, {}, {}},
        {{"nimbrix", "-v"}, A::Version, {}, {}},
        // Help and version are answered even beside options only the windowing system knows.
        {{"nimbrix", "-platform", "xcb", "--version"}, A::Version, {}, {}},
        {{"nimbrix", "--version", "--help"}, A::Help, {}, {}},
        // A single-dash word is one option: its letters do not spell -v.
        {{"nimbrix", "-reverse"}, A::Error, "Unknown option 'reverse'.", {}},
        {{"nimbrix", "--bogus"}, A::Error, "Unknown option 'bogus'.", {}},
        {{"nimbrix", "Chicago"}, A::Error, "Unexpected argument 'Chicago'.", {}},
        {{"nimbrix", "--screenshot"}, A::Error, "Missing value after '--screenshot'.", {}},
        {{"nimbrix", "--screenshot", "/tmp/a.png"}, A::Run, {}, "/tmp/a.png"},
    };
    for (const auto& row : rows) {
        const CommandLine got = parse_command_line(row.args);
        EXPECT_EQ(got.action, row.action) << row.args.join(' ').toStdString();
        EXPECT_EQ(got.error, row.error) << row.args.join(' ').toStdString();
        EXPECT_EQ(got.screenshot_file, row.screenshot) << row.args.join(' ').toStdString();
    }
}

TEST(CommandLine, HelpListsEveryHostRoleWithItsAddressAndWhereSettingsLive) {
    TempSettings store;
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Conditions"),
                  QStringLiteral("10.1.2.3:81"));
    const QString help = command_line_help();
    for (const QString& role : host_roles())
        EXPECT_TRUE(help.contains(QStringLiteral("  %1: %2\n").arg(role, host_address(role))))
            << role.toStdString();
    EXPECT_TRUE(help.contains(QStringLiteral("  Conditions: 10.1.2.3:81\n")));
    EXPECT_TRUE(help.contains(settings_backend::location()));
    EXPECT_FALSE(help.contains(QStringLiteral("screenshot")));
    EXPECT_EQ(command_line_version(), QStringLiteral("nimbrix " NIMBRIX_VERSION "\n"));
}
