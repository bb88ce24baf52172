// ZUGDI32: text drawn into a real window and read back pixel by pixel, the
// GDI objects a call leaves behind, the failure path of the box, and text
// widths.  Each case's picture is written to the test's scratch folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "dbf_support.h"
#include "test_support.h"
#include "zugdi32.h"
#include "zustd.h"

namespace {

constexpr int W = 360, H = 100;
constexpr COLORREF WHITE = 0xFFFFFF, GREY = 0x808080, YELLOW = 0x00FFFF, RED = 0x0000FF, BLUE = 0xFF0000;
const char BOX_FACE[] = "MSゴシック";
const char TEXT[] = "請求書 Invoice 12";

void pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

// The client area of a window as COLORREF values, row by row.
struct picture {
    std::vector<COLORREF> px = std::vector<COLORREF>(W * H);
    COLORREF at(int x, int y) const { return px[y * W + x]; }

    // A 24-bit BMP file of the picture.
    void save(const std::string &name) const {
        const std::uint32_t row = W * 3, data = row * H;  // W * 3 is a multiple of 4
        std::string f = "BM";
        auto put = [&](std::uint32_t v, int n) {
            for (int i = 0; i < n; ++i) f += char(v >> (8 * i));
        };
        put(54 + data, 4), put(0, 4), put(54, 4);
        put(40, 4), put(W, 4), put(H, 4), put(1, 2), put(24, 2), put(0, 4), put(data, 4);
        put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
        for (int y = H - 1; y >= 0; --y)
            for (int x = 0; x < W; ++x) put(GetBValue(at(x, y)) | GetGValue(at(x, y)) << 8 | GetRValue(at(x, y)) << 16, 3);
        zt::write_file(zt::join(zt::work_dir(), name + ".bmp"), f);
    }
};

// The pixels of `p` inside (or outside) `r` for which `test` holds.
template <class F>
int count(const picture &p, const RECT &r, bool inside, F test) {
    int n = 0;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            bool in = x >= r.left && x < r.right && y >= r.top && y < r.bottom;
            if (in == inside && test(p.at(x, y))) ++n;
        }
    return n;
}

// The bounding box of the pixels for which `test` holds.
template <class F>
RECT bounds(const picture &p, F test) {
    RECT b = {W, H, -1, -1};
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            if (test(p.at(x, y))) b = {std::min<LONG>(b.left, x), std::min<LONG>(b.top, y),
                                       std::max<LONG>(b.right, x + 1), std::max<LONG>(b.bottom, y + 1)};
    return b;
}

bool dark(COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; }
bool bluish(COLORREF c) { return GetBValue(c) > 150 && GetRValue(c) < 120 && GetGValue(c) < 120; }

// A visible top-level window without a frame, at a fixed place; one for all
// cases (hiding a window makes Wine wait for the X server).
class Canvas : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "ZuGdiCanvas";
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        RegisterClassA(&wc);
        window = CreateWindowExA(WS_EX_TOPMOST, "ZuGdiCanvas", "", WS_POPUP | WS_VISIBLE, 40, 40, W, H, nullptr,
                                 nullptr, wc.hInstance, nullptr);
        UpdateWindow(window);
        pump();
    }
    static void TearDownTestSuite() { DestroyWindow(window); }
    void SetUp() override {
        ASSERT_NE(window, nullptr);
        fill(WHITE);
    }

    void fill(COLORREF c) {
        HDC dc = GetDC(window);
        RECT all = {0, 0, W, H};
        HBRUSH b = CreateSolidBrush(c);
        FillRect(dc, &all, b);
        DeleteObject(b);
        ReleaseDC(window, dc);
    }

    picture capture() {
        picture p;
        HDC dc = GetDC(window);
        HDC mem = CreateCompatibleDC(dc);
        BITMAPINFO bi = {};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = W;
        bi.bmiHeader.biHeight = -H;  // top-down
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void *bits = nullptr;
        HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(mem, 0, 0, W, H, dc, 0, 0, SRCCOPY);
        GdiFlush();
        auto *q = static_cast<const std::uint32_t *>(bits);
        for (int i = 0; i < W * H; ++i) p.px[i] = RGB(q[i] >> 16 & 0xFF, q[i] >> 8 & 0xFF, q[i] & 0xFF);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(window, dc);
        return p;
    }

    int draw(const char *text, RECT r, int right, COLORREF colour, COLORREF background, COLORREF frame) {
        return zu_call([&] { return ZuDrawText(window, text, &r, right, colour, background, frame, 0); });
    }

    static HWND window;
};
HWND Canvas::window = nullptr;

// How many more GDI objects the process can make: the system's count where
// it keeps one (GetGuiResources), else made until the system refuses.
struct gdi_filler {
    std::vector<HBRUSH> made;
    void fill() {
        while (HBRUSH b = CreateSolidBrush(RGB(1, 2, 3))) made.push_back(b);
    }
    void release(std::size_t n) {
        for (; n && !made.empty(); --n) {
            DeleteObject(made.back());
            made.pop_back();
        }
    }
    ~gdi_filler() { release(made.size()); }
};
std::size_t gdi_room() {
    gdi_filler f;
    f.fill();
    return f.made.size();
}

TEST_F(Canvas, BoxModeFillsFramesAndCentresTheText) {
    RECT r = {20, 20, 260, 60};
    ASSERT_EQ(draw(TEXT, r, 0, 0x000000, YELLOW, RED), 0);
    picture left = capture();
    left.save("box_left");
    // Nothing outside the rectangle; inside it the box is whole: a 2-unit red
    // frame, yellow within, the text over it with no background of its own.
    EXPECT_EQ(count(left, r, false, [](COLORREF c) { return c != WHITE; }), 0);
    EXPECT_EQ(count(left, r, true, [](COLORREF c) { return c == WHITE; }), 0);
    for (int d : {0, 1}) {
        EXPECT_EQ(left.at(r.left + d, 25), RED) << d;
        EXPECT_EQ(left.at(r.right - 1 - d, 25), RED) << d;
        EXPECT_EQ(left.at(200, r.top + d), RED) << d;
        EXPECT_EQ(left.at(200, r.bottom - 1 - d), RED) << d;
    }
    EXPECT_EQ(left.at(r.left + 2, r.top + 2), YELLOW);
    EXPECT_EQ(left.at(r.right - 3, r.bottom - 3), YELLOW);
    RECT text = bounds(left, dark);
    ASSERT_LT(text.left, text.right) << "no text drawn";
    // The 15-unit font, vertically centred, from the left edge.
    EXPECT_LE(text.bottom - text.top, 15);
    EXPECT_NEAR((text.top + text.bottom) / 2.0, (r.top + r.bottom) / 2.0, 3.0);
    EXPECT_LE(text.left - r.left, 3);

    fill(WHITE);
    ASSERT_EQ(draw(TEXT, r, 1, 0x000000, YELLOW, RED), 0);
    picture right = capture();
    right.save("box_right");
    RECT moved = bounds(right, dark);
    EXPECT_LE(r.right - moved.right, 3);
    EXPECT_EQ(moved.right - moved.left, text.right - text.left);
    EXPECT_EQ(moved.top, text.top);
}

TEST_F(Canvas, PlainModeUsesTheWindowFontOnAnOpaqueBackground) {
    fill(GREY);
    RECT r = {20, 10, 300, 50};
    ASSERT_EQ(draw("Plain 表示", r, 0, BLUE, 0, RED), 0);
    picture left = capture();
    left.save("plain_left");
    EXPECT_EQ(count(left, r, false, [](COLORREF c) { return c != GREY; }), 0);
    // The text in blue on the device context's white background cell, no box.
    EXPECT_GT(count(left, r, true, bluish), 20);
    EXPECT_GT(count(left, r, true, [](COLORREF c) { return c == WHITE; }), 20);
    EXPECT_EQ(count(left, r, true, [](COLORREF c) { return c == YELLOW || c == RED; }), 0);
    RECT cell = bounds(left, [](COLORREF c) { return c == WHITE || bluish(c); });
    EXPECT_EQ(cell.left, r.left);
    EXPECT_NEAR((cell.top + cell.bottom) / 2.0, (r.top + r.bottom) / 2.0, 1.0);

    fill(GREY);
    ASSERT_EQ(draw("Plain 表示", r, 1, BLUE, 0, RED), 0);
    picture right = capture();
    right.save("plain_right");
    RECT moved = bounds(right, [](COLORREF c) { return c == WHITE || bluish(c); });
    EXPECT_EQ(moved.right, r.right);
    EXPECT_EQ(moved.right - moved.left, cell.right - cell.left);
}

TEST_F(Canvas, LongTextIsClippedAtTheRectangle) {
    std::string text;
    for (int i = 0; i < 12; ++i) text += "長い文字列 long text ";
    RECT r = {30, 30, 150, 70};
    for (COLORREF background : {YELLOW, COLORREF(0)}) {
        fill(GREY);
        ASSERT_EQ(draw(text.c_str(), r, 0, 0x000000, background, RED), 0);
        picture p = capture();
        p.save(background ? "clipped_box" : "clipped_plain");
        EXPECT_EQ(count(p, r, false, [](COLORREF c) { return c != GREY; }), 0) << background;
        // One line, running up to the right edge.
        RECT b = bounds(p, dark);
        EXPECT_GE(b.right, r.right - 8) << background;
        EXPECT_LE(b.bottom - b.top, 20) << background;
    }
}

TEST_F(Canvas, FailedBoxWritesErrorDrawAndLeavesNothingBehind) {
    RECT r = {20, 20, 260, 60};
    draw(TEXT, r, 0, 0x000000, YELLOW, RED);  // the window's device context is made once
    const std::size_t room = gdi_room();
    // The system refuses the brush, the pen, then the font; with room for
    // the three the box is drawn.
    for (std::size_t free_slots : {0, 1, 2, 16}) {
        fill(WHITE);
        int result;
        {
            gdi_filler f;
            f.fill();
            f.release(free_slots);
            result = draw(TEXT, r, 0, 0x000000, YELLOW, RED);
        }
        EXPECT_EQ(result, free_slots < 3 ? 1 : 0) << free_slots;
        picture p = capture();
        if (result == 1) {
            if (free_slots == 0) p.save("error_draw");
            // "Error Draw" at the corner, in the window's font; no box.
            EXPECT_EQ(count(p, r, true, [](COLORREF c) { return c == YELLOW || c == RED; }), 0);
            RECT b = bounds(p, [](COLORREF c) { return c != WHITE; });
            EXPECT_GE(b.top, r.top) << free_slots;
            EXPECT_LE(b.top - r.top, 5) << free_slots;
            EXPECT_LE(b.left - r.left, 2) << free_slots;
            EXPECT_GT(b.right - b.left, 30) << free_slots;
        } else {
            EXPECT_GT(count(p, r, true, [](COLORREF c) { return c == YELLOW; }), 1000) << free_slots;
        }
        EXPECT_EQ(gdi_room(), room) << free_slots;
    }
}

TEST_F(Canvas, ManyCallsLeaveNoGdiObjects) {
    RECT r = {10, 10, 200, 40};
    draw(TEXT, r, 0, 0, YELLOW, RED);
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const std::size_t room = gdi_room();
    for (int i = 0; i < 300; ++i) {
        ASSERT_EQ(draw(TEXT, r, i & 1, 0, YELLOW, RED), 0);
        ASSERT_EQ(draw(TEXT, r, i & 1, 0, 0, 0), 0);
    }
    EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), counted);
    EXPECT_EQ(gdi_room(), room);
}

TEST_F(Canvas, TraceWritesOneDebugLinePerCall) {
    RECT r = {10, 10, 200, 40};
    ZuDrawText(window, "first", &r, 0, 0xFF, 0xFFFFFF, 0, 1);
    ZuDrawText(window, "untraced", &r, 0, 0xFF, 0xFFFFFF, 0, 0);
    ZuDrawText(window, "二行目", &r, 1, 0x123456, 0, 0xABCDEF, 1);
    EXPECT_EQ(zt::read_file(zt::join(zt::bin_dir(), "DEBF.TXT")),
              "C:000000FF BC:00FFFFFF FC:00000000 first\r\n"
              "C:00123456 BC:00000000 FC:00ABCDEF 二行目\r\n");
}

TEST(TextWidth, MeasuresInTheSelectedFont) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontA(15, 0, 0, 0, 0, 0, 0, 0, DEFAULT_CHARSET, OUT_DEVICE_PRECIS, 0, 0, 0, BOX_FACE);
    HGDIOBJ old = SelectObject(dc, font);
    EXPECT_EQ(RtvTextWidth("", dc), 0);
    const char *japanese = "日本語のテキストｶﾅ";
    SIZE size;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, japanese, int(std::strlen(japanese)), &size));
    EXPECT_EQ(RtvTextWidth(japanese, dc), size.cx);
    // The box font is a fixed-pitch Japanese gothic: a full-width character
    // is two half-width ones.
    int full = RtvTextWidth("あ", dc), half = RtvTextWidth("A", dc);
    EXPECT_GT(half, 4);
    EXPECT_EQ(full, 2 * half);
    EXPECT_EQ(RtvTextWidth("ｱ", dc), half);
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version")) {
        // Wine has the face under this name through the prefix's font
        // replacements (the wine_box_font fixture); without it Wine names the
        // font it falls back to.
        char face[64] = "";
        GetTextFaceA(dc, sizeof face, face);
        EXPECT_STREQ(face, BOX_FACE);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    EXPECT_EQ(RtvTextWidth("abc", nullptr), -1);
}

TEST(Reports, NullTextsAreReportedWithoutABox) {
    RECT r = {0, 0, 10, 10};
    const std::size_t logged = zt::log_mark();
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(zt::report_of([&] { RtvTextWidth(nullptr, dc); }), "RtvTextWidth Error");
    EXPECT_STREQ(ZuGetErrMsg(), "RtvTextWidth Error");
    EXPECT_EQ(zt::report_of([&] { ZuDrawText(nullptr, nullptr, &r, 0, 0, 0, 0, 0); }), "ZuDrawText Error");
    EXPECT_EQ(zt::report_of([&] { ZuDrawText(nullptr, "x", nullptr, 0, 0, 0, 0, 0); }), "ZuDrawText Error");
    DeleteDC(dc);
    std::string log = zt::log_since(logged);
    EXPECT_NE(log.find(" (VC) RtvTextWidth Error\r\n"), std::string::npos);
    EXPECT_NE(log.find(" (VC) ZuDrawText Error\r\n"), std::string::npos);
    Sleep(200);  // the box watcher looks every 50 ms
    for (const std::string &box : zt::boxes_seen()) EXPECT_EQ(box.find("Error"), std::string::npos) << box;
}

}  // namespace
