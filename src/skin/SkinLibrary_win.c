/* The skin library: themes a thread's windows from a skin file.
 *
 * Windows are themed by subclassing (our window procedure in front of theirs,
 * the original kept in a window property) and by answering the colour and
 * owner-draw messages their parents receive. A thread-local CBT hook catches
 * windows created after the attach, which is how the program's message boxes
 * get the theme. Push buttons are switched to owner-draw so that every state
 * (normal, hover, pressed, focused, default) is ours to paint; labels get the
 * parent's background as a pattern brush aligned to their position, which
 * makes them transparent over the gradient; single-line edit boxes get a flat
 * rounded border and their text centred vertically through the non-client
 * area.
 *
 * The library links no C runtime and is loaded from memory by the program,
 * so it keeps to kernel32, user32 and gdi32, and never uses its module handle.
 */
#include <windows.h>

#include "skin/SkinFormat.h"
#include "skin/SkinLibrary.h"

#define EXPORT __declspec(dllexport)

enum WindowKind {
    KIND_FRAME = 1,
    KIND_DIALOG,
    KIND_EDIT,
    KIND_STATIC,
    KIND_BUTTON,
    KIND_OTHER_BUTTON
};

typedef struct WindowState {
    WNDPROC original;
    int unicode;
    int kind;
    int hover;
    int isDefault;
    int ownerDrawn;
    LONG originalButtonType;
    /* frames and dialogs: the painted background, kept as a pattern brush */
    HBITMAP background;
    HBRUSH backgroundBrush;
    int backgroundWidth, backgroundHeight;
    unsigned backgroundGeneration;
} WindowState;

static const WCHAR kStateProperty[] = L"LanzouSkin.State";

static SkinAttachRecord g_localRecord;
static SkinAttachRecord* g_record = &g_localRecord;

static SkinTheme g_scratch; /* where a skin is read before it is accepted */
static SkinTheme g_theme;
static int g_hasTheme;
static unsigned g_generation;
static HFONT g_fonts[SKIN_FONT_COUNT];
static int g_lineHeight = 16;
static HBRUSH g_editBrush;

#define MAX_HOOKED_THREADS 16
static struct {
    DWORD thread;
    HHOOK hook;
} g_hooks[MAX_HOOKED_THREADS];

/* ---- the attach record ---- */

static void OpenRecord(void) {
    WCHAR name[64];
    wsprintfW(name, L"%S%lu", SKIN_RECORD_SECTION_PREFIX, (unsigned long)GetCurrentProcessId());
    HANDLE section = CreateFileMappingW(INVALID_HANDLE_VALUE, NULL, PAGE_READWRITE, 0, 4096, name);
    if (section == NULL) {
        return;
    }
    void* view =
        MapViewOfFile(section, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(SkinAttachRecord));
    if (view == NULL) {
        CloseHandle(section);
        return;
    }
    /* The section stays open for the life of the process: tests read it. */
    g_record = view;
    g_record->magic = SKIN_RECORD_MAGIC;
}

/* ---- checking what the caller handed over ---- */

static int IsReadable(const void* address, uint32_t length) {
    uintptr_t at = (uintptr_t)address;
    uintptr_t end = at + length;
    if (end < at) {
        return 0;
    }
    while (at < end) {
        MEMORY_BASIC_INFORMATION info;
        if (VirtualQuery((const void*)at, &info, sizeof info) != sizeof info) {
            return 0;
        }
        DWORD readable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                         PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
        if (info.State != MEM_COMMIT || (info.Protect & (PAGE_GUARD | PAGE_NOACCESS)) != 0 ||
            (info.Protect & readable) == 0) {
            return 0;
        }
        uintptr_t next = (uintptr_t)info.BaseAddress + info.RegionSize;
        if (next <= at) {
            return 0;
        }
        at = next;
    }
    return 1;
}

/* Length of a NUL-terminated password, or -1 when it is unreadable or too long. */
static int PasswordLength(const char* password) {
    for (uint32_t i = 0; i <= SKIN_MAX_PASSWORD; ++i) {
        if ((i == 0 || (((uintptr_t)password + i) & 0xFFFu) == 0) && !IsReadable(password + i, 1)) {
            return -1;
        }
        if (password[i] == 0) {
            return (int)i;
        }
    }
    return -1;
}

/* ---- colours and drawing helpers ---- */

static COLORREF Color(unsigned slot) {
    uint32_t rgb = g_theme.colors[slot];
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

static COLORREF Mix(COLORREF a, COLORREF b, int partOfB, int whole) {
    int r = (GetRValue(a) * (whole - partOfB) + GetRValue(b) * partOfB) / whole;
    int g = (GetGValue(a) * (whole - partOfB) + GetGValue(b) * partOfB) / whole;
    int bl = (GetBValue(a) * (whole - partOfB) + GetBValue(b) * partOfB) / whole;
    return RGB(r, g, bl);
}

static void FillSolid(HDC dc, int left, int top, int right, int bottom, COLORREF color) {
    RECT rect = {left, top, right, bottom};
    SetDCBrushColor(dc, color);
    FillRect(dc, &rect, (HBRUSH)GetStockObject(DC_BRUSH));
}

static void FillGradient(HDC dc, int left, int top, int right, int bottom, COLORREF from,
                         COLORREF to) {
    int height = bottom - top;
    for (int y = 0; y < height; ++y) {
        FillSolid(dc, left, top + y, right, top + y + 1,
                  Mix(from, to, y, height > 1 ? height - 1 : 1));
    }
}

static void PaintTexture(HDC dc, const SkinBitmap* bitmap, int width, int height) {
    BITMAPINFO info;
    memset(&info, 0, sizeof info);
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = bitmap->width;
    info.bmiHeader.biHeight = -(LONG)bitmap->height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    for (int y = 0; y < height; y += bitmap->height) {
        for (int x = 0; x < width; x += bitmap->width) {
            SetDIBitsToDevice(dc, x, y, bitmap->width, bitmap->height, 0, 0, 0, bitmap->height,
                              bitmap->pixels, &info, DIB_RGB_COLORS);
        }
    }
}

static void FreeBackground(WindowState* state) {
    if (state->backgroundBrush) {
        DeleteObject(state->backgroundBrush);
    }
    if (state->background) {
        DeleteObject(state->background);
    }
    state->backgroundBrush = NULL;
    state->background = NULL;
}

/* The background of a frame or dialog, painted once per size and theme. */
static HBRUSH BackgroundBrush(WindowState* state, HWND window) {
    RECT client;
    GetClientRect(window, &client);
    int width = client.right > 0 ? client.right : 1;
    int height = client.bottom > 0 ? client.bottom : 1;
    if (state->backgroundBrush && state->backgroundWidth == width &&
        state->backgroundHeight == height && state->backgroundGeneration == g_generation) {
        return state->backgroundBrush;
    }
    FreeBackground(state);
    HDC screen = GetDC(NULL);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    ReleaseDC(NULL, screen);
    if (memory == NULL || bitmap == NULL) {
        if (memory) {
            DeleteDC(memory);
        }
        if (bitmap) {
            DeleteObject(bitmap);
        }
        return (HBRUSH)GetStockObject(WHITE_BRUSH);
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    int dialog = state->kind == KIND_DIALOG;
    const SkinBitmap* texture = &g_theme.bitmaps[SKIN_BITMAP_WINDOW_TEXTURE];
    if (texture->width > 0 && !dialog) {
        PaintTexture(memory, texture, width, height);
    } else {
        FillGradient(memory, 0, 0, width, height,
                     Color(dialog ? SKIN_COLOR_DIALOG_TOP : SKIN_COLOR_WINDOW_TOP),
                     Color(dialog ? SKIN_COLOR_DIALOG_BOTTOM : SKIN_COLOR_WINDOW_BOTTOM));
    }
    int accent = g_theme.metrics[SKIN_METRIC_ACCENT_HEIGHT];
    if (accent > 0) {
        FillSolid(memory, 0, 0, width, accent, Color(SKIN_COLOR_WINDOW_ACCENT));
    }
    SelectObject(memory, old);
    DeleteDC(memory);
    state->background = bitmap;
    state->backgroundBrush = CreatePatternBrush(bitmap);
    state->backgroundWidth = width;
    state->backgroundHeight = height;
    state->backgroundGeneration = g_generation;
    return state->backgroundBrush ? state->backgroundBrush : (HBRUSH)GetStockObject(WHITE_BRUSH);
}

static WindowState* StateOf(HWND window) {
    return window ? (WindowState*)GetPropW(window, kStateProperty) : NULL;
}

static int IsContainer(const WindowState* state) {
    return state && (state->kind == KIND_FRAME || state->kind == KIND_DIALOG);
}

/* Selects the parent's background brush into place for a child's DC: the
 * brush origin moves so the pattern lines up with what the parent shows. */
static HBRUSH ParentBackgroundFor(HWND child, HDC dc, int windowOriginX, int windowOriginY) {
    HWND parent = GetParent(child);
    WindowState* parentState = StateOf(parent);
    if (!IsContainer(parentState)) {
        return NULL;
    }
    HBRUSH brush = BackgroundBrush(parentState, parent);
    POINT origin = {0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    SetBrushOrgEx(dc, -(origin.x - windowOriginX), -(origin.y - windowOriginY), NULL);
    return brush;
}

/* ---- fonts ---- */

static int CALLBACK FontFound(const LOGFONTW* font, const TEXTMETRICW* metrics, DWORD type,
                              LPARAM found) {
    (void)font;
    (void)metrics;
    (void)type;
    *(int*)found = 1;
    return 0;
}

static HFONT CreateSkinFont(unsigned slot) {
    unsigned count = g_theme.fontCount[slot];
    if (count == 0) {
        return NULL;
    }
    HDC screen = GetDC(NULL);
    unsigned chosen = 0;
    LOGFONTW font;
    for (unsigned i = 0; i < count; ++i) {
        memset(&font, 0, sizeof font);
        font.lfCharSet = DEFAULT_CHARSET;
        MultiByteToWideChar(CP_UTF8, 0, g_theme.fonts[slot][i].face, -1, font.lfFaceName,
                            LF_FACESIZE - 1);
        int found = 0;
        EnumFontFamiliesExW(screen, &font, FontFound, (LPARAM)&found, 0);
        if (found) {
            chosen = i;
            break;
        }
    }
    ReleaseDC(NULL, screen);
    const SkinFont* skinFont = &g_theme.fonts[slot][chosen];
    memset(&font, 0, sizeof font);
    font.lfHeight = skinFont->height;
    font.lfWeight = skinFont->weight;
    font.lfItalic = skinFont->italic;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = ANTIALIASED_QUALITY;
    MultiByteToWideChar(CP_UTF8, 0, skinFont->face, -1, font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

static int LineHeightOf(HFONT font) {
    HDC screen = GetDC(NULL);
    HGDIOBJ old = font ? SelectObject(screen, font) : NULL;
    TEXTMETRICW metrics;
    int height = GetTextMetricsW(screen, &metrics) ? metrics.tmHeight : 16;
    if (old) {
        SelectObject(screen, old);
    }
    ReleaseDC(NULL, screen);
    return height;
}

/* ---- calling the window's own procedure ---- */

static LRESULT CallOriginal(WindowState* state, HWND window, UINT message, WPARAM wParam,
                            LPARAM lParam) {
    if (state->unicode) {
        return CallWindowProcW(state->original, window, message, wParam, lParam);
    }
    return CallWindowProcA(state->original, window, message, wParam, lParam);
}

/* ---- painting the controls ---- */

/* Edit boxes without scroll bars hold a line or so of text: they get the
 * flat frame and their text centred vertically, multi-line style or not. */
static int HasOwnFrame(HWND window) {
    return (GetWindowLongW(window, GWL_STYLE) & (WS_VSCROLL | WS_HSCROLL)) == 0;
}

static void PaintEditFrame(HWND window) {
    RECT outer, client;
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    MapWindowPoints(window, NULL, (POINT*)&client, 2);
    OffsetRect(&client, -outer.left, -outer.top);
    int width = outer.right - outer.left, height = outer.bottom - outer.top;
    HDC dc = GetWindowDC(window);
    if (dc == NULL) {
        return;
    }
    ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
    HBRUSH behind = ParentBackgroundFor(window, dc, client.left, client.top);
    RECT all = {0, 0, width, height};
    if (behind) {
        FillRect(dc, &all, behind);
    }
    int border = g_theme.metrics[SKIN_METRIC_EDIT_BORDER];
    int radius = g_theme.metrics[SKIN_METRIC_EDIT_RADIUS];
    COLORREF line =
        GetFocus() == window ? Color(SKIN_COLOR_EDIT_BORDER_FOCUS) : Color(SKIN_COLOR_EDIT_BORDER);
    HPEN pen = CreatePen(PS_INSIDEFRAME, border, line);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, g_editBrush);
    RoundRect(dc, 0, 0, width, height, 2 * radius, 2 * radius);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    ReleaseDC(window, dc);
}

static void DrawButton(const DRAWITEMSTRUCT* item, WindowState* state) {
    HDC dc = item->hDC;
    RECT rect = item->rcItem;
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HBRUSH behind = ParentBackgroundFor(item->hwndItem, dc, 0, 0);
    if (behind) {
        FillRect(dc, &rect, behind);
    }
    int pressed = (item->itemState & ODS_SELECTED) != 0;
    int disabled = (item->itemState & ODS_DISABLED) != 0;
    int focused = (item->itemState & ODS_FOCUS) != 0;
    unsigned top = SKIN_COLOR_BUTTON_TOP, bottom = SKIN_COLOR_BUTTON_BOTTOM;
    if (pressed) {
        top = SKIN_COLOR_BUTTON_PRESSED_TOP;
        bottom = SKIN_COLOR_BUTTON_PRESSED_BOTTOM;
    } else if (state->hover && !disabled) {
        top = SKIN_COLOR_BUTTON_HOVER_TOP;
        bottom = SKIN_COLOR_BUTTON_HOVER_BOTTOM;
    }
    int radius = g_theme.metrics[SKIN_METRIC_BUTTON_RADIUS];
    /* The face is one pixel shorter than the button: the last row is its
     * shadow, which the pressed face covers, so pressing looks like sinking. */
    int faceBottom = pressed ? rect.bottom : rect.bottom - 1;
    if (!pressed) {
        HRGN shadow = CreateRoundRectRgn(rect.left, rect.top + 1, rect.right + 1, rect.bottom + 1,
                                         2 * radius, 2 * radius);
        SetDCBrushColor(dc, Mix(Color(SKIN_COLOR_BUTTON_BORDER), RGB(0, 0, 0), 1, 3));
        FillRgn(dc, shadow, (HBRUSH)GetStockObject(DC_BRUSH));
        DeleteObject(shadow);
    }
    HRGN face = CreateRoundRectRgn(rect.left, rect.top, rect.right + 1, faceBottom + 1, 2 * radius,
                                   2 * radius);
    SelectClipRgn(dc, face);
    COLORREF topColor = Color(top), bottomColor = Color(bottom);
    if (disabled) {
        topColor = Mix(topColor, RGB(200, 200, 200), 2, 3);
        bottomColor = Mix(bottomColor, RGB(200, 200, 200), 2, 3);
    }
    FillGradient(dc, rect.left, rect.top, rect.right, faceBottom, topColor, bottomColor);
    if (pressed) {
        FillSolid(dc, rect.left, rect.top + 1, rect.right, rect.top + 2,
                  Mix(topColor, RGB(0, 0, 0), 1, 4));
    } else {
        FillSolid(dc, rect.left, rect.top + 1, rect.right, rect.top + 2,
                  Mix(topColor, RGB(255, 255, 255), 2, 5));
    }
    SelectClipRgn(dc, NULL);
    SetDCBrushColor(dc, Color(SKIN_COLOR_BUTTON_BORDER));
    FrameRgn(dc, face, (HBRUSH)GetStockObject(DC_BRUSH), 1, 1);
    DeleteObject(face);
    if ((focused || state->isDefault) && width > 6 && height > 6) {
        int inner = radius > 2 ? 2 * radius - 2 : 1;
        HRGN ring = CreateRoundRectRgn(rect.left + 2, rect.top + 2, rect.right - 1, faceBottom - 1,
                                       inner, inner);
        SetDCBrushColor(dc, Color(SKIN_COLOR_BUTTON_FOCUS));
        FrameRgn(dc, ring, (HBRUSH)GetStockObject(DC_BRUSH), 1, 1);
        DeleteObject(ring);
    }

    WCHAR text[128];
    int length = GetWindowTextW(item->hwndItem, text, 128);
    HWND parent = GetParent(item->hwndItem);
    WindowState* parentState = StateOf(parent);
    HFONT font = (parentState && parentState->kind == KIND_FRAME && g_fonts[SKIN_FONT_BUTTON])
                     ? g_fonts[SKIN_FONT_BUTTON]
                     : (HFONT)SendMessageW(item->hwndItem, WM_GETFONT, 0, 0);
    HGDIOBJ oldFont = font ? SelectObject(dc, font) : NULL;
    SetBkMode(dc, TRANSPARENT);
    RECT textRect = {rect.left, rect.top, rect.right, faceBottom};
    if (pressed) {
        OffsetRect(&textRect, 1, 1);
    }
    UINT format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_HIDEPREFIX;
    if (!disabled) {
        RECT shadowRect = textRect;
        OffsetRect(&shadowRect, 0, 1);
        SetTextColor(dc, Mix(Color(SKIN_COLOR_BUTTON_BOTTOM), RGB(0, 0, 0), 1, 3));
        DrawTextW(dc, text, length, &shadowRect, format);
    }
    SetTextColor(dc, disabled ? Color(SKIN_COLOR_DISABLED_TEXT) : Color(SKIN_COLOR_BUTTON_TEXT));
    DrawTextW(dc, text, length, &textRect, format);
    if (oldFont) {
        SelectObject(dc, oldFont);
    }
}

/* ---- theming a window ---- */

static int IsClass(HWND window, const WCHAR* name) {
    WCHAR className[64];
    if (GetClassNameW(window, className, 64) == 0) {
        return 0;
    }
    return lstrcmpiW(className, name) == 0;
}

static int KindOfTopLevel(HWND window) {
    if (IsClass(window, L"#32770")) {
        return KIND_DIALOG;
    }
    if ((HMODULE)GetClassLongPtrW(window, GCLP_HMODULE) == GetModuleHandleW(NULL)) {
        return KIND_FRAME;
    }
    return 0;
}

static int KindOfChild(HWND window, LONG style) {
    if (IsClass(window, L"Edit")) {
        return KIND_EDIT;
    }
    if (IsClass(window, L"Static")) {
        return KIND_STATIC;
    }
    if (IsClass(window, L"Button")) {
        LONG type = style & BS_TYPEMASK;
        return (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ? KIND_BUTTON
                                                                   : KIND_OTHER_BUTTON;
    }
    return 0;
}

static LRESULT CALLBACK SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

static WindowState* Subclass(HWND window, int kind) {
    WindowState* state = StateOf(window);
    if (state) {
        return state;
    }
    state = HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof *state);
    if (state == NULL) {
        return NULL;
    }
    state->kind = kind;
    state->unicode = IsWindowUnicode(window) ? 1 : 0;
    if (!SetPropW(window, kStateProperty, state)) {
        HeapFree(GetProcessHeap(), 0, state);
        return NULL;
    }
    LONG_PTR previous = state->unicode
                            ? SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)SkinWindowProc)
                            : SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)SkinWindowProc);
    if (previous == 0) {
        RemovePropW(window, kStateProperty);
        HeapFree(GetProcessHeap(), 0, state);
        return NULL;
    }
    state->original = (WNDPROC)previous;
    g_record->themedWindows++;
    return state;
}

/* What a control needs once it exists: owner-draw for push buttons, the
 * skin's fonts in frames, the edit's new frame. */
static void PrepareControl(HWND window, WindowState* state) {
    WindowState* parentState = StateOf(GetParent(window));
    int inFrame = parentState && parentState->kind == KIND_FRAME;
    if (state->kind == KIND_BUTTON && !state->ownerDrawn) {
        LONG style = GetWindowLongW(window, GWL_STYLE);
        state->originalButtonType = style & BS_TYPEMASK;
        state->isDefault = state->originalButtonType == BS_DEFPUSHBUTTON;
        state->ownerDrawn = 1;
        SetWindowLongW(window, GWL_STYLE, (style & ~BS_TYPEMASK) | BS_OWNERDRAW);
    }
    if (inFrame) {
        HFONT font = g_fonts[state->kind == KIND_BUTTON ? SKIN_FONT_BUTTON : SKIN_FONT_UI];
        if (font) {
            CallOriginal(state, window, WM_SETFONT, (WPARAM)font, FALSE);
        }
    }
    if (state->kind == KIND_EDIT || state->kind == KIND_STATIC) {
        SetWindowPos(window, NULL, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(window, NULL, TRUE);
}

static BOOL CALLBACK ThemeChild(HWND child, LPARAM unused) {
    (void)unused;
    WindowState* parentState = StateOf(GetParent(child));
    if (!IsContainer(parentState)) {
        return TRUE;
    }
    WindowState* state = StateOf(child);
    if (state == NULL) {
        int kind = KindOfChild(child, GetWindowLongW(child, GWL_STYLE));
        if (kind == 0) {
            return TRUE;
        }
        state = Subclass(child, kind);
    }
    if (state) {
        PrepareControl(child, state);
    }
    return TRUE;
}

static BOOL CALLBACK ThemeTopLevel(HWND window, LPARAM unused) {
    (void)unused;
    if (GetWindowLongW(window, GWL_STYLE) & WS_CHILD) {
        return TRUE;
    }
    WindowState* state = StateOf(window);
    if (state == NULL) {
        int kind = KindOfTopLevel(window);
        if (kind == 0) {
            return TRUE;
        }
        state = Subclass(window, kind);
    }
    if (state) {
        EnumChildWindows(window, ThemeChild, 0);
        RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return TRUE;
}

static LRESULT CALLBACK SkinCbtHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && g_hasTheme) {
        HWND window = (HWND)wParam;
        const CREATESTRUCTW* create = ((const CBT_CREATEWNDW*)lParam)->lpcs;
        if (create->style & WS_CHILD) {
            if (IsContainer(StateOf(create->hwndParent))) {
                int kind = KindOfChild(window, create->style);
                if (kind) {
                    Subclass(window, kind);
                }
            }
        } else {
            int kind = KindOfTopLevel(window);
            if (kind) {
                Subclass(window, kind);
            }
        }
    }
    return CallNextHookEx(NULL, code, wParam, lParam);
}

static void HookThread(void) {
    DWORD thread = GetCurrentThreadId();
    int freeSlot = -1;
    for (int i = 0; i < MAX_HOOKED_THREADS; ++i) {
        if (g_hooks[i].hook && g_hooks[i].thread == thread) {
            return;
        }
        if (!g_hooks[i].hook && freeSlot < 0) {
            freeSlot = i;
        }
    }
    if (freeSlot < 0) {
        return;
    }
    /* A hook on our own thread needs no module handle, which we do not have. */
    HHOOK hook = SetWindowsHookExW(WH_CBT, SkinCbtHook, NULL, thread);
    if (hook) {
        g_hooks[freeSlot].thread = thread;
        g_hooks[freeSlot].hook = hook;
    }
}

/* ---- the subclass procedure ---- */

static int HandleContainer(WindowState* state, HWND window, UINT message, WPARAM wParam,
                           LPARAM lParam, LRESULT* result) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = BackgroundBrush(state, window);
        SetBrushOrgEx((HDC)wParam, 0, 0, NULL);
        FillRect((HDC)wParam, &client, brush);
        *result = 1;
        return 1;
    }
    case WM_CTLCOLORDLG:
        SetBrushOrgEx((HDC)wParam, 0, 0, NULL);
        *result = (LRESULT)BackgroundBrush(state, window);
        return 1;
    case WM_CTLCOLOREDIT: {
        if (StateOf((HWND)lParam) == NULL) {
            return 0;
        }
        HDC dc = (HDC)wParam;
        SetTextColor(dc, Color(SKIN_COLOR_EDIT_TEXT));
        SetBkColor(dc, Color(SKIN_COLOR_EDIT_FACE));
        *result = (LRESULT)g_editBrush;
        return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HWND child = (HWND)lParam;
        WindowState* childState = StateOf(child);
        if (childState == NULL) {
            return 0;
        }
        HDC dc = (HDC)wParam;
        if (childState->kind == KIND_EDIT) { /* read-only and disabled edit boxes */
            SetTextColor(dc, Color(IsWindowEnabled(child) ? SKIN_COLOR_EDIT_TEXT
                                                          : SKIN_COLOR_DISABLED_TEXT));
            SetBkColor(dc, Color(SKIN_COLOR_EDIT_FACE));
            *result = (LRESULT)g_editBrush;
            return 1;
        }
        unsigned text = state->kind == KIND_DIALOG ? SKIN_COLOR_DIALOG_TEXT : SKIN_COLOR_LABEL_TEXT;
        SetTextColor(dc, Color(IsWindowEnabled(child) ? text : SKIN_COLOR_DISABLED_TEXT));
        SetBkMode(dc, TRANSPARENT);
        *result = (LRESULT)ParentBackgroundFor(child, dc, 0, 0);
        return 1;
    }
    case WM_DRAWITEM: {
        const DRAWITEMSTRUCT* item = (const DRAWITEMSTRUCT*)lParam;
        WindowState* childState = item ? StateOf(item->hwndItem) : NULL;
        if (item == NULL || item->CtlType != ODT_BUTTON || childState == NULL ||
            !childState->ownerDrawn) {
            return 0;
        }
        DrawButton(item, childState);
        *result = TRUE;
        return 1;
    }
    default:
        return 0;
    }
}

static int HandleEdit(WindowState* state, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                      LRESULT* result) {
    (void)state;
    if (!HasOwnFrame(window)) {
        return 0;
    }
    switch (message) {
    case WM_NCCALCSIZE: {
        RECT* rect = wParam ? &((NCCALCSIZE_PARAMS*)lParam)->rgrc[0] : (RECT*)lParam;
        int border = g_theme.metrics[SKIN_METRIC_EDIT_BORDER];
        int padding = g_theme.metrics[SKIN_METRIC_EDIT_PADDING];
        int inner = rect->bottom - rect->top - 2 * border;
        int vertical = inner > g_lineHeight ? (inner - g_lineHeight) / 2 : 0;
        int horizontal = border + padding;
        if (rect->right - rect->left > 2 * horizontal) {
            rect->left += horizontal;
            rect->right -= horizontal;
        }
        if (rect->bottom - rect->top > 2 * (border + vertical)) {
            rect->top += border + vertical;
            rect->bottom -= border + vertical;
        }
        *result = 0;
        return 1;
    }
    case WM_NCPAINT:
        PaintEditFrame(window);
        *result = 0;
        return 1;
    case WM_NCHITTEST:
        /* The padding belongs to the box: a click there places the caret. */
        *result = HTCLIENT;
        return 1;
    default:
        return 0;
    }
}

/* Labels in a frame line their text up with the text inside the edit boxes
 * and keep a little air below the box above them; the inset is painted with
 * the parent's background, so the label stays transparent. */
static int LabelInsetLeft(void) {
    return g_theme.metrics[SKIN_METRIC_EDIT_BORDER] + g_theme.metrics[SKIN_METRIC_EDIT_PADDING];
}

enum { kLabelInsetTop = 3 };

static int HandleLabel(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    WindowState* parentState = StateOf(GetParent(window));
    if (parentState == NULL || parentState->kind != KIND_FRAME ||
        (GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK) > SS_RIGHT) {
        return 0;
    }
    switch (message) {
    case WM_NCCALCSIZE: {
        RECT* rect = wParam ? &((NCCALCSIZE_PARAMS*)lParam)->rgrc[0] : (RECT*)lParam;
        int left = LabelInsetLeft();
        if (rect->right - rect->left > left && rect->bottom - rect->top > kLabelInsetTop) {
            rect->left += left;
            rect->top += kLabelInsetTop;
        }
        *result = 0;
        return 1;
    }
    case WM_NCPAINT: {
        RECT outer, client;
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        MapWindowPoints(window, NULL, (POINT*)&client, 2);
        OffsetRect(&client, -outer.left, -outer.top);
        HDC dc = GetWindowDC(window);
        if (dc) {
            ExcludeClipRect(dc, client.left, client.top, client.right, client.bottom);
            HBRUSH behind = ParentBackgroundFor(window, dc, client.left, client.top);
            RECT all = {0, 0, outer.right - outer.left, outer.bottom - outer.top};
            if (behind) {
                FillRect(dc, &all, behind);
            }
            ReleaseDC(window, dc);
        }
        *result = 0;
        return 1;
    }
    default:
        return 0;
    }
}

static int HandleButton(WindowState* state, HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                        LRESULT* result) {
    if (!state->ownerDrawn) {
        return 0;
    }
    switch (message) {
    case BM_SETSTYLE:
        /* Dialogs move the default between buttons this way; keep owner-draw. */
        state->isDefault = (wParam & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        *result =
            CallOriginal(state, window, message, (wParam & ~BS_TYPEMASK) | BS_OWNERDRAW, lParam);
        InvalidateRect(window, NULL, FALSE);
        return 1;
    case WM_GETDLGCODE:
        *result = (CallOriginal(state, window, message, wParam, lParam) &
                   ~(DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) |
                  DLGC_BUTTON | (state->isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
        return 1;
    case WM_ERASEBKGND:
        *result = 1;
        return 1;
    case WM_MOUSEMOVE:
        if (!state->hover) {
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, window, 0};
            state->hover = 1;
            TrackMouseEvent(&track);
            InvalidateRect(window, NULL, FALSE);
        }
        return 0;
    case WM_MOUSELEAVE:
        state->hover = 0;
        InvalidateRect(window, NULL, FALSE);
        return 0;
    default:
        return 0;
    }
}

static void ForgetWindow(HWND window, WindowState* state) {
    RemovePropW(window, kStateProperty);
    FreeBackground(state);
    HeapFree(GetProcessHeap(), 0, state);
    if (g_record->themedWindows > 0) {
        g_record->themedWindows--;
    }
}

static LRESULT CALLBACK SkinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WindowState* state = StateOf(window);
    if (state == NULL) {
        return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                       : DefWindowProcA(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    if (g_hasTheme) {
        int handled = 0;
        if (IsContainer(state)) {
            handled = HandleContainer(state, window, message, wParam, lParam, &result);
        } else if (state->kind == KIND_EDIT) {
            handled = HandleEdit(state, window, message, wParam, lParam, &result);
        } else if (state->kind == KIND_BUTTON) {
            handled = HandleButton(state, window, message, wParam, lParam, &result);
        } else if (state->kind == KIND_STATIC) {
            handled = HandleLabel(window, message, wParam, lParam, &result);
        }
        if (handled) {
            return result;
        }
        if (message == WM_SETFONT) {
            WindowState* parentState = StateOf(GetParent(window));
            if (parentState && parentState->kind == KIND_FRAME) {
                HFONT font = g_fonts[state->kind == KIND_BUTTON ? SKIN_FONT_BUTTON : SKIN_FONT_UI];
                if (font) {
                    wParam = (WPARAM)font;
                }
            }
        }
    }
    if (message == WM_NCDESTROY) {
        WNDPROC original = state->original;
        int unicode = state->unicode;
        ForgetWindow(window, state);
        return unicode ? CallWindowProcW(original, window, message, wParam, lParam)
                       : CallWindowProcA(original, window, message, wParam, lParam);
    }
    result = CallOriginal(state, window, message, wParam, lParam);
    if (!g_hasTheme) {
        return result;
    }
    switch (message) {
    case WM_CREATE:
        if (result != -1 && !IsContainer(state)) {
            PrepareControl(window, state);
        }
        break;
    case WM_SIZE:
        if (IsContainer(state)) {
            RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
        break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (state->kind == KIND_EDIT) {
            RedrawWindow(window, NULL, NULL, RDW_FRAME | RDW_INVALIDATE);
        }
        break;
    default:
        break;
    }
    return result;
}

/* ---- taking a new theme into use ---- */

static int UseTheme(const SkinTheme* theme) {
    HFONT fonts[SKIN_FONT_COUNT];
    HFONT oldFonts[SKIN_FONT_COUNT];
    HBRUSH oldEditBrush = g_editBrush;
    uint32_t face = theme->colors[SKIN_COLOR_EDIT_FACE];
    HBRUSH editBrush = CreateSolidBrush(RGB((face >> 16) & 0xFF, (face >> 8) & 0xFF, face & 0xFF));
    if (editBrush == NULL) {
        return 0;
    }
    g_theme = *theme;
    for (unsigned i = 0; i < SKIN_FONT_COUNT; ++i) {
        fonts[i] = CreateSkinFont(i);
        oldFonts[i] = g_fonts[i];
    }
    for (unsigned i = 0; i < SKIN_FONT_COUNT; ++i) {
        g_fonts[i] = fonts[i];
    }
    g_editBrush = editBrush;
    g_lineHeight = LineHeightOf(g_fonts[SKIN_FONT_UI]);
    g_generation++;
    g_hasTheme = 1;
    HookThread();
    EnumThreadWindows(GetCurrentThreadId(), ThemeTopLevel, 0);
    /* Every themed control has the new objects now; the old ones can go. */
    for (unsigned i = 0; i < SKIN_FONT_COUNT; ++i) {
        if (oldFonts[i]) {
            DeleteObject(oldFonts[i]);
        }
    }
    if (oldEditBrush) {
        DeleteObject(oldEditBrush);
    }
    return 1;
}

EXPORT int32_t __stdcall SkinH_AttachRes(const void* skin, int32_t length, const char* password,
                                         int32_t hue, int32_t saturation, int32_t brightness) {
    g_record->calls++;
    g_record->lastSkin = (uint32_t)(uintptr_t)skin;
    g_record->lastLength = (uint32_t)length;
    g_record->lastPassword = (uint32_t)(uintptr_t)password;
    g_record->lastHue = hue;
    g_record->lastSaturation = saturation;
    g_record->lastBrightness = brightness;
    g_record->lastResult = 0;
    g_record->lastSkinHash = 0;

    if (skin == NULL || length < (int32_t)SKIN_HEADER_SIZE ||
        length > (int32_t)SKIN_MAX_FILE_SIZE || !IsReadable(skin, (uint32_t)length)) {
        return 0;
    }
    g_record->lastSkinHash = SkinHash(skin, (uint32_t)length);
    int passwordLength = 0;
    if (password != NULL) {
        passwordLength = PasswordLength(password);
        if (passwordLength < 0) {
            return 0;
        }
    }
    if (!SkinParse(skin, (uint32_t)length, (const uint8_t*)password, (uint32_t)passwordLength,
                   &g_scratch)) {
        return 0;
    }
    SkinAdjustPalette(&g_scratch, hue, saturation, brightness);
    if (!UseTheme(&g_scratch)) {
        return 0;
    }
    g_record->lastResult = 1;
    return 1;
}

EXPORT const SkinAttachRecord* __stdcall SkinH_GetAttachRecord(void) {
    return g_record;
}

/* ---- unloading: give every window its own procedure back ---- */

static BOOL CALLBACK ReleaseWindow(HWND window, LPARAM unused) {
    (void)unused;
    WindowState* state = StateOf(window);
    if (state == NULL) {
        return TRUE;
    }
    LONG_PTR current = state->unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC)
                                      : GetWindowLongPtrA(window, GWLP_WNDPROC);
    if (current != (LONG_PTR)SkinWindowProc) {
        return TRUE; /* someone subclassed after us; their chain still needs ours */
    }
    if (state->unicode) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, (LONG_PTR)state->original);
    } else {
        SetWindowLongPtrA(window, GWLP_WNDPROC, (LONG_PTR)state->original);
    }
    if (state->ownerDrawn) {
        LONG style = GetWindowLongW(window, GWL_STYLE);
        SetWindowLongW(window, GWL_STYLE,
                       (style & ~BS_TYPEMASK) |
                           (state->isDefault ? BS_DEFPUSHBUTTON : state->originalButtonType));
    }
    int kind = state->kind;
    ForgetWindow(window, state);
    if (kind == KIND_EDIT || kind == KIND_STATIC) {
        SetWindowPos(window, NULL, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (kind == KIND_FRAME || kind == KIND_DIALOG) {
        EnumChildWindows(window, ReleaseWindow, 0);
        RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    }
    return TRUE;
}

static void ReleaseEverything(void) {
    g_hasTheme = 0;
    for (int i = 0; i < MAX_HOOKED_THREADS; ++i) {
        if (g_hooks[i].hook) {
            UnhookWindowsHookEx(g_hooks[i].hook);
            EnumThreadWindows(g_hooks[i].thread, ReleaseWindow, 0);
            g_hooks[i].hook = NULL;
        }
    }
    for (unsigned i = 0; i < SKIN_FONT_COUNT; ++i) {
        if (g_fonts[i]) {
            DeleteObject(g_fonts[i]);
            g_fonts[i] = NULL;
        }
    }
    if (g_editBrush) {
        DeleteObject(g_editBrush);
        g_editBrush = NULL;
    }
}

BOOL WINAPI SkinLibraryEntry(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)instance; /* 0 when the program's loader maps us */
    if (reason == DLL_PROCESS_ATTACH) {
        OpenRecord();
        g_record->processAttaches++;
    } else if (reason == DLL_PROCESS_DETACH) {
        g_record->processDetaches++;
        /* At process exit the windows are going anyway; on an unload they
         * must not keep pointing into code that is about to disappear. */
        if (reserved == NULL) {
            ReleaseEverything();
        }
    }
    return TRUE;
}
