# cmake -DRES_FILE=<.res> -DCPP_FILE=<.cpp> -P ResourceBlock.cmake
# Writes the bytes of a compiled resource file as the exported block that the
# host layer reads as the module's resources. Protected, so that a module's own
# references to its block are never bound to the program's block of the same name.
file(READ ${RES_FILE} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# About sixteen bytes a line keeps the generated file readable.
string(REGEX REPLACE "((0x..,){16})" "\\1\n  " bytes "${bytes}")
get_filename_component(res_name ${RES_FILE} NAME)
file(WRITE ${CPP_FILE}.tmp
"// Generated from ${res_name}: the module's resources in .res format.
#define HOST_RESOURCE_EXPORT extern \"C\" __attribute__((visibility(\"protected\"), aligned(16)))
HOST_RESOURCE_EXPORT const unsigned char HostModuleResources[] = {
  ${bytes}
};
HOST_RESOURCE_EXPORT const unsigned long HostModuleResourcesSize = ${size};
")
file(COPY_FILE ${CPP_FILE}.tmp ${CPP_FILE} ONLY_IF_DIFFERENT)
file(REMOVE ${CPP_FILE}.tmp)
