# Included by tests/CMakeLists.txt for session_tests: a recording Source
# Manager module. It is named TWAIN_32.DLL like the real one, so it lands in a
# folder of its own; the tests load it by its full path before the source
# looks for the Source Manager by name.
add_library(session_fake_source_manager SHARED
            ${folder}/fake_source_manager/fake_source_manager.cpp)
target_include_directories(session_fake_source_manager PRIVATE ${CMAKE_SOURCE_DIR})
twain_module_file_name(session_fake_source_manager "TWAIN_32.DLL")
set_target_properties(session_fake_source_manager PROPERTIES
  NO_SONAME ON
  CXX_VISIBILITY_PRESET hidden
  LIBRARY_OUTPUT_DIRECTORY ${TWAIN_OUTPUT_DIR}/session_fake_source_manager)
add_dependencies(${name}_tests session_fake_source_manager)
target_compile_definitions(${name}_tests PRIVATE
  FAKE_SOURCE_MANAGER_PATH="$<TARGET_FILE:session_fake_source_manager>")
