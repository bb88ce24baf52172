# Shared part of the mingw-w64 toolchain files: ZU_MINGW_PREFIX names the
# target (i686-w64-mingw32 or x86_64-w64-mingw32).  The posix thread model is
# used, linked statically, so that no runtime DLL is needed beside ours.
set(CMAKE_SYSTEM_NAME Windows)

find_program(CMAKE_C_COMPILER NAMES ${ZU_MINGW_PREFIX}-gcc-posix ${ZU_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZU_MINGW_PREFIX}-g++-posix ${ZU_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZU_MINGW_PREFIX}-windres)
find_program(CMAKE_OBJDUMP NAMES ${ZU_MINGW_PREFIX}-objdump objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ZU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
