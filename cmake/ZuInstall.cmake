# What `cmake --install` puts where, and the release archives CPack makes of
# it: the libraries, their headers and Pascal units, the tools, the CMake
# package ZU (imported targets ZU::zustd, ZU::zudbtool, ZU::zuwgy) and one
# pkg-config file per library.  On Linux a Debian package, on Windows a zip
# with import libraries for both Microsoft and GNU linkers.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ZU_INSTALL_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/zu)
set(ZU_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZU)
set(ZU_INSTALL_PASCALDIR ${CMAKE_INSTALL_DATADIR}/zu/pascal)

set(zu_libs zustd zudbtool zuwgy)
set(zu_headers zucall.h zustd.h zudbtool.h zuwgy.h)
if(ZU_WINDOWS)
  list(APPEND zu_libs zugdi32 wintrail)
  list(APPEND zu_headers zugdi32.h wintrail.h)
endif()
set(zu_tools zudb zuwgy_tool zufconv zucprs)

foreach(lib IN LISTS zu_libs)
  target_include_directories(${lib} INTERFACE $<INSTALL_INTERFACE:${ZU_INSTALL_INCLUDEDIR}>)
endforeach()
if(NOT ZU_WINDOWS)
  # libzustd.so.1 -> libzustd.so.1.0.0; each library finds the others beside
  # itself and the tools find them in ../lib, wherever the tree is unpacked.
  set_target_properties(${zu_libs} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR} INSTALL_RPATH "$ORIGIN")
  set_target_properties(${zu_tools} PROPERTIES INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
endif()

install(TARGETS ${zu_libs} EXPORT ZUTargets
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(TARGETS ${zu_tools} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
list(TRANSFORM zu_headers PREPEND ${PROJECT_SOURCE_DIR}/include/)
install(FILES ${zu_headers} DESTINATION ${ZU_INSTALL_INCLUDEDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/pascal/ DESTINATION ${ZU_INSTALL_PASCALDIR} OPTIONAL
  FILES_MATCHING PATTERN "*.pas" PATTERN "*.inc")

if(ZU_WINDOWS)
  # The build's import library (GNU dlltool, ZUSTD.lib) goes in as
  # libzustd.dll.a for MinGW; ZUSTD.lib is then replaced by a Microsoft-style
  # import library made by llvm-dlltool from the same .def file, which is
  # installed too (for `lib /def:`).  Without llvm-dlltool the GNU library
  # stays under both names; MSVC's linker reads it as well.
  find_program(ZU_LLVM_DLLTOOL NAMES llvm-dlltool llvm-dlltool-14 llvm-dlltool-15 llvm-dlltool-16)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(machine i386:x86-64)
  else()
    set(machine i386)
  endif()
  set(msvc_libs "")
  foreach(lib IN LISTS zu_libs)
    get_target_property(name ${lib} OUTPUT_NAME)
    get_target_property(def ${lib} ZU_DEF_FILE)
    string(TOLOWER ${name} lower)
    install(FILES $<TARGET_LINKER_FILE:${lib}> DESTINATION ${CMAKE_INSTALL_LIBDIR} RENAME lib${lower}.dll.a)
    install(FILES ${def} DESTINATION ${CMAKE_INSTALL_LIBDIR} RENAME ${name}.def)
    if(ZU_LLVM_DLLTOOL)
      set(msvc ${CMAKE_BINARY_DIR}/lib/msvc/${name}.lib)
      add_custom_command(OUTPUT ${msvc}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/lib/msvc
        COMMAND ${ZU_LLVM_DLLTOOL} -m ${machine} -k -d ${def} -D ${name}.dll -l ${msvc}
        DEPENDS ${def} VERBATIM)
      list(APPEND msvc_libs ${msvc})
    endif()
  endforeach()
  if(msvc_libs)
    add_custom_target(zu_msvc_import_libs ALL DEPENDS ${msvc_libs})
    install(FILES ${msvc_libs} DESTINATION ${CMAKE_INSTALL_LIBDIR})
  endif()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
else()
  install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The CMake package.
install(EXPORT ZUTargets NAMESPACE ZU:: DESTINATION ${ZU_INSTALL_CMAKEDIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/ZUConfig.cmake.in
  ${CMAKE_BINARY_DIR}/ZUConfig.cmake INSTALL_DESTINATION ${ZU_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_BINARY_DIR}/ZUConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_BINARY_DIR}/ZUConfig.cmake ${CMAKE_BINARY_DIR}/ZUConfigVersion.cmake
  DESTINATION ${ZU_INSTALL_CMAKEDIR})

# pkg-config files, relocatable: the prefix is found from the file's place.
file(RELATIVE_PATH ZU_PC_TO_PREFIX /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
string(REGEX REPLACE "/$" "" ZU_PC_TO_PREFIX "${ZU_PC_TO_PREFIX}")
set(zu_pc_zustd "files, Shift-JIS text, command lines, host records and the error channel of the ZU libraries")
set(zu_pc_zudbtool "dBASE III tables with NDX indexes (the ZU table engine)")
set(zu_pc_zuwgy "pattern-driven Shift-JIS text conversion (the ZU conversion engine)")
set(zu_pc_zugdi32 "text drawing with a fixed Japanese font (ZU)")
set(zu_pc_wintrail "the last active window of other programs (ZU)")
foreach(ZU_PC_NAME IN LISTS zu_libs)
  set(ZU_PC_DESCRIPTION ${zu_pc_${ZU_PC_NAME}})
  configure_file(${PROJECT_SOURCE_DIR}/cmake/zu.pc.in ${CMAKE_BINARY_DIR}/pkgconfig/${ZU_PC_NAME}.pc @ONLY)
  install(FILES ${CMAKE_BINARY_DIR}/pkgconfig/${ZU_PC_NAME}.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endforeach()
