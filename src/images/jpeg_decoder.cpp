#include "images/jpeg_decoder.h"

#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <new>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#endif

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>

namespace {

// libjpeg's error manager with the way back out of a failed decode.
struct Failure {
    jpeg_error_mgr manager; // first member: libjpeg hands back a pointer to it
    std::jmp_buf jump;
    char reason[JMSG_LENGTH_MAX];
};

[[noreturn]] void fail_with(j_common_ptr info, const char* text) {
    auto* failure = reinterpret_cast<Failure*>(info->err);
    std::snprintf(failure->reason, sizeof failure->reason, "%s", text);
    std::longjmp(failure->jump, 1);
}

// libjpeg's default error_exit ends the process; here an error ends only the decode.
[[noreturn]] void error_exit(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    fail_with(info, text);
}

// libjpeg warns (level -1) about corrupt data and a premature end, and then goes on filling
// the picture with grey. A warning is counted and ends the decode with its text; trace
// messages (level 0 and up) are dropped.
void emit_message(j_common_ptr info, int level) {
    if (level >= 0)
        return;
    ++info->err->num_warnings;
    error_exit(info);
}

// Runs before each step of the input passes, so a progressive file is stopped at its scan cap
// however small its scans are.
void progress_monitor(j_common_ptr info) {
    if (!info->is_decompressor)
        return;
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > jpeg_max_scans) {
        char text[JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text, "More than %d scans in progressive JPEG file",
                      jpeg_max_scans);
        fail_with(info, text);
    }
}

// The four-byte pixel layout of QImage::Format_RGB32 in this machine's byte order; libjpeg
// sets the unused byte to 0xFF.
constexpr J_COLOR_SPACE native_rgb32 =
    Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// CMYK pixels (inverted when an Adobe marker says so) into the RGB32 layout, in place.
void cmyk_to_rgb32(unsigned char* pixels, qsizetype count, bool inverted) {
    for (qsizetype i = 0; i < count; ++i, pixels += 4) {
        unsigned c = pixels[0], m = pixels[1], y = pixels[2], k = pixels[3];
        if (!inverted) {
            c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        }
        const quint32 rgb =
            0xFF000000u | ((c * k / 255) << 16) | ((m * k / 255) << 8) | (y * k / 255);
        *reinterpret_cast<quint32*>(pixels) = rgb;
    }
}

// The part that runs under setjmp. It keeps no locals with destructors, so a longjmp out of
// libjpeg skips nothing; the caller owns the decoder state and the picture.
bool run_decoder(jpeg_decompress_struct& info, Failure& failure, jpeg_progress_mgr& progress,
                 const QByteArray& bytes, JpegPicture& picture) {
    if (setjmp(failure.jump))
        return false;
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = jpeg_max_working_memory;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.constData()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);

    if (info.image_width == 0 || info.image_height == 0)
        fail_with(reinterpret_cast<j_common_ptr>(&info), "JPEG picture without pixels");
    if (qint64(info.image_width) * qint64(info.image_height) > jpeg_max_pixels) {
        char text[JMSG_LENGTH_MAX];
        std::snprintf(text, sizeof text, "Picture too large: %u x %u pixels", info.image_width,
                      info.image_height);
        fail_with(reinterpret_cast<j_common_ptr>(&info), text);
    }

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : native_rgb32;
    info.progress = &progress;
    jpeg_start_decompress(&info);

    picture.width = int(info.output_width);
    picture.height = int(info.output_height);
    const qsizetype stride = qsizetype(info.output_width) * 4;
    picture.pixels.reset(PixelMemory::allocate(std::size_t(stride) * std::size_t(picture.height)));
    JSAMPLE* base = picture.pixels.get();
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[16];
        const JDIMENSION wanted =
            std::min<JDIMENSION>(16, info.output_height - info.output_scanline);
        for (JDIMENSION i = 0; i < wanted; ++i)
            rows[i] = base + (info.output_scanline + i) * stride;
        if (jpeg_read_scanlines(&info, rows, wanted) == 0)
            fail_with(reinterpret_cast<j_common_ptr>(&info), "JPEG data ends early");
    }
    if (cmyk)
        cmyk_to_rgb32(base, qsizetype(picture.width) * picture.height, info.saw_Adobe_marker);
    jpeg_finish_decompress(&info);
    return true;
}

} // namespace

uchar* PixelMemory::allocate(std::size_t bytes) {
    void* memory = nullptr;
#ifdef Q_OS_LINUX
    constexpr std::size_t huge_page = 2u << 20;
    if (bytes >= 4 * huge_page) {
        const std::size_t rounded = (bytes + huge_page - 1) / huge_page * huge_page;
        memory = std::aligned_alloc(huge_page, rounded);
        if (memory)
            madvise(memory, rounded, MADV_HUGEPAGE);
    }
#endif
    if (!memory)
        memory = std::malloc(bytes);
    if (!memory)
        throw std::bad_alloc();
    return static_cast<uchar*>(memory);
}

void PixelMemory::operator()(uchar* pixels) const {
    std::free(pixels);
}

JpegPicture decode_jpeg(const QByteArray& bytes) {
    JpegPicture picture;
    jpeg_decompress_struct info{};
    Failure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = error_exit;
    failure.manager.emit_message = emit_message;
    jpeg_progress_mgr progress{};
    progress.progress_monitor = progress_monitor;

    bool decoded = false;
    try {
        decoded = run_decoder(info, failure, progress, bytes, picture);
    } catch (const std::bad_alloc&) {
        std::snprintf(failure.reason, sizeof failure.reason, "Out of memory for the picture");
    }
    jpeg_destroy_decompress(&info);
    if (!decoded) {
        picture = JpegPicture{};
        picture.error = QString::fromLocal8Bit(failure.reason);
    }
    return picture;
}

JpegPicture decode_jpeg_file(const QString& path) {
    JpegPicture failed;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        failed.error = QStringLiteral("Cannot open ") + QFileInfo(path).fileName() +
                       QStringLiteral(": ") + file.errorString();
        return failed;
    }
    if (file.size() > jpeg_max_file_size) {
        failed.error = QStringLiteral("File too large for a picture");
        return failed;
    }
    return decode_jpeg(file.readAll());
}
