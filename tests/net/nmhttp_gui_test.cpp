// The interface stays alive while a request waits: timers, paint and menu commands run inside
// the waiting call, and a command's Abort ends it.
#include "net/nmhttp.h"

#include "net/sock_errors.h"
#include "net_test_support.h"
#include "support/scripted_server.h"
#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::white);
    }
};

} // namespace

TEST(ClientInTheInterface, TimerAndMenuCommandRunAndTheCommandAborts) {
    using S = ScriptedServer;
    S server({{S::read_request(), S::delay(2000), S::send("HTTP/1.0 200 OK\r\n\r\nlate")}});

    QMainWindow window;
    auto* view = new PaintCounter;
    window.setCentralWidget(view);
    TNMHTTP* http = new TNMHTTP(&window);
    http->TimeOut = 60000;
    QAction* abort_command = window.menuBar()
                                 ->addMenu(QStringLiteral("&Options"))
                                 ->addAction(QStringLiteral("Abort GetStats connection"));
    abort_command->setObjectName(QStringLiteral("mnuAbortconnection"));
    QStringList happened;
    QObject::connect(abort_command, &QAction::triggered, [&] {
        happened << "menu command";
        http->Abort();
    });
    window.show();
    QCoreApplication::processEvents();
    const int paints_before = view->paints;

    QTimer::singleShot(300, &window, [&] {
        happened << "timer";
        view->update();
        // The command arrives as a posted event, like a menu click.
        QMetaObject::invokeMethod(abort_command, &QAction::trigger, Qt::QueuedConnection);
    });
    QElapsedTimer clock;
    clock.start();
    QString error;
    try {
        http->Get(server.url("/"));
    } catch (const EAbortError& aborted) {
        error = aborted.message();
    }
    EXPECT_EQ(error, "Socket readln aborted");
    EXPECT_LT(clock.elapsed(), 1500);
    EXPECT_EQ(happened, (QStringList{"timer", "menu command"}));
    EXPECT_GT(view->paints, paints_before);
}
