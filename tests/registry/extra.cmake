# Included by tests/CMakeLists.txt for registry_tests: saving reads the levels
# back from a digitizer on the simulated board, set up with the frame-grabber
# tests' fixture.
target_sources(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/grabber/grabber_fixture.cpp)
target_include_directories(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/grabber)
