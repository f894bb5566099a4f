// The process-wide decoder registry: up to 100 decoders in registration order,
// the decoder that recognised the image being made and the file opened for it.
#include "image/portable/decoders.h"

#include <cstdio>

namespace {

constexpr int kMaxDecoders = 100;

struct Registry {
    ImageDecoder decoders[kMaxDecoders] = {};
    int count = 0;
    const ImageDecoder* current = nullptr;
    std::FILE* file = nullptr;
};

Registry g_registry;

void close_file() {
    if (g_registry.file) {
        std::fclose(g_registry.file);
        g_registry.file = nullptr;
    }
}

}  // namespace

void decoder_registry_reset() {
    tw::image::decoder_abandon_current();
    g_registry.count = 0;
}

int decoder_register(const ImageDecoder& decoder) {
    if (!decoder.check || !decoder.decode || !decoder.width || !decoder.height) return 0;
    if (g_registry.count >= kMaxDecoders) return 0;
    g_registry.decoders[g_registry.count++] = decoder;
    return 1;
}

int decoder_count() { return g_registry.count; }

namespace tw::image {

int decoder_find_memory(const void* memory, std::size_t length) {
    decoder_abandon_current();
    if (!memory) return 0;
    for (int i = 0; i < g_registry.count; ++i) {
        const ImageDecoder& d = g_registry.decoders[i];
        if (int kind = d.check(nullptr, memory, length, nullptr)) {
            g_registry.current = &d;
            return kind;
        }
    }
    return 0;
}

int decoder_find_file(const char* name) { return decoder_find_file_fit(name, nullptr, nullptr); }

int decoder_find_file_fit(const char* name, ImageFitRule fit, ImageSize* fitted) {
    decoder_abandon_current();
    if (!name) return 0;
    g_registry.file = std::fopen(name, "rb");
    if (!g_registry.file) return 0;
    for (int i = 0; i < g_registry.count; ++i) {
        const ImageDecoder& d = g_registry.decoders[i];
        std::rewind(g_registry.file);
        int kind;
        if (fit && d.check_fit) {
            kind = d.check_fit(g_registry.file, nullptr, 0, name, fit, fitted);
        } else {
            kind = d.check(g_registry.file, nullptr, 0, name);
            if (kind && fit && fitted) *fitted = fit(d.width(), d.height());
        }
        if (kind) {
            g_registry.current = &d;
            return kind;
        }
    }
    close_file();
    return 0;
}

int decoder_current_width() { return g_registry.current ? g_registry.current->width() : 0; }
int decoder_current_height() { return g_registry.current ? g_registry.current->height() : 0; }

int decoder_decode_current(unsigned char* pixels, std::size_t stride) {
    int result = 0;
    if (g_registry.current) result = g_registry.current->decode(pixels, stride, 0);
    g_registry.current = nullptr;
    close_file();
    return result;
}

void decoder_abandon_current() {
    if (g_registry.current && g_registry.current->release) g_registry.current->release();
    g_registry.current = nullptr;
    close_file();
}

bool decoder_registered(int (*check)(std::FILE*, const void*, std::size_t, const char*)) {
    for (int i = 0; i < g_registry.count; ++i)
        if (g_registry.decoders[i].check == check) return true;
    return false;
}

bool decoder_file_open() { return g_registry.file != nullptr; }

}  // namespace tw::image
