// Fuzzes the GIF loader: the block and LZW check, then Qt's reader behind it for what the
// check lets through. Whatever passes is within the caps and shows a first frame.
#include "fuzz_check.h"
#include "images/gif_check.h"
#include "images/gif_movie.h"

#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // QMovie keeps its frames as pixmaps, which need a GUI application.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const GifCheck inspected = check_gif(bytes);
    QString error;
    auto gif = GifMovie::open(bytes, &error);
    check(bool(gif) == inspected.ok() || !error.isEmpty());
    if (!gif)
        return 0;
    check(inspected.frames >= 1 && inspected.frames <= gif_max_frames);
    check(gif->screen().width() <= gif_max_side && gif->screen().height() <= gif_max_side);
    check(!gif->movie().currentImage().isNull());
    // Play every frame of the smaller pictures (the large ones cost time, not coverage).
    if (qint64(gif->screen().width()) * gif->screen().height() <= 1'000'000) {
        for (int frame = 1; frame < gif->frames(); ++frame)
            gif->movie().jumpToNextFrame();
    }
    return 0;
}
