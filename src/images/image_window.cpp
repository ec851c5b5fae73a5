#include "images/image_window.h"

#include "images/gif_image.h"
#include "images/jpeg_image.h"
#include "images/working_folder.h"
#include "platform/desktop.h"
#include "platform/guarded.h"
#include "platform/line_printer.h"
#include "platform/outer_size.h"
#include "shared/app_error.h"
#include "shared/program_state.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

namespace {

const QColor navy(0x00, 0x00, 0x80);
const QColor gray(0x80, 0x80, 0x80);
const QSize design_outer_size(332, 316);
// The share of the available screen, width and height, that a picture window may take.
constexpr double screen_share = 0.9;
const QString idle_status = QStringLiteral(" Thank you for using Nimbrix...");

} // namespace

TfrmImage::TfrmImage(ProgramState& state, Desktop& desktop, ImageHost& host, QWidget* parent)
    : QMainWindow(parent), state_(state), desktop_(desktop), host_(host) {
    setObjectName(QStringLiteral("frmImage"));
    setWindowTitle(QStringLiteral("Nimbrix "));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint);

    client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setAutoFillBackground(true);
    setCentralWidget(client);
    set_background(navy);

    // Both controls draw their picture to their own size: a picture too large for the screen
    // is shown scaled down, whole.
    Image1 = new QLabel(client);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(9, 104, 246, 73);
    Image1->setScaledContents(true);

    GIFImage1 = new TGIFImage(client);
    GIFImage1->setObjectName(QStringLiteral("GIFImage1"));
    GIFImage1->setGeometry(8, 7, 137, 89);
    GIFImage1->setScaledContents(true);
    QPalette grey = GIFImage1->palette();
    grey.setColor(QPalette::Window, gray);
    GIFImage1->setPalette(grey);
    GIFImage1->setAutoFillBackground(true);

    StatusBar1 = new QLabel(idle_status);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    statusBar()->addWidget(StatusBar1, 1);

    mnuOptions = menuBar()->addMenu(QStringLiteral("&Options"));
    mnuOptions->setObjectName(QStringLiteral("mnuOptions"));
    const struct {
        QAction*& action;
        const char* name;
        const char* caption;
        void (TfrmImage::*handler)();
    } items[] = {
        {mnuSaveAsWallpaper1, "mnuSaveAsWallpaper1", "Save As &Wallpaper",
         &TfrmImage::mnuSaveAsWallpaper1Click},
        {mnuPrint1, "mnuPrint1", "&Print", &TfrmImage::mnuPrint1Click},
        {mnuClose1, "mnuClose1", "&Close", &TfrmImage::mnuClose1Click},
    };
    for (const auto& item : items) {
        item.action = mnuOptions->addAction(QString::fromLatin1(item.caption));
        item.action->setObjectName(QLatin1String(item.name));
        connect(item.action, &QAction::triggered, this,
                [this, handler = item.handler] { run(handler); });
    }
    mnuHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
    mnuHelpContentsF11 = mnuHelp->addAction(QStringLiteral("Help &Contents (F1)"));
    mnuHelpContentsF11->setObjectName(QStringLiteral("mnuHelpContentsF11"));
    mnuHelpContentsF11->setShortcut(QKeySequence(Qt::Key_F1));
    connect(mnuHelpContentsF11, &QAction::triggered, this,
            [this] { run(&TfrmImage::mnuHelpContentsF11Click); });

    outer_size_ = new OuterSize(this, design_outer_size);
    centring_ = new OuterCentring(this, 0);
    centring_->centre();
    // A picture sized before the window manager framed the window (or any window of the
    // program) may leave too little room for the frame: fitted again once the frame is known.
    new FrameWatch(this, [this] {
        if (!(windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen)) &&
            !picture_size().isEmpty() && !natural_capture_) {
            const bool unmoved = centring_->unmoved();
            fit_picture();
            if (unmoved)
                centring_->centre();
        }
    });
}

TfrmImage::~TfrmImage() {
    FormDestroy();
}

void TfrmImage::run(void (TfrmImage::*handler)()) {
    run_guarded(
        desktop_, [this, handler] { (this->*handler)(); }, this);
}

void TfrmImage::set_background(const QColor& color) {
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, color);
    client->setPalette(palette);
}

void TfrmImage::set_status(const QString& text) {
    StatusBar1->setText(QLatin1Char(' ') + text);
}

void TfrmImage::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TfrmImage::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TfrmImage::FormShow() {
    host_.minimize_main();
}

void TfrmImage::FormClose() {
    hide();
    setWindowFlag(Qt::WindowMaximizeButtonHint, true); // setting flags leaves the window hidden
    set_background(navy);
    StatusBar1->setText(idle_status);
    GIFImage1->Animate = false;
    GIFImage1->CurrentFrame = 1;
    GIFImage1->Clear();
    host_.restore_main();
    if (!state_.image_file.isEmpty())
        QFile::remove(image_working_file(state_.image_file));
    if (state_.auto_request != QLatin1String("y")) {
        state_.image_file.clear();
        state_.image_file_upper.clear();
    }
}

void TfrmImage::FormDestroy() {
    if (state_.image_file_upper.contains(QLatin1String(".GIF"))) {
        GIFImage1->Clear();
        delete GIFImage1;
        GIFImage1 = nullptr;
    }
}

void TfrmImage::mnuSaveAsWallpaper1Click() {
    if (windowTitle().indexOf(QLatin1String("WeatherBank")) >= 1) {
        // The animated radar: the frame on show, captured from the window with the picture at
        // its natural size, whole.
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().topLeft());
        const QSize natural = GIFImage1->natural_size();
        GIFImage1->setGeometry(QRect(QPoint(0, 0), natural));
        natural_capture_ = true;
        outer_size_->set_client(inner_for_client(natural));
        QEventLoop loop;
        QTimer::singleShot(500, &loop, &QEventLoop::quit);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        const QImage shot = GIFImage1->grab().toImage();
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->setImage(shot);
        QImage pasted = clipboard->image();
        if (pasted.isNull()) // a platform without a clipboard
            pasted = shot;
        pasted.save(image_working_file(QStringLiteral("nimbrix.bmp")), "BMP");
    }
    if (do_wallpaper)
        do_wallpaper();
}

void TfrmImage::set_outer_size(QSize outer) {
    outer_size_->set_outer(outer);
}

QSize TfrmImage::picture_size() const {
    if (!GIFImage1->empty())
        return GIFImage1->natural_size();
    return Image1->pixmap().size();
}

int TfrmImage::bars_height(int client_width) const {
    // The menu bar above the client area (taller when its entries wrap in a narrow window) and
    // the status line below it.
    const int menu = menuBar()->heightForWidth(client_width);
    return (menu > 0 ? menu : menuBar()->sizeHint().height()) + statusBar()->sizeHint().height();
}

QSize TfrmImage::inner_for_client(QSize client_size) const {
    const QSize inner(client_size.width(), client_size.height() + bars_height(client_size.width()));
    return inner.expandedTo(minimumSizeHint());
}

QSize TfrmImage::fitted_picture_size(QSize picture) const {
    const QScreen* on = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!on)
        return picture;
    const QSize bound = on->availableGeometry().size() * screen_share;
    const QSize room =
        (bound - QSize(0, bars_height(bound.width())) - frame_extra(this)).expandedTo(QSize(1, 1));
    if (picture.width() <= room.width() && picture.height() <= room.height())
        return picture;
    return picture.scaled(room, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

void TfrmImage::show_whole_picture() {
    // A window left maximized (or minimized) is back to normal before it is sized.
    natural_capture_ = false;
    setWindowState(Qt::WindowNoState);
    if (picture_size().isEmpty())
        set_outer_size(design_outer_size);
    else
        fit_picture();
    centring_->centre();
}

void TfrmImage::fit_picture() {
    // The client area is what must hold the picture, also when the window manager's frame
    // turns out other than expected (the window is fitted and centred again then).
    const QSize shown = fitted_picture_size(picture_size());
    QWidget* control = GIFImage1->empty() ? static_cast<QWidget*>(Image1) : GIFImage1;
    control->setGeometry(QRect(QPoint(0, 0), shown));
    outer_size_->set_client(inner_for_client(shown));
}

QImage TfrmImage::client_image() const {
    return client->grab().toImage();
}

void TfrmImage::mnuPrint1Click() {
    QPrinter printer;
    printer.setDocName(windowTitle());
    if (!desktop_.print_dialog(printer))
        return;
    const QImage image = client_image();
    QPainter painter;
    if (!painter.begin(&printer))
        throw AppError(printing_failed_text(printer));
    // Each screen pixel takes as much room on paper as on the screen; a picture larger than
    // the page is made to fit it, as the one page.
    const double scale = double(printer.resolution()) / std::max(1, logicalDpiX());
    QSizeF size = QSizeF(image.size()) * scale;
    const QRect page = painter.viewport();
    if (size.width() > page.width() || size.height() > page.height())
        size.scale(page.size(), Qt::KeepAspectRatio);
    painter.drawImage(QRectF(QPointF(0, 0), size), image);
    painter.end();
}

void TfrmImage::mnuClose1Click() {
    close();
}

void TfrmImage::mnuHelpContentsF11Click() {
    desktop_.show_help_contents();
}

void TfrmImage::load_picture(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix != QLatin1String("jpg") && suffix != QLatin1String("jpeg"))
        throw AppError(QStringLiteral("Unknown picture file extension .") + suffix);
    Image1->setPixmap(QPixmap::fromImage(read_jpeg_image(path)));
    Image1->adjustSize();
}
