# Included by tests/CMakeLists.txt for transfer_tests: the files the simulated
# board saves are read back with libtiff.
find_package(TIFF REQUIRED)
target_link_libraries(${name}_tests PRIVATE TIFF::TIFF)
