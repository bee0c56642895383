# Included by tests/CMakeLists.txt for host_tests: the modules its loader
# tests load, and the program's own resources.

# HostTestModule.dll: DllMain reporting through debugger output, an export,
# version and other resources. PlainModule.dll: no DllMain, no resources.
add_library(host_test_module SHARED ${folder}/fixtures/test_module.cpp)
twain_module_file_name(host_test_module "HostTestModule.dll")
twain_add_module_resources(host_test_module ${folder}/fixtures/test_module.rc)

add_library(host_plain_module SHARED ${folder}/fixtures/test_module.cpp)
twain_module_file_name(host_plain_module "PlainModule.dll")
target_compile_definitions(host_plain_module PRIVATE HOST_TEST_NO_DLLMAIN)

foreach(module host_test_module host_plain_module)
  target_link_libraries(${module} PRIVATE win32_host)
  set_target_properties(${module} PROPERTIES NO_SONAME ON C_VISIBILITY_PRESET hidden
                                             CXX_VISIBILITY_PRESET hidden)
  target_link_options(${module} PRIVATE -Wl,--no-undefined)
  add_dependencies(${name}_tests ${module})
endforeach()

twain_add_module_resources(${name}_tests ${folder}/fixtures/test_program.rc)
