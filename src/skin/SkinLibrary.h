/* The skin library's exports: lanzou-skin.dll, our own skin library.
 *
 * The library carries no C runtime and runs from an image mapped by the
 * program's in-memory loader as well as from LoadLibrary. Its entry point
 * takes no notice of its module handle, which the in-memory loader passes as 0.
 *
 * SkinH_AttachRes(skin, length, password, hue, saturation, brightness)
 *   stdcall, six 32-bit arguments, returns non-zero on success.
 *   skin, length: a skin file (format in SkinFormat.h), read in place; the
 *     library keeps what it needs and no pointer into it.
 *   password: NUL-terminated text (at most 255 bytes) that decrypts an
 *     encrypted skin file, or null.
 *   hue, saturation, brightness: palette adjustment applied to every colour
 *     of the skin (SkinAdjustPalette in SkinFormat.h):
 *       hue        degrees added to each colour's hue, taken modulo 360;
 *       saturation percent change of the saturation, -100..100 (clamped);
 *       brightness -100..100 (clamped): mid-tones lighten (or darken) by
 *                  that percentage of L * (1 - L), black and white stay.
 *   On success the calling thread's windows are themed: top-level windows of
 *   classes registered by the program's own module, dialogs (#32770, so the
 *   program's message boxes too), and their Edit, Static and Button children,
 *   including windows the thread creates later. Windows of other threads and
 *   of other modules' classes are left alone. A second call replaces the
 *   theme. On failure (null or unreadable memory, a length outside 16 bytes
 *   .. 1 MiB, a file that does not read, a wrong or missing password, a
 *   password without a NUL within 256 bytes) it returns 0 and changes nothing.
 *
 * SkinH_GetAttachRecord() -> const SkinAttachRecord*
 *   What the library has seen, for tests: its entry-point calls and the
 *   arguments and result of the latest attach call. The record also lives in
 *   a named shared memory section, SKIN_RECORD_SECTION_PREFIX followed by the
 *   process id in decimal, so that a test can read it from another process
 *   while the program runs.
 */
#ifndef LANZOU_SKIN_SKINLIBRARY_H
#define LANZOU_SKIN_SKINLIBRARY_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define SKIN_RECORD_MAGIC 0x52535A4Cu /* "LZSR" */
#define SKIN_RECORD_SECTION_PREFIX "LanzouSkin.AttachRecord."

typedef struct SkinAttachRecord {
    uint32_t magic;
    uint32_t processAttaches; /* entry-point calls with reason process attach */
    uint32_t processDetaches; /* ... and with reason process detach */
    uint32_t calls;           /* SkinH_AttachRes calls */
    uint32_t lastSkin;        /* the latest call's six arguments */
    uint32_t lastLength;
    uint32_t lastPassword;
    int32_t lastHue;
    int32_t lastSaturation;
    int32_t lastBrightness;
    int32_t lastResult;
    uint32_t lastSkinHash;  /* FNV-1a of the skin bytes given; 0 when unreadable */
    uint32_t themedWindows; /* windows the theme holds now */
} SkinAttachRecord;

#ifdef __cplusplus
}
#endif

#endif
