#include "image_samples.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
#include <stdexcept>

namespace {

[[noreturn]] void throw_error(j_common_ptr info) {
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    throw std::runtime_error(text);
}

QByteArray compress(int width, int height, int quality, const std::vector<jpeg_scan_info>& scans,
                    bool progressive) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = throw_error;
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    if (!scans.empty()) {
        for (int c = 0; c < 3; ++c) // no subsampling: every component has the same blocks
            info.comp_info[c].h_samp_factor = info.comp_info[c].v_samp_factor = 1;
        info.scan_info = scans.data();
        info.num_scans = int(scans.size());
    } else if (progressive) {
        jpeg_simple_progression(&info);
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(width) * 3);
    while (info.next_scanline < info.image_height) {
        const int y = int(info.next_scanline);
        for (int x = 0; x < width; ++x) {
            row[size_t(x) * 3] = static_cast<unsigned char>(x * 255 / std::max(1, width - 1));
            row[size_t(x) * 3 + 1] = static_cast<unsigned char>(y * 255 / std::max(1, height - 1));
            row[size_t(x) * 3 + 2] = 128;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

class BitWriter {
public:
    void put(int code, int width) {
        bits_ |= unsigned(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            data_.push_back(char(bits_ & 0xFF));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    QByteArray finish() {
        if (count_ > 0)
            data_.push_back(char(bits_ & 0xFF));
        return data_;
    }

private:
    QByteArray data_;
    unsigned bits_ = 0;
    int count_ = 0;
};

void put_word(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

} // namespace

QByteArray sample_jpeg(int width, int height, bool progressive, int quality) {
    return compress(width, height, quality, {}, progressive);
}

QByteArray jpeg_with_many_scans() {
    constexpr int top_bit = 10; // the highest successive-approximation bit libjpeg allows
    std::vector<jpeg_scan_info> scans;
    scans.push_back({3, {0, 1, 2, 0}, 0, 0, 0, top_bit}); // DC of all components, first pass
    for (int al = top_bit - 1; al >= 0; --al)
        scans.push_back({3, {0, 1, 2, 0}, 0, 0, al + 1, al});
    for (int c = 0; c < 3; ++c)
        for (int k = 1; k <= 63; ++k) {
            scans.push_back({1, {c, 0, 0, 0}, k, k, 0, top_bit});
            for (int al = top_bit - 1; al >= 0; --al)
                scans.push_back({1, {c, 0, 0, 0}, k, k, al + 1, al});
        }
    return compress(16, 16, 90, scans, true);
}

QByteArray with_jpeg_size(QByteArray jpeg, int width, int height) {
    // The frame header (SOF0 to SOF2): marker, length, precision, height, width.
    for (qsizetype i = 2; i + 8 < jpeg.size(); ++i) {
        const auto marker = static_cast<unsigned char>(jpeg[i + 1]);
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF && marker >= 0xC0 && marker <= 0xC2) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            break;
        }
    }
    return jpeg;
}

QByteArray sample_gif(int screen_width, int screen_height, const std::vector<GifFrame>& frames) {
    constexpr int min_code_size = 4;
    constexpr int clear = 1 << min_code_size;
    QByteArray out("GIF89a");
    put_word(out, screen_width);
    put_word(out, screen_height);
    out.append(char(0xF3)); // global table of 16 colours
    out.append(char(0));
    out.append(char(0));
    for (int i = 0; i < 16; ++i) {
        out.append(char((i * 53) & 0xFF));
        out.append(char((i * 97 + 40) & 0xFF));
        out.append(char((255 - i * 15) & 0xFF));
    }
    const bool animated = frames.size() > 1;
    if (animated) {
        out.append("\x21\xFF\x0BNETSCAPE2.0\x03\x01", 16);
        put_word(out, 0); // loop forever
        out.append(char(0));
    }
    int n = 0;
    for (const GifFrame& frame : frames) {
        if (animated) {
            out.append("\x21\xF9\x04\x00", 4);
            put_word(out, 10); // 1/10 s
            out.append("\x00\x00", 2);
        }
        out.append(char(0x2C));
        put_word(out, frame.left);
        put_word(out, frame.top);
        put_word(out, frame.width);
        put_word(out, frame.height);
        out.append(char(0));
        out.append(char(min_code_size));
        // Plain codes only, with a clear code before the table would widen the codes.
        BitWriter codes;
        constexpr int width = min_code_size + 1;
        codes.put(clear, width);
        int since_clear = 0;
        for (int y = 0; y < frame.height; ++y)
            for (int x = 0; x < frame.width; ++x) {
                if (since_clear == clear - 2) {
                    codes.put(clear, width);
                    since_clear = 0;
                }
                const bool spoil = frame.broken_codes && x + y == 1;
                codes.put(spoil ? clear + 9 : ((x / 4 + y / 4 + n) % 16), width);
                ++since_clear;
            }
        codes.put(clear + 1, width);
        const QByteArray data = codes.finish();
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            out.append(char(block.size()));
            out.append(block);
        }
        out.append(char(0));
        ++n;
    }
    out.append(char(0x3B));
    return out;
}

QByteArray sample_gif(int width, int height) {
    return sample_gif(width, height, {{0, 0, width, height}});
}
