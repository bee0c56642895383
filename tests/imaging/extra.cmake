# Included by tests/CMakeLists.txt for imaging_tests: libtiff reads back the
# files the simulator writes, libpng the renderings of windows it paints.
find_package(TIFF REQUIRED)
find_package(PNG REQUIRED)
target_link_libraries(${name}_tests PRIVATE TIFF::TIFF PNG::PNG)
