# Writes a C++ source that defines ShaderSource as the bytes of INPUT and ShaderSourceSize as
# their count. Run as: cmake -DINPUT=... -DOUTPUT=... -P embed_text.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR byteCount "${hexLength} / 2")

string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# One generated line per line of the text.
string(REPLACE "0x0a," "0x0a,\n    " bytes "${bytes}")
# Bytes above 0x7f do not fit a signed char without a cast.
string(REGEX REPLACE "0x([89a-f][0-9a-f])," "char(0x\\1)," bytes "${bytes}")

file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"shaders/shader_source.h\"\n\n"
  "const char ShaderSource[] = {\n    ${bytes}0x00\n};\n\n"
  "const unsigned ShaderSourceSize = ${byteCount}u;\n")
