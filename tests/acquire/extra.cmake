# The application's parsing, container reading and image writers are linked
# directly; the whole runs start the acquire program from the bin folder.
target_link_libraries(${name}_tests PRIVATE acquire_core)
