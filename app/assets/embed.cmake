# Turns one file into a C++ source holding its bytes:
#   cmake -DINPUT=<file> -DOUTPUT=<file.cpp> -DSYMBOL=<name> -P embed.cmake
# defines tintwerk::asset_data::<name> (the bytes) and <name>_size (their count).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
if(size EQUAL 0)
  message(FATAL_ERROR "embed: ${INPUT} is empty")
endif()
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REPEAT "0x[0-9a-f][0-9a-f]," 16 row)
string(REGEX REPLACE "(${row})" "\\1\n  " bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
"// Generated from ${name} at build time; do not edit.\n"
"#include <cstddef>\n"
"namespace tintwerk::asset_data {\n"
"extern const unsigned char ${SYMBOL}[];\n"
"extern const std::size_t ${SYMBOL}_size;\n"
"alignas(4) const unsigned char ${SYMBOL}[${size}] = {\n  ${bytes}\n};\n"
"const std::size_t ${SYMBOL}_size = ${size};\n"
"}  // namespace tintwerk::asset_data\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
