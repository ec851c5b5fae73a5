#include "app/window_shot.h"

#include "app/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <memory>

void save_window_shot_when_ready(TForm1& form, const QString& file, int wait_ms) {
    auto* poll = new QTimer(&form);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(poll, &QTimer::timeout, &form, [&form, file, wait_ms, poll, clock] {
        // The caption names the location once the page is parsed; the status text comes back
        // when the derived values and the moon are done too.
        const bool ready = form.windowTitle().startsWith(QStringLiteral("Nimbrix - ")) &&
                           form.status_text() == QStringLiteral("Thank you for using Nimbrix...");
        if (!ready && !clock->hasExpired(wait_ms))
            return;
        poll->stop();
        if (!ready) {
            std::fprintf(stderr, "nimbrix: no conditions shown within %d ms\n", wait_ms);
            QApplication::exit(1);
            return;
        }
        const bool saved = form.grab().save(file, "PNG");
        if (!saved)
            std::fprintf(stderr, "nimbrix: cannot write %s\n", qPrintable(file));
        QApplication::exit(saved ? 0 : 1);
    });
    poll->start(100);
}
