# Included by tests/CMakeLists.txt for imaging_tests: libtiff reads back the
# files the simulator writes.
find_package(TIFF REQUIRED)
target_link_libraries(${name}_tests PRIVATE TIFF::TIFF)
