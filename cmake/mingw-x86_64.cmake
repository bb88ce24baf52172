# Test build of the Windows code for x86-64 with mingw-w64.  The product is
# the 32-bit build (mingw-i686.cmake); this one exists so that the Windows
# code paths are tested under a 64-bit Wine on machines that cannot run
# 32-bit x86 code.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZU_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run;--64)
