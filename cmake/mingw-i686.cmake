# Cross build of the 32-bit Windows DLLs, the product, with mingw-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZU_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# Tests and tools run under Wine with a Japanese locale (ANSI code page 932).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
