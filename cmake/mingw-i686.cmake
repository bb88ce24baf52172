# Cross build of the 32-bit Windows DLLs with mingw-w64 (posix thread model, linked
# statically so that no runtime DLL is needed beside the deliverables).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ZU_MINGW_PREFIX i686-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${ZU_MINGW_PREFIX}-gcc-posix ${ZU_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZU_MINGW_PREFIX}-g++-posix ${ZU_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZU_MINGW_PREFIX}-windres)
find_program(CMAKE_OBJDUMP NAMES ${ZU_MINGW_PREFIX}-objdump objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ZU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests and tools run under Wine with a Japanese locale (ANSI code page 932).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
