# The add-on as a Windows DLL (included by CMakeLists.txt for WIN32 builds, after the target
# spellshell exists).
#
# Node-API and the host's libuv mutex are imported from a library named "node.exe", delay-loaded:
# nothing is bound when the DLL loads, and src/module/delay_load_hook_win.cc binds the first call
# to the executable that hosts the add-on, whatever its file is called. The import library comes
# from the Node-API export list that node-api-headers ships, plus the four uv_mutex_* functions.
execute_process(
  COMMAND node -p "require('node-api-headers').def_paths.node_api_def"
  WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
  OUTPUT_VARIABLE SPELLSHELL_NODE_API_DEF OUTPUT_STRIP_TRAILING_WHITESPACE
  COMMAND_ERROR_IS_FATAL ANY)
find_program(SPELLSHELL_DLLTOOL NAMES ${CMAKE_DLLTOOL} x86_64-w64-mingw32-dlltool REQUIRED)

set(SPELLSHELL_NODE_DEF ${CMAKE_CURRENT_BINARY_DIR}/node.def)
set(SPELLSHELL_NODE_DELAYLIB ${CMAKE_CURRENT_BINARY_DIR}/libnode_delay.a)
file(STRINGS ${SPELLSHELL_NODE_API_DEF} node_api_def_lines)  # the file ends without a newline
list(APPEND node_api_def_lines uv_mutex_init uv_mutex_lock uv_mutex_unlock uv_mutex_destroy)
list(JOIN node_api_def_lines "\n" node_def)
file(WRITE ${SPELLSHELL_NODE_DEF}.in "${node_def}\n")
configure_file(${SPELLSHELL_NODE_DEF}.in ${SPELLSHELL_NODE_DEF} COPYONLY)  # rewritten only on change
add_custom_command(
  OUTPUT ${SPELLSHELL_NODE_DELAYLIB}
  COMMAND ${SPELLSHELL_DLLTOOL} --input-def ${SPELLSHELL_NODE_DEF} --dllname node.exe
          --output-delaylib ${SPELLSHELL_NODE_DELAYLIB}
  DEPENDS ${SPELLSHELL_NODE_DEF}
  COMMENT "Delay-import library for node.exe")
add_custom_target(spellshell_node_delaylib DEPENDS ${SPELLSHELL_NODE_DELAYLIB})
add_dependencies(spellshell spellshell_node_delaylib)

# The C and C++ runtimes go inside the DLL (-static): an application ships the .node file alone.
target_link_libraries(spellshell PRIVATE ${SPELLSHELL_NODE_DELAYLIB} ole32 oleaut32 uuid shell32)
target_link_options(spellshell PRIVATE -static)
