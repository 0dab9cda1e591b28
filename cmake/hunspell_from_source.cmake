# Hunspell for a target that Debian packages no Hunspell for (Windows): the library's sources,
# unpacked from Debian's source package by scripts/build-windows, compiled into a static library
# inside the build folder. Defines the target hunspell_static.
if(NOT MINGW)
  # The Windows build (this file, the forced include below, cmake/windows_addon.cmake's import
  # library and -static) is set up for mingw-w64 only.
  message(FATAL_ERROR "Build the Windows add-on with mingw-w64: scripts/build-windows")
endif()
set(SPELLSHELL_HUNSPELL_SOURCE_DIR "" CACHE PATH
    "Unpacked Hunspell source tree (the folder holding src/hunspell)")
if(NOT EXISTS "${SPELLSHELL_HUNSPELL_SOURCE_DIR}/src/hunspell/hunspell.hxx")
  message(FATAL_ERROR "SPELLSHELL_HUNSPELL_SOURCE_DIR must name an unpacked Hunspell source "
                      "tree (scripts/build-windows fetches one)")
endif()

file(GLOB HUNSPELL_SOURCES "${SPELLSHELL_HUNSPELL_SOURCE_DIR}/src/hunspell/*.cxx")
add_library(hunspell_static STATIC ${HUNSPELL_SOURCES})
# <hunspell/hunspell.hxx>, as with the installed library.
target_include_directories(hunspell_static SYSTEM PUBLIC "${SPELLSHELL_HUNSPELL_SOURCE_DIR}/src")
# HUNSPELL_STATIC for the library and for every file that includes its header: no dllimport.
target_compile_definitions(hunspell_static PUBLIC HUNSPELL_STATIC PRIVATE BUILDING_LIBHUNSPELL)
# Not our code: its warnings are not ours to fix.
target_compile_options(hunspell_static PRIVATE -w)

# Hunspell opens "\\?\"-prefixed paths as UTF-8 through the wide C runtime only under
# Microsoft's compiler; the header forced into csutil.cxx turns that branch on for this build.
set_property(SOURCE "${SPELLSHELL_HUNSPELL_SOURCE_DIR}/src/hunspell/csutil.cxx" APPEND PROPERTY
             COMPILE_OPTIONS -include "${CMAKE_CURRENT_LIST_DIR}/hunspell_utf8_paths.h")
