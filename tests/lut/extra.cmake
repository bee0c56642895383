# Included by tests/CMakeLists.txt for lut_tests: the table tests set up the
# digitizer on the simulated board with the frame-grabber tests' fixture.
target_sources(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/grabber/grabber_fixture.cpp)
target_include_directories(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/grabber)
