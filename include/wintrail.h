/* Wintrail: the system-wide hook that tracks the last active window (Windows only). */
#ifndef WINTRAIL_H
#define WINTRAIL_H

#include "zucall.h"

/* Window handles are the system's HWND, the hook handle its HHOOK.  The
 * record these read is shared by every process that has Wintrail loaded. */

/* Hooks window procedure calls of every thread of the desktop, so that each
 * top-level window of another program that loses the focus is recorded.
 * `window` and the application's "TApplication" window are never recorded.
 * The hook handle, or null when this call installed none. */
ZU_API void *ZU_CALL sethook(void *window);
/* Removes the hook; nonzero on success. */
ZU_API int freehook(void);
/* The top-level window that last lost the focus, null before any. */
ZU_API void *GetLastActiveWindow(void);
/* The window that had the focus inside it at that moment. */
ZU_API void *GetLastActiveWindowChild(void);
/* "caption [child caption]" of those two windows. */
ZU_API const char *GetLastActiveWindowCaption(void);
/* The text of a window (at most 1023 bytes), in a buffer of the process. */
ZU_API const char *ZU_CALL ZuGetWindowText(void *window);

#endif
