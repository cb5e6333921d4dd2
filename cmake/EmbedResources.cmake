# Script mode: writes a C++ source that holds the RCDATA files named in the
# resource script, so builds without Win32 resources carry the same bytes.
#   cmake -DRC_FILE=... -DOUTPUT=... -P EmbedResources.cmake
file(STRINGS "${RC_FILE}" rc_lines REGEX "^[0-9]+[ \t]+RCDATA[ \t]+\"[^\"]+\"")
get_filename_component(rc_dir "${RC_FILE}" DIRECTORY)

set(arrays "")
set(table "")
foreach(line IN LISTS rc_lines)
  string(REGEX MATCH "^([0-9]+)[ \t]+RCDATA[ \t]+\"([^\"]+)\"" _ "${line}")
  set(id "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  file(READ "${rc_dir}/${name}" hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
  string(APPEND arrays "// ${name}\nconstexpr std::uint8_t kResource${id}[${size}] = {\n${bytes}};\n\n")
  string(APPEND table "    {${id}, kResource${id}, ${size}},\n")
endforeach()

file(WRITE "${OUTPUT}.tmp" "// Generated from ${RC_FILE} by cmake/EmbedResources.cmake. Do not edit.
#include \"embedded/embedded_resources.h\"

namespace qs3 {
namespace {

${arrays}}  // namespace

std::span<const EmbeddedResource> EmbeddedResources() {
  static constexpr EmbeddedResource kTable[] = {
${table}  };
  return kTable;
}

}  // namespace qs3
")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
