// Fixed object numbers, texts and colours of the palette switcher.
#pragma once

#include <cstdint>

#include "app/version.h"

namespace tintwerk {

// Object numbers. Numbers of different kinds are independent.
inline constexpr intptr_t MAIN_WINDOW = 0;
inline constexpr intptr_t SETTINGS_WINDOW = 2;
inline constexpr intptr_t APP_FONT = 1;
inline constexpr intptr_t PALETTE_SCAN = 1;
inline constexpr intptr_t PREVIEW_IMAGE = 200;      // the picture of the selected palette

// The built-in pictures, made in this order at start-up (100 to 108).
inline constexpr intptr_t DEFAULT_PREVIEW_IMAGE = 100;  // shown while a palette has no picture
inline constexpr intptr_t IMG_START = 101;
inline constexpr intptr_t IMG_PALETTE = 102;
inline constexpr intptr_t IMG_ORG = 103;
inline constexpr intptr_t IMG_HOTLAP = 104;
inline constexpr intptr_t IMG_RACE = 105;
inline constexpr intptr_t IMG_MENU = 106;
inline constexpr intptr_t IMG_TOP1 = 107;
inline constexpr intptr_t IMG_TOP2 = 108;
inline constexpr intptr_t FIRST_BUILTIN_IMAGE = DEFAULT_PREVIEW_IMAGE;
inline constexpr intptr_t LAST_BUILTIN_IMAGE = IMG_TOP2;

// Controls of the main window.
inline constexpr intptr_t CTL_PALETTE_LIST = 0;
inline constexpr intptr_t CTL_PREVIEW = 1;
inline constexpr intptr_t CTL_STATUS = 2;
inline constexpr intptr_t CTL_RESTORE = 4;
inline constexpr intptr_t CTL_LAUNCH = 5;
inline constexpr intptr_t CTL_ACTIVATE = 6;
inline constexpr intptr_t CTL_FAVORITE1 = 7;
inline constexpr intptr_t CTL_FAVORITE2 = 8;
inline constexpr intptr_t CTL_HOTLAP = 10;
inline constexpr intptr_t CTL_RACE = 11;
inline constexpr intptr_t CTL_MENU = 12;
inline constexpr intptr_t CTL_FAVORITE1_LABEL = 17;
inline constexpr intptr_t CTL_FAVORITE2_LABEL = 18;

// The word each picture button's picture shows.
struct ButtonWord {
    intptr_t control;
    const char* word;
};
inline constexpr ButtonWord BUTTON_WORDS[] = {
    {CTL_ACTIVATE, "Palette"}, {CTL_LAUNCH, "Start"}, {CTL_RESTORE, "= Org"}, {CTL_HOTLAP, "Hotlap"},
    {CTL_RACE, "Race"},        {CTL_MENU, "Menu"},    {CTL_FAVORITE1, "Top1"}, {CTL_FAVORITE2, "Top2"},
};

// Controls of the settings window.
inline constexpr intptr_t CTL_OK = 200;
inline constexpr intptr_t CTL_SET_TOP1 = 201;
inline constexpr intptr_t CTL_SET_TOP2 = 202;
inline constexpr intptr_t CTL_FAVORITE_DISPLAY = 203;
// The column headings, the row labels and the edit fields of the presets
// follow from the race options table (app/portable/race_options.h).
inline constexpr intptr_t CTL_RESTORE_CHECK = 230;

// Colours as 0x00BBGGRR.
inline constexpr int TEXT_COLOUR = 0x4A3100;  // red 0, green 49, blue 74
inline constexpr int BACK_COLOUR = 0xEFE6DC;  // red 220, green 230, blue 239

// Limits of shortened texts.
inline constexpr int STATUS_LIMIT = 29;
inline constexpr int FAVORITE_LABEL_LIMIT = 18;

inline constexpr const char* SETTINGS_FILE = "pal_change.prf";
inline constexpr const char* NOT_SET = "nix";
inline constexpr const char* STOCK_PALETTE = "qz.pal";
inline constexpr const char* MESSAGE_TITLE = "Achtung";
// Status texts of the file work.
inline constexpr const char* CONFIG_FAILURE_TEXT = "Fehler qz.ini";
inline constexpr const char* SETTINGS_NOT_SAVED_TEXT = "Einstellungen nicht gespeichert !!";
inline constexpr const char* PRISTINE_COPY_MISSING_TEXT = "qz.ini.orig nicht angelegt";
// A settings file that is there but could not be read at the start.
inline constexpr const char* SETTINGS_NOT_READ_TEXT = "Einstellungen nicht gelesen !!";
// What the start did with the leftovers of interrupted rewrites, each
// followed by the names of the files: the new content put in place, an
// unfinished copy removed, leftovers that stay for the next start, and (a
// message) a change not applied because the file changed after it was made.
inline constexpr const char* RECOVERED_TEXT = "Nachgeholt: ";
inline constexpr const char* TIDIED_TEXT = "Aufger\xE4umt: ";
inline constexpr const char* NOT_TIDIED_TEXT = "Nicht aufger\xE4umt: ";
inline constexpr const char* NOT_APPLIED_TEXT = "\xC4nderung nicht \xFC" "bernommen: ";

// "Tintwerk 1.0 - ...": the version as major.minor from the build.
inline constexpr const char* CREDIT_LINE = "Tintwerk " TW_VERSION_SHORT " - Farbpaletten f\xFCr Pistova";

}  // namespace tintwerk
