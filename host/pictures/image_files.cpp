#include "pictures/image_files.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace {

// ---- Palette ----

// Colours are binned with 5 bits per channel for the median cut and for the lookup.
constexpr int bin_count = 32 * 32 * 32;

int bin_of(QRgb c) {
    return ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
}

struct Palette {
    std::vector<QRgb> colours;
    // Exact palette: colour -> index; median cut: bin -> index.
    bool exact = false;
    std::vector<std::pair<QRgb, int>> exact_index; // sorted by colour
    std::vector<std::uint8_t> bin_index;

    std::uint8_t index_of(QRgb c) const {
        if (!exact)
            return bin_index[static_cast<std::size_t>(bin_of(c))];
        const auto it =
            std::lower_bound(exact_index.begin(), exact_index.end(), std::pair<QRgb, int>{c, -1});
        return static_cast<std::uint8_t>(it->second);
    }
};

struct Box {
    std::vector<int> bins; // used bins in this box
    long long weight = 0;
};

int channel(int bin, int axis) {
    return (bin >> (10 - 5 * axis)) & 31;
}

// The box's widest channel and its extent.
std::pair<int, int> widest_axis(const Box& box) {
    int best_axis = 0;
    int best_range = -1;
    for (int axis = 0; axis < 3; ++axis) {
        int lo = 31;
        int hi = 0;
        for (const int b : box.bins) {
            lo = std::min(lo, channel(b, axis));
            hi = std::max(hi, channel(b, axis));
        }
        if (hi - lo > best_range) {
            best_range = hi - lo;
            best_axis = axis;
        }
    }
    return {best_axis, best_range};
}

Palette median_cut(const std::vector<long long>& histogram) {
    std::vector<Box> boxes(1);
    for (int b = 0; b < bin_count; ++b)
        if (histogram[static_cast<std::size_t>(b)] > 0) {
            boxes[0].bins.push_back(b);
            boxes[0].weight += histogram[static_cast<std::size_t>(b)];
        }
    while (boxes.size() < 256) {
        // Split the heaviest box that still holds more than one bin, weighted by its extent.
        int chosen = -1;
        double chosen_score = 0.0;
        for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
            const Box& box = boxes[static_cast<std::size_t>(i)];
            if (box.bins.size() < 2)
                continue;
            const double score = static_cast<double>(box.weight) * (1 + widest_axis(box).second);
            if (score > chosen_score) {
                chosen_score = score;
                chosen = i;
            }
        }
        if (chosen < 0)
            break;
        Box& box = boxes[static_cast<std::size_t>(chosen)];
        const int axis = widest_axis(box).first;
        std::sort(box.bins.begin(), box.bins.end(), [axis](int a, int b) {
            return channel(a, axis) != channel(b, axis) ? channel(a, axis) < channel(b, axis)
                                                        : a < b;
        });
        long long half = 0;
        std::size_t cut = 1;
        for (std::size_t i = 0; i + 1 < box.bins.size(); ++i) {
            half += histogram[static_cast<std::size_t>(box.bins[i])];
            cut = i + 1;
            if (half * 2 >= box.weight)
                break;
        }
        Box upper;
        upper.bins.assign(box.bins.begin() + static_cast<std::ptrdiff_t>(cut), box.bins.end());
        box.bins.resize(cut);
        box.weight = 0;
        for (const int b : box.bins)
            box.weight += histogram[static_cast<std::size_t>(b)];
        for (const int b : upper.bins)
            upper.weight += histogram[static_cast<std::size_t>(b)];
        boxes.push_back(std::move(upper));
    }

    Palette palette;
    palette.bin_index.assign(bin_count, 0);
    for (const Box& box : boxes) {
        double r = 0, g = 0, b = 0;
        for (const int bin : box.bins) {
            const double w = static_cast<double>(histogram[static_cast<std::size_t>(bin)]);
            r += w * (channel(bin, 0) * 8 + 4);
            g += w * (channel(bin, 1) * 8 + 4);
            b += w * (channel(bin, 2) * 8 + 4);
        }
        const double w = static_cast<double>(std::max(1LL, box.weight));
        palette.colours.push_back(qRgb(static_cast<int>(r / w + 0.5), static_cast<int>(g / w + 0.5),
                                       static_cast<int>(b / w + 0.5)));
        for (const int bin : box.bins)
            palette.bin_index[static_cast<std::size_t>(bin)] =
                static_cast<std::uint8_t>(palette.colours.size() - 1);
    }
    return palette;
}

Palette palette_for(const QList<QImage>& frames) {
    // The exact colours when there are at most 256 of them.
    std::vector<QRgb> seen;
    bool few = true;
    QRgb last = 0;
    for (const QImage& frame : frames) {
        for (int y = 0; y < frame.height() && few; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            for (int x = 0; x < frame.width(); ++x) {
                const QRgb c = row[x] | 0xff000000u;
                if (c == last && !seen.empty())
                    continue;
                last = c;
                if (std::find(seen.begin(), seen.end(), c) == seen.end()) {
                    if (seen.size() == 256) {
                        few = false;
                        break;
                    }
                    seen.push_back(c);
                }
            }
        }
    }
    if (few) {
        Palette palette;
        palette.exact = true;
        std::sort(seen.begin(), seen.end());
        palette.colours = seen;
        for (int i = 0; i < static_cast<int>(seen.size()); ++i)
            palette.exact_index.emplace_back(seen[static_cast<std::size_t>(i)], i);
        return palette;
    }
    std::vector<long long> histogram(bin_count, 0);
    for (const QImage& frame : frames)
        for (int y = 0; y < frame.height(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            for (int x = 0; x < frame.width(); ++x)
                ++histogram[static_cast<std::size_t>(bin_of(row[x]))];
        }
    return median_cut(histogram);
}

// ---- GIF ----

int write_to_buffer(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<QByteArray*>(gif->UserData);
    out->append(reinterpret_cast<const char*>(data), length);
    return length;
}

int palette_bits(std::size_t colours) {
    int bits = 1;
    while ((std::size_t{1} << bits) < colours)
        ++bits;
    return bits;
}

} // namespace

QByteArray gif_file(const QList<QImage>& input, int delay_cs) {
    if (input.isEmpty() || input.first().isNull())
        return {};
    QList<QImage> frames;
    for (const QImage& f : input)
        frames.append(f.convertToFormat(QImage::Format_RGB32));
    const int width = frames.first().width();
    const int height = frames.first().height();
    const Palette palette = palette_for(frames);

    const int bits = palette_bits(palette.colours.size());
    std::vector<GifColorType> colours(std::size_t{1} << bits, GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < palette.colours.size(); ++i)
        colours[i] = {static_cast<GifByteType>(qRed(palette.colours[i])),
                      static_cast<GifByteType>(qGreen(palette.colours[i])),
                      static_cast<GifByteType>(qBlue(palette.colours[i]))};

    QByteArray out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, write_to_buffer, &error);
    if (!gif)
        return {};
    ColorMapObject* map = GifMakeMapObject(1 << bits, colours.data());
    bool ok = map != nullptr;
    EGifSetGifVersion(gif, true);
    ok = ok && EGifPutScreenDesc(gif, width, height, bits, 0, map) == GIF_OK;
    GifFreeMapObject(map);

    const bool animated = frames.size() > 1;
    if (ok && animated) {
        static const GifByteType app[] = "NETSCAPE2.0";
        static const GifByteType loop_forever[] = {1, 0, 0};
        ok = EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
             EGifPutExtensionBlock(gif, 11, app) == GIF_OK &&
             EGifPutExtensionBlock(gif, 3, loop_forever) == GIF_OK &&
             EGifPutExtensionTrailer(gif) == GIF_OK;
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(width));
    for (const QImage& frame : frames) {
        if (!ok)
            break;
        if (animated) {
            GraphicsControlBlock control{};
            control.DisposalMode = DISPOSE_DO_NOT;
            control.UserInputFlag = false;
            control.DelayTime = delay_cs;
            control.TransparentColor = NO_TRANSPARENT_COLOR;
            GifByteType extension[4];
            EGifGCBToExtension(&control, extension);
            ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) == GIF_OK;
        }
        ok = ok && EGifPutImageDesc(gif, 0, 0, width, height, false, nullptr) == GIF_OK;
        for (int y = 0; ok && y < height; ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(frame.constScanLine(y));
            for (int x = 0; x < width; ++x)
                line[static_cast<std::size_t>(x)] = palette.index_of(row[x] | 0xff000000u);
            ok = EGifPutLine(gif, line.data(), width) == GIF_OK;
        }
    }
    if (EGifCloseFile(gif, &error) != GIF_OK)
        ok = false;
    return ok ? out : QByteArray();
}

// ---- JPEG ----

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpeg_fail(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Encodes width x height RGB rows; false on a library error. No C++ objects live in here, so
// the error jump skips no destructors.
bool encode_jpeg(const unsigned char* rgb, int width, int height, int quality, unsigned char** out,
                 unsigned long* out_size) {
    jpeg_compress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpeg_fail;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, out, out_size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    const auto stride = static_cast<std::size_t>(width) * 3;
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb + stride * cinfo.next_scanline);
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

} // namespace

QByteArray jpeg_file(const QImage& image, int quality) {
    if (image.isNull())
        return {};
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    std::vector<unsigned char> rows(static_cast<std::size_t>(rgb.width()) * 3 *
                                    static_cast<std::size_t>(rgb.height()));
    for (int y = 0; y < rgb.height(); ++y)
        std::copy_n(rgb.constScanLine(y), static_cast<std::size_t>(rgb.width()) * 3,
                    rows.begin() + static_cast<std::ptrdiff_t>(y) * rgb.width() * 3);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    const bool ok = encode_jpeg(rows.data(), rgb.width(), rgb.height(), std::clamp(quality, 1, 100),
                                &buffer, &size);
    QByteArray out;
    if (ok && buffer)
        out = QByteArray(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(size));
    std::free(buffer);
    return out;
}
