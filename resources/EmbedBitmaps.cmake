# Writes a C++ source holding the bytes of the three bitmap files and the lookup by resource
# number. Run at build time: cmake -DSOURCE_DIR=<resources dir> -DOUTPUT=<file.cpp> -P this.
set(ids 128 129 130)
set(files panel.bmp knob.bmp switch.bmp)

set(text "// Generated from resources/*.bmp at build time: do not edit.\n")
string(APPEND text "#include \"resources/BitmapResources.h\"\n\nnamespace {\n")
foreach(i RANGE 2)
  list(GET ids ${i} id)
  list(GET files ${i} file)
  file(READ ${SOURCE_DIR}/${file} hex HEX)
  string(LENGTH "${hex}" digits)
  math(EXPR bytes "${digits} / 2")
  # Sixteen bytes a line keeps the generated file readable in a debugger.
  string(REGEX REPLACE "([0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f][0-9a-f])"
         "\\1\n" hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND text "// ${file}\nconst unsigned char bitmap${id}[${bytes}] = {\n${hex}};\n\n")
endforeach()
string(APPEND text "}  // namespace\n\n")
string(APPEND text "bool findBitmapResource(int id, const unsigned char** data, size_t* size) {\n")
string(APPEND text "  if (data == nullptr || size == nullptr) return false;\n")
string(APPEND text "  switch (id) {\n")
foreach(id ${ids})
  string(APPEND text "    case ${id}: *data = bitmap${id}; *size = sizeof bitmap${id}; return true;\n")
endforeach()
string(APPEND text "    default: return false;\n  }\n}\n")

# Rewrite only on change so that an unchanged picture causes no recompilation.
set(old "")
if(EXISTS ${OUTPUT})
  file(READ ${OUTPUT} old)
endif()
if(NOT old STREQUAL text)
  file(WRITE ${OUTPUT} "${text}")
endif()
