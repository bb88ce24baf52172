/* ZUWGY: the text conversion engine driven by pattern files. */
#ifndef ZUWGY_H
#define ZUWGY_H

#include "zucall.h"

/* Loads a pattern file or a pattern text into a new pattern handle of
 * `capacity` records (at least 3); a faulty text is reported. */
ZU_API void *ZU_CALL ZuWGYInit(const char *file_name, int capacity);
ZU_API void *ZU_CALL ZuWGYInitStr(const char *text, int capacity);
/* Converts text by every group of the handle in turn.  The result lives
 * until the next call; null when the text, or the text a group makes, is
 * longer than 16383 bytes (also for a null handle or text). */
ZU_API const char *ZU_CALL ZuWGYStr(void *handle, const char *text);
/* Converts a file by a command text "INPUT PATTERNS [START [END]] [/OPTIONS]"
 * (with a handle: "INPUT [START [END]] [/OPTIONS]", its patterns are used):
 * every pattern group one pass, the input replaced when a pass applied a
 * pattern.  1 when a pattern was applied (with /K: when section text was
 * written), else 0. */
ZU_API int ZU_CALL ZuWGY(const char *command, void *handle);
/* Frees the handle (null is allowed); 0. */
ZU_API int ZU_CALL ZuWGYTerm(void *handle);
/* The text with each of / : > < | " ? * \ replaced by an underscore. */
ZU_API const char *ZU_CALL ConvertToFileNameString(const char *text);

#endif
