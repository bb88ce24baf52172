# Common settings of every target of the tree.
#
# Sources are UTF-8; the texts the libraries show, log and compare are
# Shift-JIS (code page 932), so every literal is compiled into CP932.
function(zu_target_defaults target)
  target_compile_options(${target} PRIVATE
    -finput-charset=UTF-8 -fexec-charset=CP932
    -Wall -Wextra -Wno-unused-parameter -Wno-format-truncation)
  target_include_directories(${target} PRIVATE
    ${PROJECT_SOURCE_DIR}/include ${PROJECT_SOURCE_DIR})
  if(ZU_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(ZU_WINDOWS)
    target_compile_definitions(${target} PRIVATE WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0501 WINVER=0x0501)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE" OR type STREQUAL "SHARED_LIBRARY")
      # No runtime DLLs beside ours: the C++ runtime is linked in.
      target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++
        -Wl,--enable-stdcall-fixup)
    endif()
  else()
    set_target_properties(${target} PROPERTIES
      POSITION_INDEPENDENT_CODE ON
      CXX_VISIBILITY_PRESET hidden
      C_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  endif()
endfunction()

# zu_add_deliverable(<target> OUTPUT <name> DEF <file.def> SOURCES ... [LIBS ...])
#
# One deliverable: a DLL whose export names are exactly those of its .def file
# (undecorated, __stdcall where there are arguments), or on Linux a shared
# object that exports exactly the same names through a version script made
# from the same .def file.  Each deliverable links its own copy of the base
# library.
function(zu_add_deliverable target)
  cmake_parse_arguments(D "" "OUTPUT;DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${target} SHARED ${D_SOURCES})
  zu_target_defaults(${target})
  target_compile_definitions(${target} PRIVATE ZU_BUILDING_DLL)
  target_link_libraries(${target} PRIVATE zubase ${D_LIBS})
  set(def ${CMAKE_CURRENT_SOURCE_DIR}/${D_DEF})
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  if(ZU_WINDOWS)
    # The .def file names each __stdcall export with its decoration
    # (Name@bytes); --kill-at exports it undecorated.  The import library is
    # then made from the same file by dlltool, so that C callers that declare
    # the functions __stdcall link against the undecorated exports.
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      # x86-64 has one calling convention and no decorations.
      file(READ ${def} text)
      string(REGEX REPLACE "@[0-9]+" "" text "${text}")
      set(def ${CMAKE_CURRENT_BINARY_DIR}/${D_OUTPUT}.def)
      file(WRITE ${def} "${text}")
    endif()
    target_sources(${target} PRIVATE ${def})
    # The export list, for the Microsoft-style import library (cmake/ZuInstall.cmake).
    set_target_properties(${target} PROPERTIES ZU_DEF_FILE ${def})
    target_link_options(${target} PRIVATE -Wl,--kill-at -Wl,--exclude-all-symbols)
    set_target_properties(${target} PROPERTIES
      OUTPUT_NAME ${D_OUTPUT} PREFIX "" IMPORT_PREFIX "" IMPORT_SUFFIX ".lib")
    find_program(ZU_DLLTOOL NAMES ${ZU_MINGW_PREFIX}-dlltool dlltool REQUIRED)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${ZU_DLLTOOL} -k -d ${def} -D $<TARGET_FILE_NAME:${target}> -l $<TARGET_LINKER_FILE:${target}>
      VERBATIM)
  else()
    file(STRINGS ${def} lines)
    set(names "")
    set(in_exports OFF)
    foreach(line IN LISTS lines)
      string(STRIP "${line}" line)
      if(line MATCHES "^EXPORTS")
        set(in_exports ON)
      elseif(in_exports AND line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)")
        string(APPEND names "    ${CMAKE_MATCH_1};\n")
      endif()
    endforeach()
    set(vs ${CMAKE_CURRENT_BINARY_DIR}/${D_OUTPUT}.map)
    if(names STREQUAL "")
      file(WRITE ${vs} "{\n  local: *;\n};\n")
    else()
      file(WRITE ${vs} "{\n  global:\n${names}  local: *;\n};\n")
    endif()
    string(TOLOWER ${D_OUTPUT} lower)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME ${lower} LINK_DEPENDS ${vs})
    target_link_options(${target} PRIVATE -Wl,--version-script=${vs} -Wl,--no-undefined)
  endif()
endfunction()
