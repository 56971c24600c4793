// The skin file reader and the palette adjustment, on the shipped skin, on a
// copy encrypted by the skin compiler, and on hand-made broken files.
#include "skin/SkinFormat.h"

#include <climits>
#include <cstdint>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Buffer = std::vector<uint8_t>;

Buffer ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Buffer(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Fnv(const Buffer& data) {
    uint32_t h = 2166136261u;
    for (uint8_t b : data) {
        h = (h ^ b) * 16777619u;
    }
    return h;
}

void PutU16(Buffer& out, unsigned v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutU32(Buffer& out, uint32_t v) {
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

Buffer Record(unsigned tag, unsigned slot, const Buffer& data) {
    Buffer out{static_cast<uint8_t>(tag), static_cast<uint8_t>(slot)};
    PutU16(out, static_cast<unsigned>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

Buffer Payload(const std::vector<Buffer>& records) {
    Buffer out;
    for (const Buffer& r : records) {
        out.insert(out.end(), r.begin(), r.end());
    }
    return out;
}

Buffer File(const Buffer& payload) {
    Buffer out{'L', 'Z', 'S', 'K'};
    PutU16(out, 1);
    PutU16(out, 0);
    PutU32(out, static_cast<uint32_t>(payload.size()));
    PutU32(out, Fnv(payload));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

Buffer FontData(int16_t height, uint16_t weight, uint8_t flags, const std::string& face) {
    Buffer out;
    PutU16(out, static_cast<uint16_t>(height));
    PutU16(out, weight);
    out.push_back(flags);
    out.push_back(0);
    out.insert(out.end(), face.begin(), face.end());
    return out;
}

Buffer MetricData(int16_t value) {
    Buffer out;
    PutU16(out, static_cast<uint16_t>(value));
    return out;
}

Buffer BitmapData(unsigned width, unsigned height, size_t pixelBytes) {
    Buffer out;
    PutU16(out, width);
    PutU16(out, height);
    out.resize(out.size() + pixelBytes, 0x55);
    return out;
}

struct Parsed {
    std::unique_ptr<SkinTheme> theme = std::make_unique<SkinTheme>();
    int ok = 0;
};

Parsed Parse(const Buffer& file, const std::string& password = std::string(),
             bool nullPassword = true) {
    Parsed parsed;
    const uint8_t* pw = nullPassword ? nullptr : reinterpret_cast<const uint8_t*>(password.data());
    parsed.ok = SkinParse(file.data(), static_cast<uint32_t>(file.size()), pw,
                          static_cast<uint32_t>(password.size()), parsed.theme.get());
    return parsed;
}

Parsed ParseWith(const Buffer& file, const std::string& password) {
    return Parse(file, password, false);
}

TEST(SkinFileTest, ShippedSkinReadsAsDescribed) {
    Parsed parsed = Parse(ReadFile(SKIN_FILE_PATH));
    ASSERT_EQ(parsed.ok, 1);
    const SkinTheme& t = *parsed.theme;
    EXPECT_EQ(t.colors[SKIN_COLOR_WINDOW_TOP], 0xF6F9FCu);
    EXPECT_EQ(t.colors[SKIN_COLOR_BUTTON_BORDER], 0x235C91u);
    EXPECT_EQ(t.colors[SKIN_COLOR_DISABLED_TEXT], 0x8797A4u);
    EXPECT_EQ(t.metrics[SKIN_METRIC_BUTTON_RADIUS], 5);
    EXPECT_EQ(t.metrics[SKIN_METRIC_EDIT_PADDING], 6);
    ASSERT_EQ(t.fontCount[SKIN_FONT_UI], 4);
    EXPECT_STREQ(t.fonts[SKIN_FONT_UI][0].face, "Microsoft YaHei UI");
    EXPECT_STREQ(t.fonts[SKIN_FONT_UI][2].face, "WenQuanYi Micro Hei");
    EXPECT_EQ(t.fonts[SKIN_FONT_BUTTON][0].weight, 700);
    EXPECT_EQ(t.fonts[SKIN_FONT_BUTTON][0].height, -14);
    EXPECT_EQ(t.bitmaps[SKIN_BITMAP_WINDOW_TEXTURE].width, 0);
}

TEST(SkinFileTest, TexturedSkinCarriesItsBitmapAndDefaultsElsewhere) {
    Parsed parsed = Parse(ReadFile(TEXTURED_SKIN_PATH));
    ASSERT_EQ(parsed.ok, 1);
    const SkinBitmap& bitmap = parsed.theme->bitmaps[SKIN_BITMAP_WINDOW_TEXTURE];
    ASSERT_EQ(bitmap.width, 2);
    ASSERT_EQ(bitmap.height, 2);
    EXPECT_EQ(bitmap.pixels[0], 0xC03020u);
    EXPECT_EQ(bitmap.pixels[1], 0x20A040u);
    EXPECT_EQ(bitmap.pixels[2], 0x2040C0u);
    EXPECT_EQ(bitmap.pixels[3], 0xE0E0E0u);
    auto defaults = std::make_unique<SkinTheme>();
    SkinThemeDefaults(defaults.get());
    EXPECT_EQ(parsed.theme->colors[SKIN_COLOR_BUTTON_TOP], defaults->colors[SKIN_COLOR_BUTTON_TOP]);
    EXPECT_EQ(parsed.theme->metrics[SKIN_METRIC_ACCENT_HEIGHT], 0);
}

// The encrypted copy comes from the skin compiler, an implementation of the
// cipher of its own, so this also checks that the two agree.
TEST(SkinFileTest, PasswordDecryptsOnlyWhenItIsTheRightOne) {
    Buffer plain = ReadFile(SKIN_FILE_PATH);
    Buffer encrypted = ReadFile(ENCRYPTED_SKIN_PATH);
    ASSERT_EQ(encrypted.size(), plain.size());
    ASSERT_NE(encrypted, plain);
    Parsed reference = Parse(plain);
    Parsed decrypted = ParseWith(encrypted, ENCRYPTED_SKIN_PASSWORD);
    ASSERT_EQ(decrypted.ok, 1);
    EXPECT_EQ(0, memcmp(reference.theme.get(), decrypted.theme.get(), sizeof(SkinTheme)));

    struct Case {
        const char* what;
        std::string password;
        bool null;
    } cases[] = {
        {"wrong password", "lanzou", false},
        {"password one byte short", std::string(ENCRYPTED_SKIN_PASSWORD).substr(1), false},
        {"empty password", "", false},
        {"no password", "", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(encrypted, c.password, c.null).ok, 0) << c.what;
    }
    EXPECT_EQ(ParseWith(plain, "unused").ok, 1) << "a plain file ignores a password";
}

TEST(SkinFileTest, EveryTruncationAndAnyTrailingByteIsRefused) {
    Buffer file = ReadFile(SKIN_FILE_PATH);
    ASSERT_GT(file.size(), SKIN_HEADER_SIZE);
    for (size_t length = 0; length < file.size(); ++length) {
        Buffer prefix(file.begin(), file.begin() + static_cast<long>(length));
        EXPECT_EQ(Parse(prefix).ok, 0) << "length " << length;
    }
    Buffer longer = file;
    longer.push_back(0);
    EXPECT_EQ(Parse(longer).ok, 0);
    EXPECT_EQ(SkinParse(nullptr, 100, nullptr, 0, Parse(file).theme.get()), 0);
}

TEST(SkinFileTest, HeaderFaultsAreRefused) {
    Buffer good = File(Payload({Record(SKIN_TAG_COLOR, 0, {1, 2, 3})}));
    ASSERT_EQ(Parse(good).ok, 1);
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
    } cases[] = {
        {"magic", 0, 'l'},      {"version 2", 4, 2},       {"version high byte", 5, 1},
        {"unknown flag", 6, 2}, {"length too long", 8, 8}, {"length too short", 8, 6},
        {"checksum", 12, 0},    {"payload byte", 18, 9},
    };
    for (const Case& c : cases) {
        Buffer broken = good;
        broken[c.offset] = broken[c.offset] == c.value ? c.value + 1 : c.value;
        EXPECT_EQ(Parse(broken).ok, 0) << c.what;
    }
}

TEST(SkinFileTest, RecordsAreCheckedOneByOne) {
    struct Case {
        const char* what;
        Buffer payload;
        int expected;
    } cases[] = {
        {"empty payload", {}, 1},
        {"colour", Record(SKIN_TAG_COLOR, SKIN_COLOR_LABEL_TEXT, {1, 2, 3}), 1},
        {"colour of 4 bytes", Record(SKIN_TAG_COLOR, 0, {1, 2, 3, 4}), 0},
        {"colour of 2 bytes", Record(SKIN_TAG_COLOR, 0, {1, 2}), 0},
        {"unknown colour slot, any length", Record(SKIN_TAG_COLOR, 200, {1, 2, 3, 4, 5}), 1},
        {"unknown tag", Record(99, 0, {9, 9, 9, 9, 9, 9, 9}), 1},
        {"record longer than the payload", Buffer{SKIN_TAG_COLOR, 0, 4, 0, 1, 2, 3}, 0},
        {"partial record header", Buffer{SKIN_TAG_COLOR, 0, 3}, 0},
        {"metric at its low end", Record(SKIN_TAG_METRIC, SKIN_METRIC_EDIT_BORDER, MetricData(1)),
         1},
        {"metric at its high end",
         Record(SKIN_TAG_METRIC, SKIN_METRIC_BUTTON_RADIUS, MetricData(12)), 1},
        {"metric below range", Record(SKIN_TAG_METRIC, SKIN_METRIC_EDIT_BORDER, MetricData(0)), 0},
        {"metric above range", Record(SKIN_TAG_METRIC, SKIN_METRIC_ACCENT_HEIGHT, MetricData(9)),
         0},
        {"negative metric", Record(SKIN_TAG_METRIC, SKIN_METRIC_EDIT_RADIUS, MetricData(-1)), 0},
        {"metric of 3 bytes", Record(SKIN_TAG_METRIC, 0, {1, 0, 0}), 0},
        {"font", Record(SKIN_TAG_FONT, SKIN_FONT_UI, FontData(-14, 400, 0, "SimSun")), 1},
        {"italic font", Record(SKIN_TAG_FONT, SKIN_FONT_UI, FontData(12, 400, 1, "A")), 1},
        {"font face of 63 bytes",
         Record(SKIN_TAG_FONT, 0, FontData(-14, 400, 0, std::string(63, 'x'))), 1},
        {"font face of 64 bytes",
         Record(SKIN_TAG_FONT, 0, FontData(-14, 400, 0, std::string(64, 'x'))), 0},
        {"font without a face", Record(SKIN_TAG_FONT, 0, FontData(-14, 400, 0, "")), 0},
        {"NUL inside a face",
         Record(SKIN_TAG_FONT, 0, FontData(-14, 400, 0, std::string("Sim\0Sun", 7))), 0},
        {"font weight 0", Record(SKIN_TAG_FONT, 0, FontData(-14, 0, 0, "SimSun")), 0},
        {"font weight 1001", Record(SKIN_TAG_FONT, 0, FontData(-14, 1001, 0, "SimSun")), 0},
        {"font height 0", Record(SKIN_TAG_FONT, 0, FontData(0, 400, 0, "SimSun")), 0},
        {"unknown font flag", Record(SKIN_TAG_FONT, 0, FontData(-14, 400, 2, "SimSun")), 0},
        {"bitmap 1x1", Record(SKIN_TAG_BITMAP, 0, BitmapData(1, 1, 3)), 1},
        {"bitmap 64x64", Record(SKIN_TAG_BITMAP, 0, BitmapData(64, 64, 64 * 64 * 3)), 1},
        {"bitmap 65 wide", Record(SKIN_TAG_BITMAP, 0, BitmapData(65, 1, 65 * 3)), 0},
        {"bitmap 0 high", Record(SKIN_TAG_BITMAP, 0, BitmapData(4, 0, 0)), 0},
        {"bitmap one pixel byte short", Record(SKIN_TAG_BITMAP, 0, BitmapData(2, 2, 11)), 0},
        {"bitmap one pixel byte over", Record(SKIN_TAG_BITMAP, 0, BitmapData(2, 2, 13)), 0},
        {"bitmap without its size", Record(SKIN_TAG_BITMAP, 0, {2, 0, 2}), 0},
        {"good record, then a bad one",
         Payload({Record(SKIN_TAG_COLOR, 0, {1, 2, 3}), Record(SKIN_TAG_METRIC, 2, MetricData(7))}),
         0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Parse(File(c.payload)).ok, c.expected) << c.what;
    }
}

TEST(SkinFileTest, LaterRecordsReplaceAndFontsQueueUpToFour) {
    std::vector<Buffer> records = {
        Record(SKIN_TAG_COLOR, SKIN_COLOR_EDIT_FACE, {1, 2, 3}),
        Record(SKIN_TAG_COLOR, SKIN_COLOR_EDIT_FACE, {4, 5, 6}),
    };
    for (char face = 'A'; face <= 'E'; ++face) {
        records.push_back(
            Record(SKIN_TAG_FONT, SKIN_FONT_BUTTON, FontData(-12, 400, 0, std::string(1, face))));
    }
    Parsed parsed = Parse(File(Payload(records)));
    ASSERT_EQ(parsed.ok, 1);
    EXPECT_EQ(parsed.theme->colors[SKIN_COLOR_EDIT_FACE], 0x040506u);
    ASSERT_EQ(parsed.theme->fontCount[SKIN_FONT_BUTTON], 4);
    EXPECT_STREQ(parsed.theme->fonts[SKIN_FONT_BUTTON][0].face, "A");
    EXPECT_STREQ(parsed.theme->fonts[SKIN_FONT_BUTTON][3].face, "D");
    EXPECT_EQ(parsed.theme->fontCount[SKIN_FONT_UI], 0);
}

int Channel(uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

bool Near(uint32_t a, uint32_t b, int tolerance = 2) {
    for (int shift : {0, 8, 16}) {
        int d = Channel(a, shift) - Channel(b, shift);
        if (d > tolerance || d < -tolerance) {
            return false;
        }
    }
    return true;
}

TEST(PaletteTest, ZeroAdjustmentKeepsEveryColour) {
    for (uint32_t rgb : {0x000000u, 0xFFFFFFu, 0x2C7CC4u, 0x123456u, 0xFF0000u, 0x808080u}) {
        EXPECT_EQ(SkinAdjustColor(rgb, 0, 0, 0), rgb);
        EXPECT_EQ(SkinAdjustColor(rgb, 360, 0, 0), rgb) << "a full turn is no turn";
    }
}

TEST(PaletteTest, KnownShifts) {
    struct Case {
        const char* what;
        uint32_t in;
        int32_t hue, saturation, brightness;
        uint32_t out;
    } cases[] = {
        {"red turned 120 degrees is green", 0xFF0000, 120, 0, 0, 0x00FF00},
        {"red turned -120 degrees is blue", 0xFF0000, -120, 0, 0, 0x0000FF},
        {"green turned 480 degrees is blue", 0x00FF00, 480, 0, 0, 0x0000FF},
        {"saturation -100 makes grey", 0xFF0000, 0, -100, 0, 0x808080},
        {"grey has no hue to turn", 0x808080, 77, 50, 0, 0x808080},
        {"white stays under brightness", 0xFFFFFF, 0, 0, 100, 0xFFFFFF},
        {"black stays under brightness", 0x000000, 0, 0, -100, 0x000000},
        {"mid grey brightened by 100 lightens a quarter", 0x808080, 0, 0, 100, 0xC0C0C0},
        {"out-of-range brightness is clamped", 0x808080, 0, 0, INT_MAX, 0xC0C0C0},
        {"out-of-range saturation is clamped", 0xFF0000, 0, INT_MIN, 0, 0x808080},
        {"the most negative hue still turns", 0xFF0000, INT_MIN, 0, 0,
         SkinAdjustColor(0xFF0000, INT_MIN % 360 + 360, 0, 0)},
    };
    for (const Case& c : cases) {
        uint32_t got = SkinAdjustColor(c.in, c.hue, c.saturation, c.brightness);
        EXPECT_TRUE(Near(got, c.out)) << c.what << ": got " << std::hex << got;
    }
}

TEST(PaletteTest, ProgramAdjustmentKeepsTheShippedSkinReadable) {
    // The program attaches with 12, 12, 12: text must stay dark on light
    // grounds and light on the buttons, and the hue must move towards blue.
    Parsed parsed = Parse(ReadFile(SKIN_FILE_PATH));
    ASSERT_EQ(parsed.ok, 1);
    SkinTheme& t = *parsed.theme;
    uint32_t accentBefore = t.colors[SKIN_COLOR_WINDOW_ACCENT];
    SkinAdjustPalette(&t, 12, 12, 12);
    auto luma = [](uint32_t c) {
        return (Channel(c, 16) * 3 + Channel(c, 8) * 6 + Channel(c, 0)) / 10;
    };
    EXPECT_GT(luma(t.colors[SKIN_COLOR_WINDOW_BOTTOM]) - luma(t.colors[SKIN_COLOR_LABEL_TEXT]),
              120);
    EXPECT_GT(luma(t.colors[SKIN_COLOR_EDIT_FACE]) - luma(t.colors[SKIN_COLOR_EDIT_TEXT]), 150);
    EXPECT_GT(luma(t.colors[SKIN_COLOR_BUTTON_TEXT]) - luma(t.colors[SKIN_COLOR_BUTTON_TOP]), 80);
    EXPECT_GT(Channel(t.colors[SKIN_COLOR_WINDOW_ACCENT], 0) -
                  Channel(t.colors[SKIN_COLOR_WINDOW_ACCENT], 8),
              Channel(accentBefore, 0) - Channel(accentBefore, 8));
    EXPECT_EQ(t.colors[SKIN_COLOR_EDIT_FACE], 0xFFFFFFu);
}

TEST(PaletteTest, BitmapPixelsAreAdjustedToo) {
    Parsed parsed = Parse(ReadFile(TEXTURED_SKIN_PATH));
    ASSERT_EQ(parsed.ok, 1);
    SkinAdjustPalette(parsed.theme.get(), 0, -100, 0);
    const SkinBitmap& bitmap = parsed.theme->bitmaps[SKIN_BITMAP_WINDOW_TEXTURE];
    for (int i = 0; i < 4; ++i) {
        uint32_t p = bitmap.pixels[i];
        EXPECT_EQ(Channel(p, 16), Channel(p, 8)) << i;
        EXPECT_EQ(Channel(p, 8), Channel(p, 0)) << i;
    }
}

} // namespace
