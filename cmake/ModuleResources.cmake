# twain_add_module_resources(<target> <rc file>): gives a module or program the
# resources of a resource script.
#
# On Windows the script is compiled by the toolchain's resource compiler
# (windres) and linked into the image as usual.
#
# On the host, llvm-rc compiles it into a .res file whose bytes are embedded
# in the target as the exported block HostModuleResources (and its size
# HostModuleResourcesSize); the host layer's FindResourceA, LoadResource and
# GetFileVersionInfoA read that block.
include_guard(GLOBAL)

if(WIN32)
  enable_language(RC)
else()
  find_program(TWAIN_LLVM_RC NAMES llvm-rc llvm-rc-14
               HINTS /usr/lib/llvm-14/bin DOC "llvm-rc, the resource compiler of the host build")
  find_program(TWAIN_RC_CLANG NAMES clang clang-14
               HINTS /usr/lib/llvm-14/bin DOC "clang, the preprocessor of resource scripts")
  if(NOT TWAIN_LLVM_RC)
    message(FATAL_ERROR "llvm-rc not found (Debian package llvm-14: /usr/lib/llvm-14/bin/llvm-rc)")
  endif()

  # llvm-rc 14 runs the script through clang from its own folder when that
  # exists; check once whether it does, else preprocess with clang ourselves.
  # llvm-rc reads any argument that begins with "/" as an option ("/check/x.rc"
  # is "/C heck/x.rc"), so its input file is always given by a relative path.
  if(NOT DEFINED CACHE{TWAIN_LLVM_RC_PREPROCESSES})
    set(probe_dir ${CMAKE_BINARY_DIR}/CMakeFiles/llvm-rc-probe)
    file(MAKE_DIRECTORY ${probe_dir})
    file(WRITE ${probe_dir}/probe.rc "#define PROBE_ID 7\nPROBE_ID RCDATA { 1 }\n")
    execute_process(COMMAND ${TWAIN_LLVM_RC} /FO ${probe_dir}/probe.res probe.rc
                    WORKING_DIRECTORY ${probe_dir}
                    RESULT_VARIABLE probe_result OUTPUT_QUIET ERROR_QUIET)
    if(probe_result EQUAL 0 AND EXISTS ${probe_dir}/probe.res)
      set(preprocesses ON)
    else()
      set(preprocesses OFF)
    endif()
    set(TWAIN_LLVM_RC_PREPROCESSES ${preprocesses} CACHE BOOL
        "llvm-rc preprocesses resource scripts itself")
    message(STATUS "llvm-rc preprocesses resource scripts itself: ${preprocesses}")
  endif()
  if(NOT TWAIN_LLVM_RC_PREPROCESSES AND NOT TWAIN_RC_CLANG)
    message(FATAL_ERROR "llvm-rc cannot preprocess and no clang was found to do it")
  endif()

endif()

function(twain_add_module_resources target rc_file)
  get_filename_component(rc_file ${rc_file} ABSOLUTE)
  if(WIN32)
    target_sources(${target} PRIVATE ${rc_file})
    return()
  endif()

  get_filename_component(rc_name ${rc_file} NAME_WE)
  get_filename_component(rc_file_name ${rc_file} NAME)
  get_filename_component(rc_dir ${rc_file} DIRECTORY)
  set(out_dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  set(res_file ${out_dir}/${rc_name}.res)
  set(res_to_cpp ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/ResourceBlock.cmake)
  set(cpp_file ${out_dir}/${rc_name}_resources.cpp)

  # Headers the script includes, so that a change to them rebuilds it.
  file(GLOB rc_headers CONFIGURE_DEPENDS ${rc_dir}/*.h)

  if(TWAIN_LLVM_RC_PREPROCESSES)
    set(compile_commands
        COMMAND ${TWAIN_LLVM_RC} /I ${rc_dir} /I ${CMAKE_SOURCE_DIR} /FO ${res_file} ${rc_file_name})
  else()
    set(pre_file ${out_dir}/${rc_name}.preprocessed.rc)
    file(RELATIVE_PATH pre_file_relative ${rc_dir} ${pre_file})
    set(compile_commands
        COMMAND ${TWAIN_RC_CLANG} -E -P -x c -DRC_INVOKED -I ${rc_dir} -I ${CMAKE_SOURCE_DIR}
                ${rc_file} -o ${pre_file}
        COMMAND ${TWAIN_LLVM_RC} /no-preprocess /FO ${res_file} ${pre_file_relative})
  endif()

  add_custom_command(
    OUTPUT ${cpp_file}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    ${compile_commands}
    COMMAND ${CMAKE_COMMAND} -DRES_FILE=${res_file} -DCPP_FILE=${cpp_file} -P ${res_to_cpp}
    WORKING_DIRECTORY ${rc_dir}
    DEPENDS ${rc_file} ${rc_headers} ${res_to_cpp}
    COMMENT "Compiling resources ${rc_name}.rc for ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${cpp_file})

  # A program's block must be in its dynamic symbol table for dlsym(NULL, ...).
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE
                        "LINKER:--export-dynamic-symbol=HostModuleResources"
                        "LINKER:--export-dynamic-symbol=HostModuleResourcesSize")
  endif()
endfunction()

# twain_module_exports(<target> <symbol>...): a module exports exactly these
# C symbols and its resource block, as a .def file makes a Windows DLL export
# only its EXPORTS. On the host a version script hides everything else,
# including the weak C++ library instantiations that hidden visibility leaves
# exported; on Windows the module's .def file does the job and this is a no-op.
function(twain_module_exports target)
  if(WIN32)
    return()
  endif()
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_exports.map)
  set(globals "")
  foreach(symbol IN LISTS ARGN ITEMS HostModuleResources HostModuleResourcesSize)
    string(APPEND globals "    ${symbol};\n")
  endforeach()
  file(CONFIGURE OUTPUT ${script}
       CONTENT "/* Generated: the exports of ${target}. */\n{\n  global:\n${globals}  local: *;\n};\n")
  target_link_options(${target} PRIVATE "LINKER:--version-script=${script}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()
