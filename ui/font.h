// Fonts by face name and point size.
#pragma once

#include <cstdint>

#include "runtime/runtime.h"

// Flags of font_load.
inline constexpr uint32_t FONT_BOLD = 0x100;
inline constexpr uint32_t FONT_ITALIC = 0x200;
inline constexpr uint32_t FONT_UNDERLINE = 0x04;
inline constexpr uint32_t FONT_STRIKEOUT = 0x08;
inline constexpr uint32_t FONT_HIGH_QUALITY = 0x10;

// Once at start.
void font_library_init();
// Loads a font under `number` (a font already there is deleted first); the
// size is in points at the screen's vertical resolution. Returns the font
// handle (for number -1 the object's address), or 0 on failure.
intptr_t font_load(intptr_t number, tw::TextArg face, int points, uint32_t flags = 0);
// The font handle (HFONT), or 0 for a number without a font.
intptr_t font_handle(intptr_t number);
// Deletes the font and frees the number.
void font_free(intptr_t number);
// Deletes every font: numbered ones in ascending order, then dynamic ones.
void font_free_all();
