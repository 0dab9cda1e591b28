# Hunspell compiled from Debian's source package into a static library inside the build folder,
# so that the add-on carries it and needs no libhunspell on the machine that loads it. Debian's
# own libhunspell-1.7.a cannot serve: it is not position-independent, so it does not link into
# a shared object. The sources are unpacked into the cache by `scripts/build-windows --fetch`
# (scripts/setup runs it). Defines the target hunspell_static.
#
# hunspell_find_source_tree(<var>): the unpacked tree named by SPELLSHELL_HUNSPELL_SOURCE_DIR,
# or else the one in the cache, or "" when there is none.
function(hunspell_find_source_tree out)
  if(SPELLSHELL_HUNSPELL_SOURCE_DIR)
    set(${out} "${SPELLSHELL_HUNSPELL_SOURCE_DIR}" PARENT_SCOPE)
    return()
  endif()
  if(DEFINED ENV{SPELLSHELL_CACHE})
    set(cache "$ENV{SPELLSHELL_CACHE}")
  elseif(DEFINED ENV{XDG_CACHE_HOME})
    set(cache "$ENV{XDG_CACHE_HOME}/spellshell")
  else()
    set(cache "$ENV{HOME}/.cache/spellshell")
  endif()
  file(GLOB headers "${cache}/hunspell-src/hunspell-*/src/hunspell/hunspell.hxx")
  set(${out} "" PARENT_SCOPE)
  if(headers)
    list(SORT headers)
    list(GET headers -1 header)
    get_filename_component(tree "${header}/../../.." ABSOLUTE)
    set(${out} "${tree}" PARENT_SCOPE)
  endif()
endfunction()

function(hunspell_add_static_library tree)
  if(NOT EXISTS "${tree}/src/hunspell/hunspell.hxx")
    message(FATAL_ERROR "${tree} is not an unpacked Hunspell source tree "
                        "(scripts/build-windows --fetch fetches one)")
  endif()
  file(GLOB sources "${tree}/src/hunspell/*.cxx")
  add_library(hunspell_static STATIC ${sources})
  # <hunspell/hunspell.hxx>, as with the installed library.
  target_include_directories(hunspell_static SYSTEM PUBLIC "${tree}/src")
  # HUNSPELL_STATIC for the library and for every file that includes its header: no dllimport,
  # and no exported symbols from the add-on.
  target_compile_definitions(hunspell_static PUBLIC HUNSPELL_STATIC PRIVATE BUILDING_LIBHUNSPELL)
  # Not our code: its warnings are not ours to fix, and the sanitizer and fuzzer builds
  # instrument our code, not Hunspell's (its own undefined behaviour is not ours to abort on).
  # -O2 in every build type, as Debian builds its libhunspell: the tests' Debug builds then run
  # Hunspell at its usual speed, and the benchmarks measure the library users get.
  set_property(TARGET hunspell_static PROPERTY COMPILE_OPTIONS -w -O2)
  set_target_properties(hunspell_static PROPERTIES POSITION_INDEPENDENT_CODE ON)

  if(WIN32)
    # Hunspell opens "\\?\"-prefixed paths as UTF-8 through the wide C runtime only under
    # Microsoft's compiler; the header forced into csutil.cxx turns that branch on for this build.
    set_property(SOURCE "${tree}/src/hunspell/csutil.cxx" APPEND PROPERTY
                 COMPILE_OPTIONS -include "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/hunspell_utf8_paths.h")
    set(clock_source hunspell_clock_win.cc)
  else()
    set(clock_source hunspell_clock_posix.cc)
  endif()
  # Hunspell's time limits (50 ms for a compound check, 100 and 250 ms for suggestions) read
  # clock(): on Linux the CPU time of the whole process (a system call on every misspelled word,
  # and in a host with busy threads the limit runs out by other threads' work), on Windows the
  # wall time. Every call Hunspell makes to clock() goes to the calling thread's own CPU time
  # instead (read cheaply on Linux), so that a word's suggestions do not depend on the
  # machine's load.
  target_sources(hunspell_static PRIVATE
                 "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/platform/${clock_source}")
  target_link_options(hunspell_static INTERFACE -Wl,--wrap=clock)
endfunction()
