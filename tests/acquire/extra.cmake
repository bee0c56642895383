# The application's parsing, container reading and image writers are linked
# directly; the whole runs start the acquire program from the bin folder.
target_link_libraries(${name}_tests PRIVATE acquire_core)
# The fake data sources of the Source Manager's tests stand in for a source
# that closes or never becomes ready.
foreach(fake fake_source_A)
  add_dependencies(${name}_tests ${fake})
endforeach()
