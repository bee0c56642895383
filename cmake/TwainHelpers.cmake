# Small helpers shared by the project's CMake files.

# Adds a folder when it holds a CMakeLists.txt, so parts of the tree can grow
# independently.
function(twain_add_optional_subdirectory dir)
  if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${CMAKE_SOURCE_DIR}/${dir} ${CMAKE_BINARY_DIR}/${dir})
  endif()
endfunction()

# Compile options of code that goes into a module: no exceptions, no RTTI,
# only explicitly exported symbols visible.
function(twain_module_code target)
  if(MSVC)
    return()
  endif()
  target_compile_options(${target} PRIVATE -Wall -Wextra -fno-exceptions -fno-rtti)
  set_target_properties(${target} PROPERTIES C_VISIBILITY_PRESET hidden
                                             CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
endfunction()

# Gives a module target the Windows file name it has on every platform
# (Twain_32.ds, MIL.DLL, ...): no "lib" prefix, the exact name.
function(twain_module_file_name target file_name)
  string(REGEX MATCH "\\.[^.]*$" suffix "${file_name}")
  string(REGEX REPLACE "\\.[^.]*$" "" base "${file_name}")
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME "${base}" SUFFIX "${suffix}")
endfunction()

# Links a Windows module or program statically, so it needs only system DLLs.
function(twain_windows_static target)
  if(WIN32 AND NOT MSVC)
    target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()
