# Writes a C++ source that holds a file's bytes: cmake -DIN=file -DOUT=source -DNAME=function -P embed.cmake
file(READ ${IN} hex HEX)
string(LENGTH "${hex}" length)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
math(EXPR size "${length} / 2")
file(WRITE ${OUT} "// Made from ${IN} at build time.\n#include <string_view>\n\nnamespace ax7::server {\n\nnamespace {\nconst char kBytes[] = {${bytes} 0};\n}  // namespace\n\nstd::string_view ${NAME}() { return {kBytes, ${size}}; }\n\n}  // namespace ax7::server\n")
