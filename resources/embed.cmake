# Turns a data file into a C++ source holding its bytes.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" len)
math(EXPR size "${len} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
file(WRITE ${OUTPUT} "#include <cstddef>\nextern const unsigned char ${SYMBOL}[] = {${bytes} 0};\nextern const std::size_t ${SYMBOL_SIZE} = ${size};\n")
