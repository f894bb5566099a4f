// The palette switcher's own logic: settings mapping, qz.ini lines, presets,
// preview sizes and the settings window's fields.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/portable/constants.h"
#include "app/portable/game_config.h"
#include "app/portable/presets.h"
#include "app/portable/preview.h"
#include "app/portable/settings_fields.h"
#include "app/portable/state.h"

using namespace tintwerk;

namespace {

// A settings store that answers from a map (keys compared without case, as the
// preference file does) and records every call in order.
class RecordingStore : public SettingsStore {
public:
    std::map<std::string, std::string> values;
    std::vector<std::string> calls;

    static std::string lower(std::string_view s) {
        std::string out(s);
        for (char& c : out)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
        return out;
    }
    const std::string* find(std::string_view key) const {
        auto it = values.find(lower(key));
        return it == values.end() ? nullptr : &it->second;
    }
    std::string read_string(std::string_view key, std::string_view fallback) override {
        calls.push_back("S " + std::string(key) + "|" + std::string(fallback));
        const std::string* v = find(key);
        return v ? *v : std::string(fallback);
    }
    int32_t read_int(std::string_view key, int32_t fallback) override {
        calls.push_back("I " + std::string(key) + "|" + std::to_string(fallback));
        const std::string* v = find(key);
        return v ? std::atoi(v->c_str()) : fallback;
    }
    void write_string(std::string_view key, std::string_view value) override {
        calls.push_back("S " + std::string(key) + "=" + std::string(value));
    }
    void write_int(std::string_view key, int32_t value) override {
        calls.push_back("I " + std::string(key) + "=" + std::to_string(value));
    }
    void set(std::string key, std::string value) { values[lower(key)] = std::move(value); }
};

AppState read_with(RecordingStore& store) {
    AppState state = initial_state("c:\\work\\");
    state.settings = read_settings(store);
    set_runtime_defaults(state);
    return state;
}

}  // namespace

TEST(Settings, MissingFileGivesEveryDefaultInKeyOrder) {
    RecordingStore store;
    AppState s = read_with(store);
    const std::vector<std::string> expected = {
        "S paletten|c:\\games\\kurvo\\paletten\\", "S Velo.exe|c:\\games\\kurvo\\Pistova.exe",
        "S Velo.ini|c:\\games\\kurvo\\qz.ini",     "S Favorite1|nix",
        "S Favorite2|nix",                         "I Window_x|100",
        "I Window_y|50",                           "I Window_w|700",
        "I Window_h|500",                          "I Window_dpi|96",
        "S laps_hot|10",
        "S tyre_hot|0",                            "S verbrauch_hot|0",
        "S sprit_hot|50",                          "S damage_hot|0",
        "S laps_race|5",                           "S tyre_race|30",
        "S verbrauch_race|30",                     "S sprit_race|50",
        "S damage_race|30",                        "S set_org_ende|0"};
    EXPECT_EQ(store.calls, expected);
    // The executable's default is lower-cased like every read path.
    EXPECT_EQ(s.settings.game_exe_path, "c:\\games\\kurvo\\pistova.exe");
    EXPECT_EQ(s.start_folder, "c:\\work\\");
    EXPECT_EQ(s.settings.window.x, 100);
    EXPECT_EQ(s.settings.window.height, 500);
    EXPECT_EQ(s.settings.restore_on_exit, 0);
    EXPECT_EQ(s.selected_palette, "nix");
    EXPECT_EQ(s.active_palette, "");
    EXPECT_EQ(s.launch_allowed, 0);
    EXPECT_FALSE(s.settings_changed);
    EXPECT_EQ(TEXT_COLOUR, 0x4A3100);
    EXPECT_EQ(BACK_COLOUR, 0xEFE6DC);
}

TEST(Settings, PathsAndFavouritesAreLowerCasedPresetsKeptAsTyped) {
    RecordingStore store;
    store.set("paletten", "C:\\GAMES\\\xC4RGER\\");
    store.set("Velo.exe", "D:\\Spiele\\Pistova.EXE");
    store.set("favorite1", "Sunset.PAL");
    store.set("window_x", "300");
    store.set("laps_hot", "Abc");
    AppState s = read_with(store);
    EXPECT_EQ(s.settings.palette_folder, "c:\\games\\\xE4rger\\");
    EXPECT_EQ(s.settings.game_exe_path, "d:\\spiele\\pistova.exe");
    EXPECT_EQ(s.settings.favorite1, "sunset.pal");
    EXPECT_EQ(s.settings.window.x, 300);
    EXPECT_EQ(s.settings.presets[Hotlap][Laps], "Abc");
}

TEST(Settings, RestoreFlagKeepsOnlyTheLowByteAsSigned) {
    const std::pair<const char*, int> cases[] = {{"1", 1}, {"257", 1}, {"255", -1}, {"256", 0}, {"abc", 0}, {"$ff", -1}};
    for (auto [text, expected] : cases) {
        RecordingStore store;
        store.set("set_org_ende", text);
        EXPECT_EQ(read_with(store).settings.restore_on_exit, expected) << text;
    }
}

TEST(Settings, WrittenInFixedOrderAndSpellingAndReadBackAlike) {
    RecordingStore store;
    store.set("set_org_ende", "255");
    store.set("favorite2", "Blue.pal");
    SavedSettings s = read_with(store).settings;
    s.window = {120, 60, 710, 520};
    RecordingStore out;
    write_settings(s, out);
    const std::vector<std::string> expected = {
        "S paletten=c:\\games\\kurvo\\paletten\\", "S Velo.exe=c:\\games\\kurvo\\pistova.exe",
        "S Velo.ini=c:\\games\\kurvo\\qz.ini",     "S Favorite1=nix",
        "S Favorite2=blue.pal",                    "I window_x=120",
        "I window_y=60",                           "I window_w=710",
        "I window_h=520",                          "S laps_hot=10",
        "S tyre_hot=0",                            "S verbrauch_hot=0",
        "S sprit_hot=50",                          "S damage_hot=0",
        "S laps_race=5",                           "S tyre_race=30",
        "S verbrauch_race=30",                     "S sprit_race=50",
        "S damage_race=30",                        "S set_org_ende=-1"};
    EXPECT_EQ(out.calls, expected);
}

TEST(Settings, GeometryOfAnotherDpiIsConvertedAndKeepsItsPlace) {
    RecordingStore out;
    SavedSettings s = read_with(out).settings;
    s.window = {120, 60, 1065, 780, 144};
    write_settings(s, out);
    EXPECT_EQ(std::count(out.calls.begin(), out.calls.end(), "I window_dpi=144"), 1);
    struct Case {
        WindowGeometry saved;
        int dpi;
        WindowGeometry expected;
    } cases[] = {
        {{100, 50, 700, 500, 96}, 96, {100, 50, 700, 500, 96}},      // same DPI: as saved, even below the minimum
        {{100, 50, 300, 200, 144}, 144, {100, 50, 300, 200, 144}},
        {{100, 50, 700, 500, 96}, 144, {100, 50, 1050, 750, 144}},
        {{-20, 900, 1065, 781, 144}, 96, {-20, 900, 710, 521, 96}},  // rounded; the place stays
        {{100, 50, 700, 500, 96}, 120, {100, 50, 875, 625, 120}},
        {{100, 50, 1400, 1000, 192}, 96, {100, 50, 700, 500, 96}},
        {{100, 50, 800, 600, 192}, 96, {100, 50, 680, 460, 96}},     // never below the minimum
        {{100, 50, 700, 500, 0}, 144, {100, 50, 1050, 750, 144}},    // no sensible DPI: a 96-DPI file's
    };
    for (const Case& c : cases) {
        const WindowGeometry g = geometry_for_dpi(c.saved, c.dpi, 680 * c.dpi / 96, 460 * c.dpi / 96);
        EXPECT_EQ(g, c.expected) << c.saved.width << "x" << c.saved.height << " at " << c.saved.dpi << " for " << c.dpi;
    }
}

TEST(ShortenText, CutsOnlyBeyondTheLimit) {
    const std::string name29(29, 'a');
    EXPECT_EQ(shorten_text(name29, 29), name29);
    EXPECT_EQ(shorten_text(name29 + "b", 29), name29 + "~");
    EXPECT_EQ(shorten_text("qz.ini= " + std::string(25, 'x'), 29), "qz.ini= " + std::string(21, 'x') + "~");
    EXPECT_EQ(shorten_text("eighteen-chars.pal", 18), "eighteen-chars.pal");
    EXPECT_EQ(shorten_text("nineteen-chars.pal!", 18), "nineteen-chars.pal~");
    EXPECT_EQ(shorten_text("", 18), "");
    // Why a write failed fits the status line whole, for either file.
    for (const FileReplaceResult r : {FileReplaceResult::Held, FileReplaceResult::ReadOnly, FileReplaceResult::DiskFull,
                                      FileReplaceResult::Missing, FileReplaceResult::Changed})
        for (const char* failure : {CONFIG_FAILURE_TEXT, PRESET_FAILURE_TEXT})
            EXPECT_EQ(write_failure_text(failure, r).find('~'), std::string::npos) << write_failure_text(failure, r);
    EXPECT_EQ(write_failure_text(CONFIG_FAILURE_TEXT, FileReplaceResult::Held), "Fehler qz.ini: gesperrt");
    EXPECT_EQ(write_failure_text(PRESET_FAILURE_TEXT, FileReplaceResult::Other), "Fehler Options.set");
}

TEST(Detection, PaletteLinesAreFoundByTheirExactKey) {
    // The last palette line with "=" decides; one without "=" changes nothing.
    std::vector<std::string> lines = {"[Video]", "PaletteFile = qz.pal", "Width=640", "PaletteFile=c:\\x\\Sunset.pal",
                                      "PaletteFile no value"};
    PaletteLineValue v = read_palette_value(lines);
    EXPECT_TRUE(v.line_found);
    EXPECT_EQ(v.value, "c:\\x\\Sunset.pal");

    v = read_palette_value({"palettefile = qz.pal", "Palette=qz.pal", "PaletteFil"});
    EXPECT_FALSE(v.line_found);
    EXPECT_EQ(v.value, "nix");

    v = read_palette_value({"PaletteFile"});
    EXPECT_FALSE(v.line_found);

    v = read_palette_value({"PaletteFile =  \t a=b.pal  "});
    EXPECT_TRUE(v.line_found);
    EXPECT_EQ(v.value, "\t a=b.pal");

    v = read_palette_value({"PaletteFile ="});
    EXPECT_TRUE(v.line_found);
    EXPECT_EQ(v.value, "");
}

TEST(Rewrite, EveryPaletteLineReplacedAndWrittenWithCrLf) {
    std::vector<std::string> lines = {"[Game]", "", "PaletteFile = qz.pal", "\tTab=1", "PaletteFile=old.pal", "End"};
    EXPECT_EQ(replace_palette_lines(lines, palette_line("c:\\games\\kurvo\\paletten\\", "sunset.pal")), 2);
    EXPECT_EQ(config_text(lines),
              "[Game]\r\n\r\nPaletteFile = c:\\games\\kurvo\\paletten\\sunset.pal\r\n\tTab=1\r\n"
              "PaletteFile = c:\\games\\kurvo\\paletten\\sunset.pal\r\nEnd\r\n");
    EXPECT_EQ(replace_palette_lines(lines, STOCK_PALETTE_LINE), 2);
    EXPECT_EQ(lines[2], "PaletteFile = qz.pal");
    EXPECT_EQ(lines[4], "PaletteFile = qz.pal");

    std::vector<std::string> none = {"palettefile = x.pal"};
    EXPECT_EQ(replace_palette_lines(none, STOCK_PALETTE_LINE), 0);
    EXPECT_EQ(none[0], "palettefile = x.pal");
    EXPECT_EQ(config_text({}), "");
}

TEST(Presets, DefaultsGiveTheDocumentedBytesEachAtItsOwnOffset) {
    // Every option has a byte of its own inside the game's 20-byte file, and
    // a preset's bytes come in the order of the options.
    std::set<int64_t> offsets;
    for (const OptionRow& o : OPTIONS) offsets.insert(o.offset);
    EXPECT_EQ(offsets.size(), OPTION_COUNT);
    EXPECT_GE(*offsets.begin(), 0);
    EXPECT_LT(*offsets.rbegin(), 20);
    RecordingStore store;
    AppState s = read_with(store);
    const std::pair<Preset, std::string> cases[] = {{Preset::Hotlap, std::string("xxxx\x0Axxxxxxxx\0\0\0\x32xxx", 20)},
                                                    {Preset::Race, "xxxx\x05xxxxxxxx\x1E\x1E\x1E\x32xxx"}};
    for (const auto& [preset, expected] : cases) {
        const auto bytes = preset_bytes(s.settings.presets, preset);
        for (std::size_t o = 0; o < OPTION_COUNT; ++o) EXPECT_EQ(bytes[o].offset, OPTIONS[o].offset);
        std::string file(20, 'x');
        patch_preset(file, bytes);
        EXPECT_EQ(file, expected) << preset;
    }
    PresetValues distinct = s.settings.presets;  // each byte where the game reads it
    distinct[Race] = {"1", "2", "3", "4", "5"};
    std::string file(20, 'x');
    patch_preset(file, preset_bytes(distinct, Race));
    EXPECT_EQ(file, "xxxx\x01xxxxxxxx\x02\x03\x05\x04xxx");
    EXPECT_STREQ(preset_success_text(Preset::Hotlap), "Options=Hotlap");
    EXPECT_STREQ(preset_success_text(Preset::Race), "Options=Race");
}

TEST(Presets, OddValuesBecomeTheirLowByte) {
    PresetValues s;
    // 300 & 0xFF = 44; no digits; a cleared field.
    s[Hotlap] = {"300", "abc", "", "-1", " 7x"};
    auto b = preset_bytes(s, Preset::Hotlap);
    EXPECT_EQ(b[0].value, 44);
    EXPECT_EQ(b[1].value, 0);
    EXPECT_EQ(b[2].value, 0);
    EXPECT_EQ(b[3].value, 255);
    EXPECT_EQ(b[4].value, 7);
    // A hand-edited value of twenty digits stops at the 64-bit limit: its low byte is 255.
    s[Hotlap][Laps] = "99999999999999999999";
    EXPECT_EQ(preset_bytes(s, Preset::Hotlap)[0].value, 255);
}

TEST(Preview, LargePicturesShrinkToTheBoxSmallOnesStay) {
    struct Case {
        int w, h;
        bool scale;
        int nw, nh;
        int box_w = 300, box_h = 225;  // the box on the screen
    };
    const Case cases[] = {
        {640, 480, true, 450, 337, 450, 338},  // 144 DPI: 337.5 truncated
        {1024, 600, true, 600, 351, 600, 450}, // 192 DPI
        {300, 225, false, 300, 225, 375, 281}, // fits a 120-DPI box: never enlarged
        {640, 480, true, 300, 225},   // 1.33333 lies above the box's 1.3333
        {1024, 600, true, 300, 175},  // 175.78 truncated
        {600, 900, true, 150, 225},
        {301, 226, true, 299, 225},   // 299.67 truncated
        {300, 225, false, 300, 225},
        {200, 100, false, 200, 100},
        {301, 100, true, 300, 99},    // 99.67 truncated
        {100, 226, true, 99, 225},
        {0, 0, false, 0, 0},          // an image that failed to load
        {4000, 3000, true, 300, 225},
        {3010, 10, true, 300, 1},     // 0.997 would truncate to 0: a side is never 0
        {10, 2260, true, 1, 225},
    };
    for (const Case& c : cases) {
        PreviewSize p = preview_size(c.w, c.h, c.box_w, c.box_h);
        EXPECT_EQ(p.scale, c.scale) << c.w << "x" << c.h;
        EXPECT_EQ(p.width, c.nw) << c.w << "x" << c.h;
        EXPECT_EQ(p.height, c.nh) << c.w << "x" << c.h;
    }
}

TEST(Preview, PicturePathDropsTheLastFourCharacters) {
    EXPECT_EQ(preview_path_for("c:\\p\\", "sunset.pal"), "c:\\p\\sunset.jpg");
    EXPECT_EQ(preview_path_for("c:\\p\\", "old.pale"), "c:\\p\\old..jpg");
    EXPECT_EQ(preview_path_for("c:\\p\\", ""), "c:\\p\\.jpg");
    EXPECT_EQ(preview_path_for("c:\\p\\", "ab"), "c:\\p\\.jpg");
}

TEST(SettingsFields, TypingIsLimitedPerColumnAndMarksChanges) {
    AppState s;
    const PresetField* laps = preset_field_for(211);
    ASSERT_NE(laps, nullptr);
    // Typing 1, 5, 0 into Hotlap laps.
    EXPECT_EQ(take_field_text(s, *laps, "1"), std::nullopt);
    EXPECT_TRUE(s.settings_changed);
    EXPECT_EQ(take_field_text(s, *laps, "15"), std::nullopt);
    EXPECT_EQ(take_field_text(s, *laps, "150"), std::optional<std::string>("100"));
    EXPECT_EQ(s.settings.presets[Hotlap][Laps], "100");
    EXPECT_EQ(take_field_text(s, *laps, "100"), std::nullopt);  // the echo of the replacement

    const PresetField* sprit = preset_field_for(224);
    ASSERT_NE(sprit, nullptr);
    EXPECT_EQ(take_field_text(s, *sprit, "180"), std::nullopt);
    EXPECT_EQ(s.settings.presets[Race][Sprit], "180");
    EXPECT_EQ(take_field_text(s, *sprit, "250"), std::optional<std::string>("200"));
    EXPECT_EQ(s.settings.presets[Race][Sprit], "200");
    EXPECT_EQ(take_field_text(s, *sprit, ""), std::nullopt);
    EXPECT_EQ(s.settings.presets[Race][Sprit], "");

    // Every value is edited by exactly one field, of its own number: typing
    // 101 there changes that value alone, kept for the fuel load, else 100.
    for (const PresetField& f : PRESET_FIELDS) {
        EXPECT_EQ(preset_field_for(f.control), &f) << f.control;
        AppState t;
        take_field_text(t, f, "101");
        for (std::size_t p = 0; p < PRESET_COUNT; ++p)
            for (std::size_t o = 0; o < OPTION_COUNT; ++o)
                EXPECT_EQ(t.settings.presets[p][o], p != f.preset || o != f.option ? "" : o == Sprit ? "101" : "100")
                    << f.control;
    }
    EXPECT_EQ(preset_field_for(216), nullptr);
    EXPECT_EQ(preset_field_for(230), nullptr);

    // However many digits are typed, the limit holds: twenty nines do not
    // wrap round to a small or negative number.
    AppState u;
    for (const char* typed : {"99999999999999999999", "18446744073709551716", "9223372036854775808"})
        EXPECT_EQ(take_field_text(u, *laps, typed), std::optional<std::string>("100")) << typed;
}

TEST(Presets, ThePatchedFileHasTheFiveBytesAndKeepsTheRest) {
    PresetValues s;
    s[Race] = {"5", "30", "30", "50", "30"};
    std::string twenty(20, 'x');
    patch_preset(twenty, preset_bytes(s, Preset::Race));
    EXPECT_EQ(twenty, std::string("xxxx\x05xxxxxxxx\x1E\x1E\x1E\x32xxx", 20));
    std::string missing;
    patch_preset(missing, preset_bytes(s, Preset::Race));
    EXPECT_EQ(missing, std::string("\0\0\0\0\x05\0\0\0\0\0\0\0\0\x1E\x1E\x1E\x32", 17))
        << "a missing file grows with zeros up to offset 16";
}

TEST(SettingsFields, FavouriteDisplayTexts) {
    EXPECT_EQ(favorite_display("nix"), "Nix gew\xE4hlt");
    EXPECT_EQ(favorite_display(""), "Nix gew\xE4hlt");
    EXPECT_EQ(favorite_display("sunset.pal"), "sunset.pal");
    EXPECT_EQ(favorite_stored_display(1, "nix"), "Top1: nix");
    EXPECT_EQ(favorite_stored_display(2, "sunset.pal"), "Top2: sunset.pal");
    EXPECT_EQ(favorite_stored_display(2, std::string(30, 'z')), "Top2: " + std::string(23, 'z') + "~");
}

TEST(Detection, NameIsTheFilePartAndMustBeUsable) {
    PaletteDetection d = detect_palette({"   ", "PaletteFile=c:\\games\\kurvo\\paletten\\Sunset.pal"});
    EXPECT_TRUE(d.good);
    EXPECT_EQ(d.active, "Sunset.pal");  // the case stays as qz.ini has it

    d = detect_palette({"PaletteFile = \"c:\\x y\\blue.pal\" ; quoted"});
    EXPECT_TRUE(d.good);
    EXPECT_EQ(d.active, "blue.pal");

    d = detect_palette({"PaletteFile = qz.pal"});
    EXPECT_TRUE(d.good);
    EXPECT_EQ(d.active, "qz.pal");

    // Found but unusable: empty, a folder only, the word nix, a bad character.
    for (const char* line : {"PaletteFile =", "PaletteFile = c:\\pal\\", "PaletteFile = nix", "PaletteFile = a?.pal"}) {
        d = detect_palette({line});
        EXPECT_FALSE(d.good) << line;
        EXPECT_TRUE(d.line_found) << line;
        EXPECT_EQ(d.active, "nix") << line;
    }
    d = detect_palette({"palettefile = qz.pal"});
    EXPECT_FALSE(d.good);
    EXPECT_FALSE(d.line_found);
}

TEST(Paths, FilesBesideTheGame) {
    EXPECT_EQ(beside_game("d:\\spiele\\pistova.exe", "options.set"), "d:\\spiele\\options.set");
    EXPECT_EQ(beside_game("d:\\spiele\\pistova.exe", "qz.ini"), "d:\\spiele\\qz.ini");
    EXPECT_EQ(beside_game("pistova.exe", "qz.ini"), "qz.ini");
}
