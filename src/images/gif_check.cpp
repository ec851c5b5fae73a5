#include "images/gif_check.h"

#include <array>
#include <cstdint>

namespace {

constexpr int max_code_bits = 12;
constexpr int table_size = 1 << max_code_bits;

class Reader {
public:
    explicit Reader(const QByteArray& bytes)
        : data_(reinterpret_cast<const std::uint8_t*>(bytes.constData())), size_(bytes.size()) {}

    bool has(qsizetype count) const { return size_ - pos_ >= count; }
    bool at_end() const { return pos_ >= size_; }
    std::uint8_t byte() { return data_[pos_++]; }
    int word() {
        const int low = data_[pos_], high = data_[pos_ + 1];
        pos_ += 2;
        return low | (high << 8);
    }
    void skip(qsizetype count) { pos_ += count; }
    const std::uint8_t* here() const { return data_ + pos_; }

private:
    const std::uint8_t* data_;
    qsizetype size_;
    qsizetype pos_ = 0;
};

// Skips a chain of data sub-blocks up to its zero terminator; false when the file ends first.
bool skip_sub_blocks(Reader& in) {
    for (;;) {
        if (!in.has(1))
            return false;
        const int length = in.byte();
        if (length == 0)
            return true;
        if (!in.has(length))
            return false;
        in.skip(length);
    }
}

// Reads one frame's LZW codes from its sub-blocks and counts the pixels they stand for.
// Returns an empty text when the codes fill the frame, else the fault.
QString run_lzw(Reader& in, int min_code_size, qint64 frame_pixels) {
    const int clear = 1 << min_code_size;
    const int end_of_information = clear + 1;
    std::array<std::uint16_t, table_size> length{}; // pixels per code
    int next = end_of_information + 1;
    int width = min_code_size + 1;
    int previous = -1;
    qint64 pixels = 0;
    bool finished = false;

    std::uint32_t bits = 0;
    int bit_count = 0;
    for (;;) {
        if (!in.has(1))
            return QStringLiteral("GIF file ends inside a frame");
        const int block = in.byte();
        if (block == 0)
            break;
        if (!in.has(block))
            return QStringLiteral("GIF file ends inside a frame");
        const std::uint8_t* data = in.here();
        in.skip(block);
        for (int i = 0; i < block && !finished; ++i) {
            bits |= std::uint32_t(data[i]) << bit_count;
            bit_count += 8;
            while (bit_count >= width && !finished) {
                const int code = int(bits & ((1u << width) - 1));
                bits >>= width;
                bit_count -= width;
                if (code == clear) {
                    next = end_of_information + 1;
                    width = min_code_size + 1;
                    previous = -1;
                    continue;
                }
                if (code == end_of_information) {
                    finished = true;
                    break;
                }
                int count;
                if (code < clear) {
                    count = 1;
                } else if (previous >= 0 && code < next) {
                    count = length[size_t(code)];
                } else if (previous >= 0 && code == next && next < table_size) {
                    count = (previous < clear ? 1 : length[size_t(previous)]) + 1;
                } else {
                    return QStringLiteral("Broken LZW data in GIF frame");
                }
                if (previous >= 0 && next < table_size) {
                    length[size_t(next)] =
                        std::uint16_t((previous < clear ? 1 : length[size_t(previous)]) + 1);
                    ++next;
                    if (next == (1 << width) && width < max_code_bits)
                        ++width;
                }
                pixels += count;
                previous = code;
            }
        }
        // Data after the end code is padding; the sub-blocks are still walked to their end.
    }
    if (pixels < frame_pixels)
        return QStringLiteral("GIF frame data ends early");
    return {};
}

} // namespace

GifCheck check_gif(const QByteArray& bytes) {
    GifCheck result;
    auto fail = [&result](const QString& text) {
        result.error = text;
        return result;
    };
    if (bytes.size() > gif_max_file_size)
        return fail(QStringLiteral("GIF file too large"));
    if (!bytes.startsWith("GIF87a") && !bytes.startsWith("GIF89a"))
        return fail(QStringLiteral("Not a GIF file"));
    Reader in(bytes);
    in.skip(6);
    if (!in.has(7))
        return fail(QStringLiteral("GIF file ends in its header"));
    result.width = in.word();
    result.height = in.word();
    const int flags = in.byte();
    in.skip(2); // background colour, aspect ratio
    if (result.width == 0 || result.height == 0)
        return fail(QStringLiteral("GIF screen without pixels"));
    if (result.width > gif_max_side || result.height > gif_max_side)
        return fail(QStringLiteral("GIF picture too large: %1 x %2 pixels")
                        .arg(result.width)
                        .arg(result.height));
    if (flags & 0x80) {
        const int table = 3 << ((flags & 7) + 1);
        if (!in.has(table))
            return fail(QStringLiteral("GIF file ends in its colour table"));
        in.skip(table);
    }

    while (!in.at_end()) {
        const int introducer = in.byte();
        if (introducer == 0x3B) // trailer
            break;
        if (introducer == 0x21) {
            if (!in.has(1))
                return fail(QStringLiteral("GIF file ends inside an extension"));
            in.skip(1); // the extension's label
            if (!skip_sub_blocks(in))
                return fail(QStringLiteral("GIF file ends inside an extension"));
            continue;
        }
        if (introducer != 0x2C)
            return fail(QStringLiteral("Unknown block in GIF file"));
        if (!in.has(9))
            return fail(QStringLiteral("GIF file ends in a frame header"));
        const int left = in.word(), top = in.word(), width = in.word(), height = in.word();
        const int frame_flags = in.byte();
        if (left + width > result.width || top + height > result.height)
            return fail(QStringLiteral("GIF frame larger than its screen"));
        if (frame_flags & 0x80) {
            const int table = 3 << ((frame_flags & 7) + 1);
            if (!in.has(table))
                return fail(QStringLiteral("GIF file ends in a colour table"));
            in.skip(table);
        }
        if (!in.has(1))
            return fail(QStringLiteral("GIF file ends in a frame header"));
        const int min_code_size = in.byte();
        if (min_code_size < 1 || min_code_size > 8)
            return fail(QStringLiteral("Bad LZW code size in GIF frame"));
        const QString lzw = run_lzw(in, min_code_size, qint64(width) * height);
        if (!lzw.isEmpty())
            return fail(lzw);
        if (++result.frames > gif_max_frames)
            return fail(QStringLiteral("GIF with more than %1 frames").arg(gif_max_frames));
    }
    if (result.frames == 0)
        return fail(QStringLiteral("GIF file without a picture"));
    return result;
}
