/* ZUGDI32: text drawing in a window with a fixed Japanese font (Windows only). */
#ifndef ZUGDI32_H
#define ZUGDI32_H

#include "zucall.h"

/* The system's RECT (left, top, right, bottom), as <windows.h> defines it. */
struct tagRECT;

/* Draws one line of text into `rect` (client coordinates of `window`),
 * vertically centred, left aligned or right aligned (right_align nonzero).
 * A background colour other than 0 draws a box first: filled with it, with a
 * frame of 2 units in the frame colour inside the rectangle, the text over it
 * in the 15-unit font "MSゴシック".  Colours are COLORREF values; trace
 * nonzero writes the colours and the text to the debug file.  Returns 0 when
 * drawn, 1 when the box could not be prepared ("Error Draw" is written at
 * the rectangle's corner instead). */
ZU_API int ZU_CALL ZuDrawText(void *window, const char *text, struct tagRECT *rect, int right_align,
                              unsigned long text_colour, unsigned long background_colour,
                              unsigned long frame_colour, unsigned char trace);
/* Width of the text in the font selected into the device context, -1 when
 * the system cannot measure it. */
ZU_API int ZU_CALL RtvTextWidth(const char *text, void *dc);

#endif
