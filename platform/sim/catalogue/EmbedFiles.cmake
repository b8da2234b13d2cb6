# Script mode: cmake -DDATA_DIR=<folder> -DOUTPUT=<file.cpp> -P EmbedFiles.cmake
# Writes one C++ source that holds every *.test file of DATA_DIR as a byte array, so the
# catalogue's dumps travel inside the program rather than beside it.
file(GLOB inputs "${DATA_DIR}/*.test")
list(SORT inputs)

set(arrays "")
set(table "")
set(count 0)
foreach(input ${inputs})
  get_filename_component(name "${input}" NAME)
  file(READ "${input}" hex HEX)
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  # Sixteen bytes a line (CMake's regular expressions have no repeat counts).
  string(REPEAT "0x..," 16 row)
  string(REGEX REPLACE "(${row})" "\\1\n    " bytes "${bytes}")
  string(APPEND arrays "const unsigned char kFile${count}[] = {\n    ${bytes}};\n\n")
  string(APPEND table "    {\"${name}\", kFile${count}, sizeof kFile${count}},\n")
  math(EXPR count "${count} + 1")
endforeach()

set(source "// Generated from ${DATA_DIR} by EmbedFiles.cmake; do not edit.
#include \"platform/sim/catalogue/embedded_files.h\"

namespace pacetta::sim {
namespace {

${arrays}const EmbeddedFile kFiles[] = {
${table}    {nullptr, nullptr, 0},
};

}  // namespace

std::span<const EmbeddedFile> EmbeddedCatalogueFiles() { return {kFiles, ${count}}; }

}  // namespace pacetta::sim
")
file(WRITE "${OUTPUT}.new" "${source}")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
