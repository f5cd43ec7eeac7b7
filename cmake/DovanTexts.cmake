# Texts from one source: each table texts/NAME.texts (string id, name, English, Japanese a line) is turned at build
# time into the C++ table rows (NAME_strings.inc), the .rc string tables (NAME_strings_en.rc, and
# NAME_strings_ja.rc in code page 932) and, for the program, the enum of its message ids (program_ids.h), all in
# the build tree's generated/texts/. A target that includes them calls dovan_use_texts.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(DOVAN_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(DOVAN_TEXTS_DIR ${DOVAN_GENERATED_DIR}/texts)

set(texts_outputs)
foreach(table program mbox eml bmf maildir)
  set(outputs ${DOVAN_TEXTS_DIR}/${table}_strings.inc ${DOVAN_TEXTS_DIR}/${table}_strings_en.rc
      ${DOVAN_TEXTS_DIR}/${table}_strings_ja.rc)
  set(options)
  if(table STREQUAL "program")
    list(APPEND outputs ${DOVAN_TEXTS_DIR}/program_ids.h)
    set(options --enum engine::MessageId)
  endif()
  add_custom_command(OUTPUT ${outputs}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/texts/generate_texts.py
            ${PROJECT_SOURCE_DIR}/texts/${table}.texts ${DOVAN_TEXTS_DIR} ${table} ${options}
    DEPENDS ${PROJECT_SOURCE_DIR}/texts/${table}.texts ${PROJECT_SOURCE_DIR}/texts/generate_texts.py
    COMMENT "Generating the texts of ${table}"
    VERBATIM)
  list(APPEND texts_outputs ${outputs})
endforeach()
add_custom_target(dovan_texts DEPENDS ${texts_outputs})

# dovan_use_texts(target scope): the target sees generated/ as an include folder (#include "texts/...") and is
# built after the texts.
function(dovan_use_texts target scope)
  add_dependencies(${target} dovan_texts)
  target_include_directories(${target} ${scope} ${DOVAN_GENERATED_DIR})
endfunction()

# dovan_resources_use_texts(rc_source table): the resource script is compiled again when the table changes (the
# resource compiler reports no included files).
function(dovan_resources_use_texts rc_source table)
  set_property(SOURCE ${rc_source} APPEND PROPERTY OBJECT_DEPENDS
    ${DOVAN_TEXTS_DIR}/${table}_strings_en.rc ${DOVAN_TEXTS_DIR}/${table}_strings_ja.rc)
endfunction()
