// Drawing one line of text in a window, on a framed box in a fixed Japanese
// font or in the window's own font, and measuring text.
#include <cstring>

#include "base/base.h"
#include "zugdi32.h"

namespace {

const zp::font_spec BOX_FONT = {
    15, 0, 0, 0, 0,         // height, width, escapement, orientation, weight (don't care)
    0, 0, 0,                // italic, underline, strike-out
    1,                      // DEFAULT_CHARSET
    5,                      // OUT_DEVICE_PRECIS
    0, 0, 0,                // clip precision, quality, pitch and family
    "MSゴシック",
};
constexpr int FRAME_WIDTH = 2;
constexpr unsigned FORMAT_LEFT = 0x24;   // DT_SINGLELINE | DT_VCENTER
constexpr unsigned FORMAT_RIGHT = 0x26;  // the same with DT_RIGHT

// The objects of the box: made and selected in order; undo() puts back what
// was replaced and deletes what was made, as far as prepare() got.
struct box_objects {
    void *dc;
    void *brush = nullptr, *pen = nullptr, *font = nullptr;
    void *old_brush = nullptr, *old_pen = nullptr, *old_font = nullptr;

    explicit box_objects(void *dc) : dc(dc) {}

    bool prepare(std::uint32_t background, std::uint32_t frame) {
        if (!zp::set_transparent_background(dc)) return false;
        if (!(brush = zp::create_solid_brush(background))) return false;
        if (!(pen = zp::create_frame_pen(FRAME_WIDTH, frame))) return false;
        if (!(old_brush = zp::select_object(dc, brush))) return false;
        if (!(old_pen = zp::select_object(dc, pen))) return false;
        if (!(font = zp::create_font(BOX_FONT))) return false;
        return (old_font = zp::select_object(dc, font)) != nullptr;
    }

    void undo() {
        for (void *old : {old_brush, old_pen, old_font})
            if (old) zp::select_object(dc, old);
        for (void *object : {brush, pen, font})
            if (object) zp::delete_object(object);
    }
};

}  // namespace

ZU_API int ZU_CALL ZuDrawText(void *window, const char *text, struct tagRECT *rect, int right_align,
                              unsigned long text_colour, unsigned long background_colour,
                              unsigned long frame_colour, unsigned char trace) {
    return zu_export([&]() -> int {
        if (!text || !rect) {
            RE("ZuDrawText Error");
            return 0;
        }
        auto *r = reinterpret_cast<zp::rect *>(rect);
        const auto colour = static_cast<std::uint32_t>(text_colour);
        const auto background = static_cast<std::uint32_t>(background_colour);
        const auto frame = static_cast<std::uint32_t>(frame_colour);
        if (trace) debf("C:%.8X BC:%.8X FC:%.8X %s\r\n", colour, background, frame, text);
        void *dc = zp::window_dc(window);
        zp::set_text_colour(dc, colour);
        const bool box = background != 0;
        box_objects objects(dc);
        if (box) {
            if (!objects.prepare(background, frame)) {
                zp::text_out(dc, r->left, r->top, "Error Draw", 10);
                objects.undo();
                zp::release_window_dc(window, dc);
                return 1;
            }
            zp::draw_rectangle(dc, r);
        }
        zp::draw_text(dc, text, r, right_align ? FORMAT_RIGHT : FORMAT_LEFT);
        if (box) objects.undo();
        zp::release_window_dc(window, dc);
        return 0;
    });
}

ZU_API int ZU_CALL RtvTextWidth(const char *text, void *dc) {
    return zu_export([&]() -> int {
        if (!text) {
            RE("RtvTextWidth Error");
            return -1;
        }
        int width = 0;
        if (!zp::text_width(dc, text, static_cast<int>(std::strlen(text)), &width)) return -1;
        return width;
    });
}
