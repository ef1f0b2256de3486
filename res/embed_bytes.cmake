# cmake -DINPUT=file -DOUTPUT=file.cpp -DHEADER=path.h -DFUNCTION=Name -P embed_bytes.cmake
# Writes a C++ source whose function FUNCTION returns the bytes of INPUT.
file(READ ${INPUT} hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# Lines of 16 bytes, so a difference in the generated file is readable.
string(REPEAT "0x..," 16 line)
string(REGEX REPLACE "(${line})" "\\1\n    " bytes "${bytes}")
get_filename_component(name ${INPUT} NAME)
file(WRITE ${OUTPUT}.tmp
  "// Generated from ${name} at build time; do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "namespace {\n\n"
  "alignas(4) constexpr uint8_t kBytes[] = {\n    ${bytes}\n};\n\n"
  "}  // namespace\n\n"
  "std::span<const uint8_t> ${FUNCTION}() { return kBytes; }\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
