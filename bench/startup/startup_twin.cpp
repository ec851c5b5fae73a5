// The start-up twin of the program: it creates the same windows and widgets (main window with
// its labels, pictures, menus and status bar, tray icon, splash with its gauge, the location
// chooser with its 2006-node tree) with no logic,
// and exits at its first paint like the program does under the benchmark. Its start-up time
// is what the program's is compared with.
#include "locations/catalogue.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>

namespace {

class ExitAtFirstPaint : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            std::fflush(nullptr);
            std::_Exit(0);
        }
        return QObject::eventFilter(watched, event);
    }
};

class Gauge : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 0, 128));
        p.setPen(QColor(0, 255, 0));
        p.drawLine(width() / 2, height() - 6, width() - 10, height() - 6);
    }
};

void add_items(QMenu* menu, int count) {
    for (int i = 0; i < count; ++i)
        menu->addAction(QStringLiteral("Item %1").arg(i))->setEnabled(false);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow main;
    auto* client = new QWidget(&main);
    main.setCentralWidget(client);
    ExitAtFirstPaint exit_filter;
    client->installEventFilter(&exit_filter);

    // 13 caption labels, 12 value labels, heading, credit line, button, 20 pictures.
    for (int i = 0; i < 13; ++i)
        (new QLabel(QStringLiteral("Caption %1:").arg(i), client))->move(8, 32 + 20 * (i % 10));
    for (int i = 0; i < 12; ++i)
        new QLabel(client);
    new QLabel(client);
    new QLabel(QStringLiteral("Conditions provided by"), client);
    new QPushButton(QStringLiteral("&Minimize"), client);
    for (int i = 0; i < 20; ++i) {
        auto* picture = new QLabel(client);
        picture->setPixmap(QPixmap(25, 17));
        picture->hide();
    }

    // Six menus with the same number of entries; two popups.
    QMenuBar* bar = main.menuBar();
    QMenu* options = bar->addMenu(QStringLiteral("&Options"));
    add_items(options->addMenu(QStringLiteral("&Preferences")), 4);
    add_items(options, 2);
    QMenu* stats = bar->addMenu(QStringLiteral("&Get Stats"));
    add_items(stats, 27);
    QMenu* images = bar->addMenu(QStringLiteral("&Images"));
    add_items(images->addMenu(QStringLiteral("&Radar Images")), 6);
    add_items(images->addMenu(QStringLiteral("&Satellite Images")), 5);
    add_items(images->addMenu(QStringLiteral("&Weather Cams")), 23);
    add_items(images, 1);
    QMenu* forecasts = bar->addMenu(QStringLiteral("&Forecasts"));
    add_items(forecasts, 6);
    add_items(forecasts->addMenu(QStringLiteral("&1 - 10-day")), 10);
    add_items(forecasts->addMenu(QStringLiteral("&2 - 10-day")), 10);
    QMenu* information = bar->addMenu(QStringLiteral("I&nformation"));
    add_items(information, 7);
    add_items(information->addMenu(QStringLiteral("Census Information")), 4);
    add_items(bar->addMenu(QStringLiteral("&Help")), 4);
    QMenu left, right;
    add_items(&left, 1);
    add_items(&right, 4);

    auto* panel0 = new QLabel(QStringLiteral("Thank you for using Nimbrix..."));
    main.statusBar()->addWidget(panel0);
    main.statusBar()->addWidget(new QLabel(QStringLiteral("Corvalen")), 1);

    QTimer startup, update;
    startup.start(4000);
    update.start(1000);
    QSystemTrayIcon tray(QIcon(QStringLiteral(":/none.png")));
    tray.show();
    main.resize(325, 355);
    main.show();

    QWidget splash(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint);
    splash.setFixedSize(277, 253);
    auto* wait =
        new QLabel(QStringLiteral("Please wait...           loading information..."), &splash);
    wait->setWordWrap(true);
    (new Gauge(&splash))->setGeometry(48, 80, 150, 100);
    splash.show();
    splash.repaint();

    // The chooser: the same tree, filled the same way, hidden.
    QWidget chooser(&main, Qt::Window);
    auto* tree = new QTreeWidget(&chooser);
    tree->setHeaderHidden(true);
    tree->setUniformRowHeights(true);
    tree->hide();
    tree->setUpdatesEnabled(false);
    std::vector<QTreeWidgetItem*> items;
    QList<QTreeWidgetItem*> top_level;
    for (const LocationTreeNode& node : location_tree()) {
        auto* item = node.parent < 0
                         ? new QTreeWidgetItem(QStringList{node.text})
                         : new QTreeWidgetItem(items[size_t(node.parent)], QStringList{node.text});
        if (node.parent < 0)
            top_level << item;
        items.push_back(item);
    }
    tree->addTopLevelItems(top_level);
    tree->setUpdatesEnabled(true);
    for (int i = 0; i < 7; ++i)
        new QLabel(&chooser);
    new QLineEdit(&chooser);
    new QPushButton(QStringLiteral("&Okay"), &chooser);
    new QPushButton(QStringLiteral("&Cancel"), &chooser);
    return app.exec();
}
