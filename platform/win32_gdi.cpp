// Device contexts, GDI objects and text on Windows: the real APIs.
#include "platform/platform.h"

#include <windows.h>

#include <cstddef>

namespace zp {

static_assert(sizeof(rect) == sizeof(RECT) && offsetof(rect, left) == offsetof(RECT, left) &&
                  offsetof(rect, top) == offsetof(RECT, top) && offsetof(rect, right) == offsetof(RECT, right) &&
                  offsetof(rect, bottom) == offsetof(RECT, bottom),
              "rect has the layout of RECT");

void *window_dc(void *window) { return ::GetDC(static_cast<HWND>(window)); }

bool release_window_dc(void *window, void *dc) {
    return ::ReleaseDC(static_cast<HWND>(window), static_cast<HDC>(dc)) != 0;
}

void set_text_colour(void *dc, std::uint32_t colour) { ::SetTextColor(static_cast<HDC>(dc), colour); }

bool set_transparent_background(void *dc) { return ::SetBkMode(static_cast<HDC>(dc), TRANSPARENT) != 0; }

void *create_solid_brush(std::uint32_t colour) { return ::CreateSolidBrush(colour); }

void *create_frame_pen(int width, std::uint32_t colour) { return ::CreatePen(PS_INSIDEFRAME, width, colour); }

void *create_font(const font_spec &s) {
    return ::CreateFontA(s.height, s.width, s.escapement, s.orientation, s.weight, s.italic, s.underline,
                         s.strike_out, s.charset, s.out_precision, s.clip_precision, s.quality,
                         s.pitch_and_family, s.face);
}

void *select_object(void *dc, void *object) {
    HGDIOBJ old = ::SelectObject(static_cast<HDC>(dc), static_cast<HGDIOBJ>(object));
    return old == HGDI_ERROR ? nullptr : old;
}

bool delete_object(void *object) { return ::DeleteObject(static_cast<HGDIOBJ>(object)) != 0; }

bool draw_rectangle(void *dc, const rect *r) {
    return ::Rectangle(static_cast<HDC>(dc), r->left, r->top, r->right, r->bottom) != 0;
}

bool text_out(void *dc, int x, int y, const char *text, int length) {
    return ::TextOutA(static_cast<HDC>(dc), x, y, text, length) != 0;
}

int draw_text(void *dc, const char *text, rect *r, unsigned format) {
    return ::DrawTextA(static_cast<HDC>(dc), text, -1, reinterpret_cast<RECT *>(r), format);
}

bool text_width(void *dc, const char *text, int length, int *width) {
    SIZE size;
    if (!::GetTextExtentPoint32A(static_cast<HDC>(dc), text, length, &size)) return false;
    *width = size.cx;
    return true;
}

}  // namespace zp
