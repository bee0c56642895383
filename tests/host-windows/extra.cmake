# Included by tests/CMakeLists.txt for host-windows_tests: the test dialogs,
# the program's own resources; libpng to read renderings back.
twain_add_module_resources(${name}_tests ${folder}/fixtures/test_dialogs.rc)
find_package(PNG REQUIRED)
target_link_libraries(${name}_tests PRIVATE PNG::PNG)
