#include "app/app_error.h"
#include "platform/guarded.h"
#include "settings/settings_store.h"
#include "support/recording_desktop.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(RunGuarded, AnErrorEndsTheCommandWithItsMessageInAnErrorBox) {
    RecordingDesktop desktop;
    bool after = false;
    run_guarded(desktop, [&] {
        throw SettingsError(QStringLiteral("Failed to set data for 'labelcolor'"));
        after = true;
    });
    run_guarded(desktop, [] { throw std::runtime_error("plain failure"); });
    run_guarded(desktop, [] {});
    EXPECT_FALSE(after);
    ASSERT_EQ(desktop.events.size(), 2);
    EXPECT_EQ(desktop.events[0].text, QStringLiteral("Failed to set data for 'labelcolor'"));
    EXPECT_EQ(desktop.events[0].box, Desktop::Box::Error);
    EXPECT_EQ(desktop.events[1].text, QStringLiteral("plain failure"));
}
