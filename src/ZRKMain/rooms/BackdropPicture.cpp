#include "rooms/BackdropPicture.h"

#include <csetjmp>
#include <cstdio>
#include <future>
#include <jpeglib.h>
#include <mutex>
#include <yake/FileText.h>

#include "services/LogRoutine.h"

namespace kavri3D {
namespace zrk {

namespace {

struct Prefetch {
    std::mutex lock;
    std::string path;
    std::future<std::pair<bool, std::string>> done; // (decoded, why not)
    BackdropPicture::Pixels pixels;
};

Prefetch& prefetched()
{
    static Prefetch p;
    return p;
}

/// libjpeg reports a broken picture by calling error_exit, which must not return: it jumps
/// back to the decode with the library's message.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf back;
    char message[JMSG_LENGTH_MAX];
};

void onJpegError(j_common_ptr info)
{
    JpegErrors* errors = reinterpret_cast<JpegErrors*>(info->err);
    (*info->err->format_message)(info, errors->message);
    std::longjmp(errors->back, 1);
}

void onJpegWarning(j_common_ptr, int) {} // a corrupt stretch still gives a picture

/// The decode proper: nothing in it has a destructor, so the jump back skips none.
bool decodeInto(const unsigned char* data, unsigned long size, BackdropPicture::Pixels& out, char* why,
                std::size_t whyRoom)
{
    jpeg_decompress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = &onJpegError;
    errors.manager.emit_message = &onJpegWarning;
    if (setjmp(errors.back)) {
        std::snprintf(why, whyRoom, "not a picture: %s", errors.message);
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, size);
    jpeg_read_header(&info, TRUE);
    if (info.image_width == 0 || info.image_height == 0 || info.image_width > BackdropPicture::kMaxSide ||
        info.image_height > BackdropPicture::kMaxSide) {
        std::snprintf(why, whyRoom, "%ux%u pixels: too large", info.image_width, info.image_height);
        jpeg_destroy_decompress(&info);
        return false;
    }
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    out.width = info.output_width;
    out.height = info.output_height;
    out.rgba.resize(static_cast<std::size_t>(out.width) * out.height * 4); // within kMaxSide squared
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &out.rgba[static_cast<std::size_t>(info.output_scanline) * out.width * 4];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

} // namespace

bool BackdropPicture::decodeJpeg(const std::string& bytes, Pixels& out, std::string& why)
{
    out = Pixels();
    if (bytes.size() > kMaxFileBytes) {
        why = "larger than 16 MB";
        return false;
    }
    if (bytes.size() < 4 || static_cast<unsigned char>(bytes[0]) != 0xFF ||
        static_cast<unsigned char>(bytes[1]) != 0xD8) {
        why = "not a JPEG picture";
        return false;
    }
    char reason[JMSG_LENGTH_MAX + 64] = {};
    if (decodeInto(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()), out,
                   reason, sizeof reason))
        return true;
    out = Pixels();
    why = reason;
    return false;
}

void BackdropPicture::prefetch(const std::string& path)
{
    drop();
    Prefetch& p = prefetched();
    std::lock_guard<std::mutex> hold(p.lock);
    p.path = path;
    p.done = std::async(std::launch::async, [&p, path] {
        std::string bytes, why;
        if (!yake::FileText::read(path, bytes, why, kMaxFileBytes))
            return std::make_pair(false, why);
        Pixels pixels;
        if (!decodeJpeg(bytes, pixels, why))
            return std::make_pair(false, why);
        p.pixels = std::move(pixels); // the taker reads it only after the future is ready
        return std::make_pair(true, std::string());
    });
}

bool BackdropPicture::take(const std::string& path, Pixels& out)
{
    Prefetch& p = prefetched();
    std::lock_guard<std::mutex> hold(p.lock);
    if (!p.done.valid() || p.path != path)
        return false;
    const std::pair<bool, std::string> result = p.done.get();
    p.path.clear();
    if (!result.first) {
        writeLog(kLogWarning, "room", path + " not decoded ahead: " + result.second);
        p.pixels = Pixels();
        return false;
    }
    out = std::move(p.pixels);
    p.pixels = Pixels();
    return true;
}

void BackdropPicture::drop()
{
    Prefetch& p = prefetched();
    std::lock_guard<std::mutex> hold(p.lock);
    if (p.done.valid())
        p.done.wait();
    p.done = std::future<std::pair<bool, std::string>>();
    p.path.clear();
    p.pixels = Pixels();
}

} // namespace zrk
} // namespace kavri3D
