#include "settings/host_table.h"
#include "settings/settings_store.h"
#include "support/temp_settings.h"

#include <gtest/gtest.h>

TEST(HostTable, RolesDefaultToTheLocalHostAndAreOverriddenByRole) {
    TempSettings store;
    EXPECT_TRUE(host_roles().contains(QStringLiteral("Conditions")));
    EXPECT_TRUE(host_roles().contains(QStringLiteral("Maker")));
    EXPECT_EQ(host_address(QStringLiteral("Conditions")), QStringLiteral("127.0.0.1:8079"));
    EXPECT_EQ(host_root_url(QStringLiteral("Maker")), QStringLiteral("http://127.0.0.1:8079/"));

    write_setting(QStringLiteral("Hosts"), QStringLiteral("conditions"),
                  QStringLiteral("wx.example:8080"));
    write_setting(QStringLiteral("Hosts"), QStringLiteral("Maker"), QStringLiteral("   "));
    EXPECT_EQ(host_root_url(QStringLiteral("Conditions")),
              QStringLiteral("http://wx.example:8080/"));
    EXPECT_EQ(host_address(QStringLiteral("Maker")), QStringLiteral("127.0.0.1:8079"));

    write_setting(QStringLiteral("Hosts"), QStringLiteral("Maker"),
                  QStringLiteral("maker.example"));
    EXPECT_EQ(host_root_url(QStringLiteral("Maker")), QStringLiteral("http://maker.example/"));
    EXPECT_TRUE(default_host_address(QStringLiteral("No such role")).isEmpty());
}
