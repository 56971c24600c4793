/* Reading skin files and adjusting their palette; the format is described in
 * SkinFormat.h. Every length is checked against what is left before it is
 * used, as `wanted <= left`, and the payload is read strictly in order so that
 * the decryption can run as a stream over constant data. */
#include "skin/SkinFormat.h"

#include <string.h>

static const uint32_t kFnvOffset = 2166136261u;
static const uint32_t kFnvPrime = 16777619u;

uint32_t SkinHash(const uint8_t* data, uint32_t length) {
    uint32_t hash = kFnvOffset;
    for (uint32_t i = 0; i < length; ++i) {
        hash ^= data[i];
        hash *= kFnvPrime;
    }
    return hash;
}

void SkinMetricRange(unsigned slot, int16_t* lowOut, int16_t* highOut) {
    static const int16_t ranges[SKIN_METRIC_COUNT][2] = {
        {0, 12}, /* button.radius */
        {0, 12}, /* edit.radius */
        {1, 3},  /* edit.border */
        {0, 8},  /* accent.height */
        {0, 12}, /* edit.padding */
    };
    if (slot >= SKIN_METRIC_COUNT) {
        *lowOut = 0;
        *highOut = 0;
        return;
    }
    *lowOut = ranges[slot][0];
    *highOut = ranges[slot][1];
}

void SkinThemeDefaults(SkinTheme* theme) {
    static const uint32_t colors[SKIN_COLOR_COUNT] = {
        0xF0F0F0, 0xE4E4E4, 0x808080, 0x202020, 0xFFFFFF, 0x000000, 0xA0A0A0,
        0x606060, 0xF8F8F8, 0xDCDCDC, 0x909090, 0x202020, 0xFFFFFF, 0xE8E8E8,
        0xC8C8C8, 0xD8D8D8, 0x606060, 0xF0F0F0, 0xE4E4E4, 0x202020, 0x909090,
    };
    static const int16_t metrics[SKIN_METRIC_COUNT] = {3, 2, 1, 2, 4};
    memset(theme, 0, sizeof *theme);
    memcpy(theme->colors, colors, sizeof colors);
    memcpy(theme->metrics, metrics, sizeof metrics);
}

/* The payload as a stream of plain bytes, with a sticky failure. */
typedef struct PayloadReader {
    const uint8_t* bytes; /* start of the payload */
    uint32_t length;
    uint32_t pos;
    int encrypted;
    uint32_t key;
    uint32_t hash;
    int failed;
} PayloadReader;

static uint32_t PayloadLeft(const PayloadReader* reader) {
    return reader->length - reader->pos;
}

static uint8_t ReadByte(PayloadReader* reader) {
    if (reader->failed || reader->pos >= reader->length) {
        reader->failed = 1;
        return 0;
    }
    uint8_t value = reader->bytes[reader->pos++];
    if (reader->encrypted) {
        uint32_t key = reader->key;
        key ^= key << 13;
        key ^= key >> 17;
        key ^= key << 5;
        reader->key = key;
        value ^= (uint8_t)(key & 0xFFu);
    }
    reader->hash = (reader->hash ^ value) * kFnvPrime;
    return value;
}

static uint16_t ReadU16(PayloadReader* reader) {
    uint16_t low = ReadByte(reader);
    uint16_t high = ReadByte(reader);
    return (uint16_t)(low | (high << 8));
}

static void SkipBytes(PayloadReader* reader, uint32_t count) {
    for (uint32_t i = 0; i < count && !reader->failed; ++i) {
        ReadByte(reader);
    }
}

static uint16_t HeaderU16(const uint8_t* p) {
    return (uint16_t)(p[0] | (p[1] << 8));
}

static uint32_t HeaderU32(const uint8_t* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

static int ReadColor(PayloadReader* reader, unsigned slot, uint32_t length, SkinTheme* theme) {
    if (slot >= SKIN_COLOR_COUNT) {
        SkipBytes(reader, length);
        return 1;
    }
    if (length != 3) {
        return 0;
    }
    uint32_t red = ReadByte(reader);
    uint32_t green = ReadByte(reader);
    uint32_t blue = ReadByte(reader);
    theme->colors[slot] = (red << 16) | (green << 8) | blue;
    return 1;
}

static int ReadFont(PayloadReader* reader, unsigned slot, uint32_t length, SkinTheme* theme) {
    if (slot >= SKIN_FONT_COUNT) {
        SkipBytes(reader, length);
        return 1;
    }
    if (length < 7 || length - 6 > SKIN_MAX_FACE_BYTES) {
        return 0;
    }
    SkinFont font;
    memset(&font, 0, sizeof font);
    font.height = (int16_t)ReadU16(reader);
    font.weight = ReadU16(reader);
    uint8_t flags = ReadByte(reader);
    uint8_t reserved = ReadByte(reader);
    font.faceLength = (uint8_t)(length - 6);
    for (uint32_t i = 0; i < font.faceLength; ++i) {
        font.face[i] = (char)ReadByte(reader);
        if (font.face[i] == 0) {
            return 0;
        }
    }
    if (font.weight < 1 || font.weight > 1000 || (flags & ~1u) != 0 || reserved != 0 ||
        font.height == 0 || font.height < -200 || font.height > 200) {
        return 0;
    }
    font.italic = flags & 1u;
    if (theme->fontCount[slot] < SKIN_MAX_FONT_CANDIDATES) {
        theme->fonts[slot][theme->fontCount[slot]++] = font;
    }
    return 1;
}

static int ReadMetric(PayloadReader* reader, unsigned slot, uint32_t length, SkinTheme* theme) {
    if (slot >= SKIN_METRIC_COUNT) {
        SkipBytes(reader, length);
        return 1;
    }
    if (length != 2) {
        return 0;
    }
    int16_t value = (int16_t)ReadU16(reader);
    int16_t low, high;
    SkinMetricRange(slot, &low, &high);
    if (value < low || value > high) {
        return 0;
    }
    theme->metrics[slot] = value;
    return 1;
}

static int ReadBitmap(PayloadReader* reader, unsigned slot, uint32_t length, SkinTheme* theme) {
    if (slot >= SKIN_BITMAP_COUNT) {
        SkipBytes(reader, length);
        return 1;
    }
    if (length < 4) {
        return 0;
    }
    uint32_t width = ReadU16(reader);
    uint32_t height = ReadU16(reader);
    if (width < 1 || width > SKIN_MAX_BITMAP_SIDE || height < 1 || height > SKIN_MAX_BITMAP_SIDE ||
        length - 4 != 3 * width * height) {
        return 0;
    }
    SkinBitmap* bitmap = &theme->bitmaps[slot];
    bitmap->width = (uint16_t)width;
    bitmap->height = (uint16_t)height;
    for (uint32_t i = 0; i < width * height; ++i) {
        uint32_t red = ReadByte(reader);
        uint32_t green = ReadByte(reader);
        uint32_t blue = ReadByte(reader);
        bitmap->pixels[i] = (red << 16) | (green << 8) | blue;
    }
    return 1;
}

int SkinParse(const uint8_t* data, uint32_t length, const uint8_t* password,
              uint32_t passwordLength, SkinTheme* theme) {
    SkinThemeDefaults(theme);
    if (data == 0 || length < SKIN_HEADER_SIZE || length > SKIN_MAX_FILE_SIZE) {
        return 0;
    }
    if (memcmp(data, "LZSK", 4) != 0 || HeaderU16(data + 4) != 1) {
        return 0;
    }
    uint16_t flags = HeaderU16(data + 6);
    uint32_t payloadLength = HeaderU32(data + 8);
    uint32_t expectedHash = HeaderU32(data + 12);
    if ((flags & ~1u) != 0 || payloadLength != length - SKIN_HEADER_SIZE) {
        return 0;
    }

    PayloadReader reader;
    memset(&reader, 0, sizeof reader);
    reader.bytes = data + SKIN_HEADER_SIZE;
    reader.length = payloadLength;
    reader.hash = kFnvOffset;
    if (flags & 1u) {
        if (password == 0 || passwordLength == 0) {
            return 0;
        }
        reader.encrypted = 1;
        reader.key = SkinHash(password, passwordLength);
        if (reader.key == 0) {
            reader.key = 0x9E3779B9u;
        }
    }

    while (!reader.failed && PayloadLeft(&reader) > 0) {
        if (PayloadLeft(&reader) < 4) {
            return 0;
        }
        unsigned tag = ReadByte(&reader);
        unsigned slot = ReadByte(&reader);
        uint32_t recordLength = ReadU16(&reader);
        if (recordLength > PayloadLeft(&reader)) {
            return 0;
        }
        int ok;
        switch (tag) {
        case SKIN_TAG_COLOR:
            ok = ReadColor(&reader, slot, recordLength, theme);
            break;
        case SKIN_TAG_FONT:
            ok = ReadFont(&reader, slot, recordLength, theme);
            break;
        case SKIN_TAG_METRIC:
            ok = ReadMetric(&reader, slot, recordLength, theme);
            break;
        case SKIN_TAG_BITMAP:
            ok = ReadBitmap(&reader, slot, recordLength, theme);
            break;
        default:
            SkipBytes(&reader, recordLength);
            ok = 1;
            break;
        }
        if (!ok) {
            return 0;
        }
    }
    return !reader.failed && reader.hash == expectedHash;
}

/* HSL in integers: hue in sixteenths of a degree (0..5759), saturation and
 * lightness in 0..4096. */
enum { kHueFull = 360 * 16, kHueSector = 60 * 16, kUnit = 4096 };

static int32_t Clamp(int32_t value, int32_t low, int32_t high) {
    return value < low ? low : (value > high ? high : value);
}

static void RgbToHsl(uint32_t rgb, int32_t* hOut, int32_t* sOut, int32_t* lOut) {
    int32_t r = (int32_t)((rgb >> 16) & 0xFF), g = (int32_t)((rgb >> 8) & 0xFF),
            b = (int32_t)(rgb & 0xFF);
    int32_t max = r > g ? (r > b ? r : b) : (g > b ? g : b);
    int32_t min = r < g ? (r < b ? r : b) : (g < b ? g : b);
    int32_t sum = max + min;
    int32_t d = max - min;
    *lOut = (sum * kUnit + 255) / 510;
    if (d == 0) {
        *hOut = 0;
        *sOut = 0;
        return;
    }
    *sOut = sum <= 255 ? (d * kUnit + sum / 2) / sum : (d * kUnit + (510 - sum) / 2) / (510 - sum);
    int32_t h;
    if (max == r) {
        h = kHueSector * (g - b) / d;
    } else if (max == g) {
        h = kHueSector * (b - r) / d + 2 * kHueSector;
    } else {
        h = kHueSector * (r - g) / d + 4 * kHueSector;
    }
    if (h < 0) {
        h += kHueFull;
    }
    *hOut = h;
}

static uint32_t HslToRgb(int32_t h, int32_t s, int32_t l) {
    int32_t twoL = 2 * l - kUnit;
    int32_t chroma = (kUnit - (twoL < 0 ? -twoL : twoL)) * s / kUnit;
    int32_t within = h % (2 * kHueSector) - kHueSector;
    int32_t x = chroma * (kHueSector - (within < 0 ? -within : within)) / kHueSector;
    int32_t r = 0, g = 0, b = 0;
    switch (h / kHueSector) {
    case 0:
        r = chroma;
        g = x;
        break;
    case 1:
        r = x;
        g = chroma;
        break;
    case 2:
        g = chroma;
        b = x;
        break;
    case 3:
        g = x;
        b = chroma;
        break;
    case 4:
        r = x;
        b = chroma;
        break;
    default:
        r = chroma;
        b = x;
        break;
    }
    int32_t m = l - chroma / 2;
    r = Clamp(((r + m) * 255 + kUnit / 2) / kUnit, 0, 255);
    g = Clamp(((g + m) * 255 + kUnit / 2) / kUnit, 0, 255);
    b = Clamp(((b + m) * 255 + kUnit / 2) / kUnit, 0, 255);
    return ((uint32_t)r << 16) | ((uint32_t)g << 8) | (uint32_t)b;
}

uint32_t SkinAdjustColor(uint32_t rgb, int32_t hue, int32_t saturation, int32_t brightness) {
    rgb &= 0xFFFFFFu;
    int32_t hueShift = hue % 360;
    saturation = Clamp(saturation, -100, 100);
    brightness = Clamp(brightness, -100, 100);
    if (hueShift == 0 && saturation == 0 && brightness == 0) {
        return rgb;
    }
    if (hueShift < 0) {
        hueShift += 360;
    }
    int32_t h, s, l;
    RgbToHsl(rgb, &h, &s, &l);
    h = (h + hueShift * 16) % kHueFull;
    s = Clamp(s * (100 + saturation) / 100, 0, kUnit);
    l = Clamp(l + brightness * (l * (kUnit - l) / 100) / kUnit, 0, kUnit);
    return HslToRgb(h, s, l);
}

void SkinAdjustPalette(SkinTheme* theme, int32_t hue, int32_t saturation, int32_t brightness) {
    for (unsigned i = 0; i < SKIN_COLOR_COUNT; ++i) {
        theme->colors[i] = SkinAdjustColor(theme->colors[i], hue, saturation, brightness);
    }
    for (unsigned slot = 0; slot < SKIN_BITMAP_COUNT; ++slot) {
        SkinBitmap* bitmap = &theme->bitmaps[slot];
        uint32_t count = (uint32_t)bitmap->width * bitmap->height;
        for (uint32_t i = 0; i < count; ++i) {
            bitmap->pixels[i] = SkinAdjustColor(bitmap->pixels[i], hue, saturation, brightness);
        }
    }
}
