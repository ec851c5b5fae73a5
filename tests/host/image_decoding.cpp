#include "image_decoding.h"

#include <gif_lib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <jpeglib.h>
#include <vector>

namespace {

struct GifSource {
    const QByteArray* bytes;
    qsizetype offset = 0;
};

int read_gif(GifFileType* gif, GifByteType* out, int wanted) {
    auto* source = static_cast<GifSource*>(gif->UserData);
    const auto n =
        static_cast<int>(std::min<qsizetype>(wanted, source->bytes->size() - source->offset));
    std::memcpy(out, source->bytes->constData() + source->offset, static_cast<std::size_t>(n));
    source->offset += n;
    return n;
}

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void jpeg_fail(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<JpegErrors*>(cinfo->err)->jump, 1);
}

// Every scan line decoded; any warning (a truncated or corrupt file) counts as a failure.
bool jpeg_decode(const unsigned char* data, unsigned long size, int* width, int* height) {
    jpeg_decompress_struct cinfo{};
    JpegErrors errors{};
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpeg_fail;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);
    jpeg_start_decompress(&cinfo);
    std::vector<unsigned char> row(static_cast<std::size_t>(cinfo.output_width) *
                                   static_cast<std::size_t>(cinfo.output_components));
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW rows[1] = {row.data()};
        jpeg_read_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_decompress(&cinfo);
    *width = static_cast<int>(cinfo.output_width);
    *height = static_cast<int>(cinfo.output_height);
    const bool clean = errors.manager.num_warnings == 0;
    jpeg_destroy_decompress(&cinfo);
    return clean;
}

} // namespace

DecodedPicture giflib_decode(const QByteArray& bytes) {
    DecodedPicture picture;
    GifSource source{&bytes};
    int error = 0;
    GifFileType* gif = DGifOpen(&source, read_gif, &error);
    if (!gif)
        return picture;
    picture.ok = DGifSlurp(gif) == GIF_OK;
    picture.width = gif->SWidth;
    picture.height = gif->SHeight;
    picture.frames = gif->ImageCount;
    DGifCloseFile(gif, &error);
    return picture;
}

DecodedPicture libjpeg_decode(const QByteArray& bytes) {
    DecodedPicture picture;
    picture.ok =
        jpeg_decode(reinterpret_cast<const unsigned char*>(bytes.constData()),
                    static_cast<unsigned long>(bytes.size()), &picture.width, &picture.height);
    picture.frames = picture.ok ? 1 : 0;
    return picture;
}
