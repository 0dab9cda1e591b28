# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix): the
# "posix" flavour, whose C++ runtime has std::thread and std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SPELLSHELL_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SPELLSHELL_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SPELLSHELL_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SPELLSHELL_MINGW_PREFIX}-windres)
set(CMAKE_DLLTOOL ${SPELLSHELL_MINGW_PREFIX}-dlltool)

# Libraries and headers only from the mingw-w64 tree; programs (node, dlltool) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${SPELLSHELL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
