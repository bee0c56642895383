# Included by tests/CMakeLists.txt for ui_tests: the program carries the
# module's resources, so that the source library linked into it finds its
# dialog templates in the program, and the recording Source Manager of the
# session tests receives the dialog's notifications.
twain_add_module_resources(${name}_tests ${CMAKE_SOURCE_DIR}/ui/resources/Twain_32.rc)
target_include_directories(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/session)
add_dependencies(${name}_tests session_fake_source_manager)
target_compile_definitions(${name}_tests PRIVATE
  FAKE_SOURCE_MANAGER_PATH="$<TARGET_FILE:session_fake_source_manager>")
# The programs its last tests run.
if(TARGET dialog_script)
  add_dependencies(${name}_tests dialog_script)
endif()
# The grabber tests' fixture: the simulator, its call log and the captured log.
target_sources(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/grabber/grabber_fixture.cpp)
target_include_directories(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/grabber)
# The recording Source Manager as the session tests hold it.
target_sources(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests/session/recording_source_manager.cpp)
