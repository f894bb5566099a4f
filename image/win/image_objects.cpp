// Image objects on GDI: the image table, the creating calls (BMP and icon files
// through the platform's own services, everything else through the decoder
// registry), measuring, scaling and release.
#include "runtime/gdi_calls.h"
#include "runtime/platform_calls.h"
#include "runtime/win32.h"

#include <cstdlib>
#include <memory>
#include <vector>

#include "image/image.h"
#include "image/decoder.h"
#include "image/portable/decoders.h"
#include "image/portable/formats.h"
#include "files/handle_io.h"

namespace {

struct ImageRecord {
    HANDLE handle = nullptr;    // a GDI bitmap or an icon
    int16_t width = 0;
    int16_t height = 0;
    uint8_t depth = 0;          // bits per pixel of the bitmap
    uint8_t flags = 0;          // creation flags; scaling makes its bitmap with them

    bool in_use() const { return handle != nullptr; }
    void release() {
        if (!handle) return;
        if (GetObjectType(handle) == OBJ_BITMAP)
            tw::gdi::delete_bitmap(static_cast<HBITMAP>(handle));
        else
            tw::gdi::destroy_icon(static_cast<HICON>(handle));
        handle = nullptr;
    }
};

// Lives until the process ends: GDI objects are released by image_free_all.
tw::ObjectTable<ImageRecord>& table() {
    static auto* images = new tw::ObjectTable<ImageRecord>(16);
    return *images;
}

bool is_bitmap(HANDLE h) { return GetObjectType(h) == OBJ_BITMAP; }

bool too_many_pixels(int64_t width, int64_t height, int64_t limit) { return width * height > limit; }

// An empty bitmap: a DIB section of the given bit count (bottom-up rows for a
// positive height), or with the DDB flag one in the display's format.
HBITMAP bitmap_create(int width, int height, int flags, int depth) {
    HDC screen = tw::gdi::screen_dc();
    if (!screen) return nullptr;
    HBITMAP bitmap;
    if (flags & IMAGE_FLAG_DDB) {
        bitmap = tw::gdi::compatible_bitmap(screen, width, height < 0 ? -height : height);
    } else {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(depth);
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap = tw::gdi::dib_section(screen, &info, &bits);
    }
    tw::gdi::delete_dc(screen);
    return bitmap;
}

// Size and depth of a bitmap, or of an icon's colour bitmap (its mask's upper
// half for a monochrome icon). The bitmaps GetIconInfo hands out are deleted.
bool describe(HANDLE h, int& width, int& height, int& depth) {
    BITMAP bm = {};
    if (is_bitmap(h)) {
        if (!GetObjectA(h, sizeof bm, &bm)) return false;
        width = bm.bmWidth;
        height = bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight;
        depth = bm.bmBitsPixel;
        return true;
    }
    ICONINFO ii = {};
    if (!tw::gdi::icon_info(static_cast<HICON>(h), &ii)) return false;
    bool ok;
    if (ii.hbmColor) {
        ok = GetObjectA(ii.hbmColor, sizeof bm, &bm) != 0;
        width = bm.bmWidth;
        height = bm.bmHeight;
        depth = bm.bmBitsPixel;
    } else {
        ok = ii.hbmMask && GetObjectA(ii.hbmMask, sizeof bm, &bm) != 0;
        width = bm.bmWidth;
        height = bm.bmHeight / 2;
        depth = 1;
    }
    tw::gdi::delete_bitmap(ii.hbmColor);
    tw::gdi::delete_bitmap(ii.hbmMask);
    return ok;
}

void release_handle(HANDLE h) {
    if (!h) return;
    if (is_bitmap(h))
        tw::gdi::delete_bitmap(static_cast<HBITMAP>(h));
    else
        tw::gdi::destroy_icon(static_cast<HICON>(h));
}

// Stores a made image in its slot; a handle the record cannot describe (or
// one too large for it) is released and the creation fails.
intptr_t store(ImageRecord* rec, HANDLE h, int flags) {
    int width = 0, height = 0, depth = 0;
    if (!h || !describe(h, width, height, depth) || width < 1 || height < 1 ||
        width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE) {
        release_handle(h);
        table().discard(rec);
        return 0;
    }
    rec->handle = h;
    rec->width = static_cast<int16_t>(width);
    rec->height = static_cast<int16_t>(height);
    rec->depth = static_cast<uint8_t>(depth);
    rec->flags = static_cast<uint8_t>(flags);
    return reinterpret_cast<intptr_t>(h);
}

// A BMP file in memory becomes a 32-bit bitmap through the platform's conversion.
HANDLE catch_bmp(const uint8_t* data, std::size_t length, int flags) {
    tw::image::BmpFile bmp;
    if (!tw::image::bmp_parse(data, length, IMAGE_MAX_SIDE, bmp)) return nullptr;
    if (too_many_pixels(bmp.width, bmp.height < 0 ? -int64_t(bmp.height) : bmp.height, IMAGE_MAX_PIXELS))
        return nullptr;
    HBITMAP bitmap = bitmap_create(bmp.width, bmp.height, flags, 32);
    if (!bitmap) return nullptr;
    HDC dc = tw::gdi::memory_dc();
    const UINT rows = static_cast<UINT>(bmp.height < 0 ? -bmp.height : bmp.height);
    int done = dc ? tw::gdi::gdi_calls().SetDIBits(dc, bitmap, 0, rows, bmp.pixels,
                                                   reinterpret_cast<const BITMAPINFO*>(bmp.info.data()),
                                                   DIB_RGB_COLORS)
                  : 0;
    tw::gdi::delete_dc(dc);
    if (done == 0) {
        tw::gdi::delete_bitmap(bitmap);
        return nullptr;
    }
    return bitmap;
}

HANDLE catch_icon(const uint8_t* data, std::size_t length) {
    tw::image::IconImage img;
    if (!tw::image::icon_choose(data, length, img)) return nullptr;
    if (tw::image::icon_claims_more_than(data, length, IMAGE_MAX_PIXELS)) return nullptr;
    // The platform wants the image's bytes in a block of their own.
    std::vector<BYTE> bytes(data + img.offset, data + img.offset + img.size);
    const DWORD size = static_cast<DWORD>(bytes.size());
    HICON icon = tw::gdi::icon_from_resource(bytes.data(), size, img.width, img.height);
    if (!icon && !img.png && img.bit_count != 16) icon = tw::gdi::icon_from_resource_plain(bytes.data(), size);
    return icon;
}

// The decoder path: the decode (already found) writes its image into a new
// top-down bitmap of 24 or 32 bits.
HANDLE decode_image(ImageDecode& decode, int flags) {
    const int kind = decode.kind();
    const int width = decode.width();
    const int height = decode.height();
    if (width < 1 || height < 1 || width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE ||
        too_many_pixels(width, height, IMAGE_MAX_PIXELS))
        return nullptr;
    const std::size_t stride = kind == IMAGE_PIXELS_BGRA
                                   ? static_cast<std::size_t>(width) * 4
                                   : static_cast<std::size_t>(width) * 3 + static_cast<std::size_t>(width % 4);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = kind == IMAGE_PIXELS_BGRA ? 32 : 24;
    info.bmiHeader.biCompression = BI_RGB;

    HDC screen = tw::gdi::screen_dc();
    if (!screen) return nullptr;
    HBITMAP bitmap = nullptr;
    unsigned char* target = nullptr;
    const bool ddb = (flags & IMAGE_FLAG_DDB) != 0;
    if (!ddb) {
        void* bits = nullptr;
        bitmap = tw::gdi::dib_section(screen, &info, &bits);
        target = bitmap ? static_cast<unsigned char*>(bits) : nullptr;
    } else {
        target = static_cast<unsigned char*>(
            HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, (static_cast<std::size_t>(height) + 1) * stride));
    }
    if (target) {
        // A decoding that fails part-way still gives an image: the rows not
        // written keep what the new bitmap held.
        decode.decode(target, stride);
    } else {
        tw::gdi::delete_bitmap(bitmap);
        bitmap = nullptr;
    }
    if (ddb && target) {
        bitmap = tw::gdi::compatible_bitmap(screen, width, height);
        HDC dc = bitmap ? tw::gdi::memory_dc() : nullptr;
        if (!dc || !tw::gdi::gdi_calls().SetDIBits(dc, bitmap, 0, static_cast<UINT>(height), target, &info,
                                                   DIB_RGB_COLORS)) {
            tw::gdi::delete_bitmap(bitmap);
            bitmap = nullptr;
        }
        tw::gdi::delete_dc(dc);
        HeapFree(GetProcessHeap(), 0, target);
    }
    tw::gdi::delete_dc(screen);
    return bitmap;
}

}  // namespace

void image_library_init() { table().free_all(); }

intptr_t image_catch(intptr_t number, const void* address, std::size_t length, int flags) {
    ImageRecord* rec = table().prepare(number);
    if (!rec) return 0;
    const auto* data = static_cast<const uint8_t*>(address);
    flags &= IMAGE_FLAG_DDB;
    HANDLE h = nullptr;
    if (!data || length < 2) {
        // nothing to make an image from
    } else if (tw::image::bmp_signature(data, length)) {
        h = catch_bmp(data, length, flags);
    } else if (tw::image::icon_signature(data, length)) {
        h = catch_icon(data, length);
    } else if (std::unique_ptr<ImageDecode> decode = tw::image::decoder_open(ImageInput::block(data, length))) {
        h = decode_image(*decode, flags);
    }
    return store(rec, h, flags);
}

namespace {

// An icon file whose PNG image claims more than an image may hold, or one
// larger than any icon file is (the platform would make whatever it claims).
bool icon_file_too_large(const std::string& name) {
    tw::PlatformCalls& f = tw::platform_calls();
    HANDLE file = f.CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    std::string bytes;
    const int64_t size = tw::file_size_of(file);
    const bool ok = size >= 0 && size <= static_cast<int64_t>(IMAGE_UNKNOWN_LENGTH) && tw::read_whole(file, bytes);
    f.CloseHandle(file);
    return !ok || tw::image::icon_claims_more_than(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                                   IMAGE_MAX_PIXELS);
}

// A file the decoders read piece by piece through the file calls.
struct FileReader {
    HANDLE file;
    static std::size_t read(void* context, unsigned char* buffer, std::size_t size) {
        return tw::read_some(static_cast<FileReader*>(context)->file, buffer, size);
    }
    static bool rewind(void* context) { return tw::seek(static_cast<FileReader*>(context)->file, 0, false); }
};

// The decoders asked about a file; with a fit rule a decoder may deliver the
// fitted size (see load_file). The file is open only while this runs.
HANDLE decode_file(const std::string& name, int flags, ImageFitRule fit, ImageSize* fitted) {
    tw::PlatformCalls& f = tw::platform_calls();
    FileReader reader{f.CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr)};
    if (reader.file == INVALID_HANDLE_VALUE) return nullptr;
    HANDLE h = nullptr;
    if (std::unique_ptr<ImageDecode> decode = tw::image::decoder_open(
            ImageInput::reads(ImageReader{&reader, FileReader::read, FileReader::rewind}), fit, fitted))
        h = decode_image(*decode, flags);
    f.CloseHandle(reader.file);
    return h;
}

// The shared path of image_load and image_load_fit: the file's first bytes
// decide between the platform's BMP and icon loading and the decoders. With a
// fit rule a decoder may deliver the fitted size itself; *fitted receives the
// size the image is to be made at.
intptr_t load_file(intptr_t number, tw::TextArg path, int flags, ImageFitRule fit, ImageSize* fitted) {
    ImageRecord* rec = table().prepare(number);
    if (!rec) return 0;
    flags &= IMAGE_FLAG_DDB;
    const std::string name = path.str();
    tw::PlatformCalls& f = tw::platform_calls();
    HANDLE file = f.CreateFileA(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return store(rec, nullptr, flags);
    unsigned char head[26] = {};
    const DWORD got = static_cast<DWORD>(tw::read_some(file, head, sizeof head));
    f.CloseHandle(file);
    if (got < 2) return store(rec, nullptr, flags);

    HANDLE h = nullptr;
    if (head[0] == 'B' && head[1] == 'M') {
        // The platform would make whatever the header claims.
        if (tw::image::bmp_claims_more_than(head, got, IMAGE_MAX_PIXELS)) return store(rec, nullptr, flags);
        const UINT load = (flags & IMAGE_FLAG_DDB) ? LR_LOADFROMFILE : LR_LOADFROMFILE | LR_CREATEDIBSECTION;
        h = tw::gdi::load_image(name.c_str(), IMAGE_BITMAP, load);
        BITMAP bm = {};
        if (h && (load & LR_CREATEDIBSECTION) && GetObjectA(h, sizeof bm, &bm) && bm.bmBitsPixel <= 8) {
            // Palette bitmaps are kept in the display's format.
            tw::gdi::delete_bitmap(static_cast<HBITMAP>(h));
            h = tw::gdi::load_image(name.c_str(), IMAGE_BITMAP, LR_LOADFROMFILE);
        }
    } else if (tw::image::icon_signature(head, got) && icon_file_too_large(name)) {
        return store(rec, nullptr, flags);
    } else if ((h = tw::gdi::load_image(name.c_str(), IMAGE_ICON, LR_LOADFROMFILE)) != nullptr) {
        // an icon at its own size
    } else {
        h = decode_file(name, flags, fit, fitted);
    }
    return store(rec, h, flags);
}

}  // namespace

intptr_t image_load(intptr_t number, tw::TextArg path, int flags) {
    return load_file(number, path, flags, nullptr, nullptr);
}

intptr_t image_load_fit(intptr_t number, tw::TextArg path, ImageFitRule fit, int flags) {
    if (!fit) return image_load(number, path, flags);
    ImageSize fitted{-1, -1};
    if (!load_file(number, path, flags, fit, &fitted)) return 0;
    // BMP files and icons come at their own size: their fitted size follows.
    if (fitted.width < 0) fitted = fit(image_width(number), image_height(number));
    if (fitted.width != image_width(number) || fitted.height != image_height(number))
        image_resize(number, fitted.width, fitted.height, 0);
    return image_handle(number);
}

int image_width(intptr_t number) {
    ImageRecord* rec = table().find(number);
    return rec ? rec->width : 0;
}

int image_height(intptr_t number) {
    ImageRecord* rec = table().find(number);
    return rec ? rec->height : 0;
}

int image_depth(intptr_t number) {
    ImageRecord* rec = table().find(number);
    return rec ? rec->depth : 0;
}

intptr_t image_handle(intptr_t number) {
    ImageRecord* rec = table().find(number);
    return rec ? reinterpret_cast<intptr_t>(rec->handle) : 0;
}

intptr_t image_resize(intptr_t number, int width, int height, int mode) {
    ImageRecord* rec = table().find(number);
    if (!rec) return 0;
    if (width == rec->width && height == rec->height) return reinterpret_cast<intptr_t>(rec->handle);
    if (width < 1 || height < 1 || width > IMAGE_MAX_SIDE || height > IMAGE_MAX_SIDE) return 0;

    if (!is_bitmap(rec->handle)) {
        // An icon is scaled by the platform into a new icon.
        HANDLE icon = tw::gdi::copy_icon(rec->handle, width, height);
        if (!icon) return 0;
        tw::gdi::destroy_icon(static_cast<HICON>(rec->handle));
        rec->handle = icon;
        rec->width = static_cast<int16_t>(width);
        rec->height = static_cast<int16_t>(height);
        return reinterpret_cast<intptr_t>(icon);
    }

    HBITMAP fresh = bitmap_create(width, height, rec->flags, rec->depth);
    if (!fresh) return 0;
    tw::PlatformCalls& g = tw::gdi::gdi_calls();
    HDC target = tw::gdi::memory_dc();
    HDC source = tw::gdi::memory_dc();
    BOOL copied = FALSE;
    if (target && source) {
        HGDIOBJ old_target = g.SelectObject(target, fresh);
        HGDIOBJ old_source = g.SelectObject(source, rec->handle);
        if (old_target && old_source) {
            if (mode == 0) {
                SetStretchBltMode(target, HALFTONE);
                SetBrushOrgEx(target, 0, 0, nullptr);
            } else {
                SetStretchBltMode(target, COLORONCOLOR);
            }
            copied = g.StretchBlt(target, 0, 0, width, height, source, 0, 0, rec->width, rec->height, SRCCOPY);
        }
        if (old_target) g.SelectObject(target, old_target);
        if (old_source) g.SelectObject(source, old_source);
    }
    tw::gdi::delete_dc(target);
    tw::gdi::delete_dc(source);

    // The old bitmap goes in every case; a failed copy leaves no image.
    tw::gdi::delete_bitmap(static_cast<HBITMAP>(rec->handle));
    rec->width = static_cast<int16_t>(width);
    rec->height = static_cast<int16_t>(height);
    if (copied) {
        rec->handle = fresh;
        return reinterpret_cast<intptr_t>(fresh);
    }
    tw::gdi::delete_bitmap(fresh);
    rec->handle = nullptr;
    return 0;
}

void image_free(intptr_t number) { table().free(number); }

void image_free_all() { table().free_all(); }
