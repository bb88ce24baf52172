/* Calling convention and linkage of the exported functions.
 * Exports that take arguments use ZU_CALL (__stdcall on Windows: the callee
 * removes the arguments); exports without arguments are plain C calls. */
#ifndef ZUCALL_H
#define ZUCALL_H

#ifdef _WIN32
#define ZU_CALL __stdcall
#else
#define ZU_CALL
#endif

#if !defined(_WIN32) && defined(__GNUC__)
#define ZU_VISIBLE __attribute__((visibility("default")))
#else
#define ZU_VISIBLE
#endif

#ifdef __cplusplus
#define ZU_API extern "C" ZU_VISIBLE
#else
#define ZU_API extern ZU_VISIBLE
#endif

#endif
