# Two small fake data sources for the Source Manager's tests, in a folder of
# their own so that they never show up beside the real source in bin/.
foreach(letter A B)
  add_library(fake_source_${letter} MODULE ${CMAKE_CURRENT_LIST_DIR}/fake/fake_source.cpp)
  twain_module_file_name(fake_source_${letter} "Fake${letter}.ds")
  target_compile_definitions(fake_source_${letter} PRIVATE FAKE_PRODUCT_NAME="Fake Camera ${letter}")
  target_include_directories(fake_source_${letter} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(fake_source_${letter} PRIVATE win32_host)
  set_target_properties(fake_source_${letter} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    LIBRARY_OUTPUT_DIRECTORY ${TWAIN_OUTPUT_DIR}/test-sources
    BUILD_RPATH "$ORIGIN/..")
  add_dependencies(${name}_tests fake_source_${letter})
endforeach()
