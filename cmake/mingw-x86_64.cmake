# Test build of the Windows code for x86-64 with mingw-w64.  The product is
# the 32-bit build (mingw-i686.cmake); this one exists so that the Windows
# code paths are tested under a 64-bit Wine on machines that cannot run
# 32-bit x86 code.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ZU_MINGW_PREFIX x86_64-w64-mingw32)

find_program(CMAKE_C_COMPILER NAMES ${ZU_MINGW_PREFIX}-gcc-posix ${ZU_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZU_MINGW_PREFIX}-g++-posix ${ZU_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZU_MINGW_PREFIX}-windres)
find_program(CMAKE_OBJDUMP NAMES ${ZU_MINGW_PREFIX}-objdump objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ZU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run;--64)
