#pragma once

#include <QString>
#include <optional>

// Opens a URL with the desktop's opener program (xdg-open) and tells whether it took the URL:
// false when the opener soon ends with a failure (no web browser or e-mail program is set up
// for the URL), true when it ends well or still runs after wait_ms (a browser that it runs in
// its place). The opener runs on its own, so a browser it starts outlives the program. While
// it waits the program paints but takes no input. Nothing when there is no opener program.
std::optional<bool> open_with_desktop_opener(const QString& url, int wait_ms = 2000);
