/* The skin file format and the palette adjustment of the skin library.
 *
 * This half is portable C with no system headers, so that the native build can
 * hammer the parser under the sanitizers and a fuzzer; the Windows half of the
 * library (SkinLibrary_win.c) only turns a parsed theme into brushes and fonts.
 *
 * Skin file, all numbers little-endian:
 *
 *   offset size  field
 *   0      4     magic "LZSK"
 *   4      2     version, 1
 *   6      2     flags: bit 0 set = payload encrypted with the password; other bits 0
 *   8      4     payload length N; the file is exactly 16 + N bytes
 *   12     4     FNV-1a 32-bit hash of the plain (decrypted) payload
 *   16     N     payload: a sequence of records
 *
 * Record: tag (1 byte), slot (1 byte), data length L (2 bytes), L data bytes.
 *   tag 1 colour: L = 3, red, green, blue.
 *   tag 2 font:   L = 6 + F, height in pixels (int16, negative = character
 *                 height as in LOGFONT), weight (uint16, 1..1000), flags
 *                 (uint8, bit 0 italic), reserved (uint8, 0), then F (1..63)
 *                 bytes of UTF-8 face name. Several font records for one slot
 *                 are fallbacks, tried in file order (at most 4 are kept).
 *   tag 3 metric: L = 2, value (int16) within the slot's range (SkinMetricRange).
 *   tag 4 bitmap: L = 4 + 3 * W * H, width W and height H (uint16, 1..64 each),
 *                 then W * H pixels of red, green, blue, rows top to bottom.
 * Unknown tags and unknown slots of known tags are skipped, so newer files
 * still load; a known record of the wrong length or with a value out of range
 * makes the whole file unreadable. A later record for the same colour, metric
 * or bitmap slot replaces the earlier one. Slots a file leaves out keep the
 * library's built-in defaults (SkinThemeDefaults).
 *
 * Encryption keeps casual edits out, it is no protection: key = FNV-1a 32 of
 * the password bytes (0x9E3779B9 when that is 0); for every payload byte in
 * order, key is stepped by xorshift32 (key ^= key << 13; key ^= key >> 17;
 * key ^= key << 5) and the byte is XORed with the low 8 bits of key. A wrong
 * password yields a payload whose hash does not match, so the file is refused.
 * A password given for a file that is not encrypted is not used; an encrypted
 * file without a password is refused.
 */
#ifndef LANZOU_SKIN_SKINFORMAT_H
#define LANZOU_SKIN_SKINFORMAT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SKIN_HEADER_SIZE 16u
#define SKIN_MAX_FILE_SIZE (1u << 20)
#define SKIN_MAX_PASSWORD 255u
#define SKIN_MAX_FACE_BYTES 63u
#define SKIN_MAX_FONT_CANDIDATES 4u
#define SKIN_MAX_BITMAP_SIDE 64u

enum SkinTag { SKIN_TAG_COLOR = 1, SKIN_TAG_FONT = 2, SKIN_TAG_METRIC = 3, SKIN_TAG_BITMAP = 4 };

/* Colour slots. The skin compiler reads the names in these comments. */
enum SkinColorSlot {
    SKIN_COLOR_WINDOW_TOP = 0,             /* window.top: window background, top of the gradient */
    SKIN_COLOR_WINDOW_BOTTOM = 1,          /* window.bottom: window background, bottom */
    SKIN_COLOR_WINDOW_ACCENT = 2,          /* window.accent: stripe along the window's top edge */
    SKIN_COLOR_LABEL_TEXT = 3,             /* label.text: text of labels */
    SKIN_COLOR_EDIT_FACE = 4,              /* edit.face: inside of edit boxes */
    SKIN_COLOR_EDIT_TEXT = 5,              /* edit.text: text typed into edit boxes */
    SKIN_COLOR_EDIT_BORDER = 6,            /* edit.border: border of an edit box */
    SKIN_COLOR_EDIT_BORDER_FOCUS = 7,      /* edit.border.focus: border of the focused edit box */
    SKIN_COLOR_BUTTON_TOP = 8,             /* button.top: button face, top of the gradient */
    SKIN_COLOR_BUTTON_BOTTOM = 9,          /* button.bottom: button face, bottom */
    SKIN_COLOR_BUTTON_BORDER = 10,         /* button.border: button outline */
    SKIN_COLOR_BUTTON_TEXT = 11,           /* button.text: button caption */
    SKIN_COLOR_BUTTON_HOVER_TOP = 12,      /* button.hover.top: face under the mouse, top */
    SKIN_COLOR_BUTTON_HOVER_BOTTOM = 13,   /* button.hover.bottom: face under the mouse, bottom */
    SKIN_COLOR_BUTTON_PRESSED_TOP = 14,    /* button.pressed.top: pressed face, top */
    SKIN_COLOR_BUTTON_PRESSED_BOTTOM = 15, /* button.pressed.bottom: pressed face, bottom */
    SKIN_COLOR_BUTTON_FOCUS = 16,          /* button.focus: focus ring and default-button ring */
    SKIN_COLOR_DIALOG_TOP = 17,            /* dialog.top: message box background, top */
    SKIN_COLOR_DIALOG_BOTTOM = 18,         /* dialog.bottom: message box background, bottom */
    SKIN_COLOR_DIALOG_TEXT = 19,           /* dialog.text: message box text */
    SKIN_COLOR_DISABLED_TEXT = 20,         /* disabled.text: text of disabled controls */
    SKIN_COLOR_COUNT = 21
};

enum SkinFontSlot {
    SKIN_FONT_UI = 0,     /* ui: labels and edit boxes */
    SKIN_FONT_BUTTON = 1, /* button: button captions */
    SKIN_FONT_COUNT = 2
};

enum SkinMetricSlot {
    SKIN_METRIC_BUTTON_RADIUS = 0, /* button.radius: corner radius of buttons, 0..12 */
    SKIN_METRIC_EDIT_RADIUS = 1,   /* edit.radius: corner radius of edit boxes, 0..12 */
    SKIN_METRIC_EDIT_BORDER = 2,   /* edit.border: edit box border width, 1..3 */
    SKIN_METRIC_ACCENT_HEIGHT = 3, /* accent.height: height of the top stripe, 0..8 */
    SKIN_METRIC_EDIT_PADDING = 4,  /* edit.padding: text inset from the edit's sides, 0..12 */
    SKIN_METRIC_COUNT = 5
};

enum SkinBitmapSlot {
    SKIN_BITMAP_WINDOW_TEXTURE = 0, /* window.texture: tiled instead of the gradient */
    SKIN_BITMAP_COUNT = 1
};

typedef struct SkinFont {
    int16_t height;
    uint16_t weight;
    uint8_t italic;
    uint8_t faceLength;
    char face[SKIN_MAX_FACE_BYTES + 1]; /* UTF-8, NUL-terminated */
} SkinFont;

typedef struct SkinBitmap {
    uint16_t width; /* 0 when the slot is empty */
    uint16_t height;
    uint32_t pixels[SKIN_MAX_BITMAP_SIDE * SKIN_MAX_BITMAP_SIDE]; /* 0x00RRGGBB, row-major */
} SkinBitmap;

typedef struct SkinTheme {
    uint32_t colors[SKIN_COLOR_COUNT]; /* 0x00RRGGBB */
    SkinFont fonts[SKIN_FONT_COUNT][SKIN_MAX_FONT_CANDIDATES];
    uint8_t fontCount[SKIN_FONT_COUNT];
    int16_t metrics[SKIN_METRIC_COUNT];
    SkinBitmap bitmaps[SKIN_BITMAP_COUNT];
} SkinTheme;

/* The inclusive range of a metric slot's values. */
void SkinMetricRange(unsigned slot, int16_t* lowOut, int16_t* highOut);

/* Fills a theme with the built-in defaults: a neutral grey look, no fonts. */
void SkinThemeDefaults(SkinTheme* theme);

/* FNV-1a 32-bit hash, the file's checksum. */
uint32_t SkinHash(const uint8_t* data, uint32_t length);

/* Reads a skin file into theme (which it first resets to the defaults).
 * password may be null; passwordLength is its length in bytes. Returns 1 when
 * the file was read, 0 when it cannot be; theme is then unspecified. */
int SkinParse(const uint8_t* data, uint32_t length, const uint8_t* password,
              uint32_t passwordLength, SkinTheme* theme);

/* The palette adjustment made by the attach call's three integers, applied to
 * every colour and bitmap pixel of the theme in HSL terms:
 *   hue:        degrees added to the hue (any value, taken modulo 360);
 *   saturation: percent by which the saturation is scaled, -100..100
 *               (-100 turns the theme grey, 100 doubles it); clamped;
 *   brightness: -100..100; lightness L becomes L + (b / 100) * L * (1 - L),
 *               which brightens (or darkens) the mid-tones and keeps black
 *               and white where they are; clamped.
 * 0, 0, 0 leaves the theme unchanged. */
void SkinAdjustPalette(SkinTheme* theme, int32_t hue, int32_t saturation, int32_t brightness);

/* The same adjustment on one 0x00RRGGBB colour. */
uint32_t SkinAdjustColor(uint32_t rgb, int32_t hue, int32_t saturation, int32_t brightness);

#ifdef __cplusplus
}
#endif

#endif
