# Turns a binary file into a C++ source holding it as constant data, so the
# program carries it without writing anything to disk at run time.
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P EmbedBytes.cmake
# defines `extern const unsigned char NAMEBytes[]` and `NAMESize`.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){20})" "\\1\n    " bytes "${bytes}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
  "// Generated at build time from ${name}; do not edit.\n"
  "#include <cstddef>\n\n"
  "extern const unsigned char ${SYMBOL}Bytes[];\n"
  "extern const std::size_t ${SYMBOL}Size;\n"
  "alignas(16) const unsigned char ${SYMBOL}Bytes[] = {\n    ${bytes}\n};\n"
  "const std::size_t ${SYMBOL}Size = ${size};\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
