# Compiler settings shared by every target of the project.

if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
  add_compile_options(-Wall -Wextra)
  if(DOVAN_WERROR)
    add_compile_options(-Werror)
  endif()
endif()

if(DOVAN_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined)
endif()

if(WIN32)
  # The Windows deliverables depend on the system's DLLs alone: the C and C++ runtimes are linked in.
  add_link_options(-static -static-libgcc -static-libstdc++)
  # windows.h reaches portable code through the plugin header; its min/max macros would break std::min.
  add_compile_definitions(NOMINMAX)
endif()

if(DOVAN_FUZZ)
  # Every object carries coverage for the fuzzer; the fuzz targets add -fsanitize=fuzzer at link time.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
endif()

# A writer plugin: a shared library named exactly as given (Dovanmbox.so, Dovanmbox.dll), placed in the
# build tree's plugin folder and installed beside the program. Sources named *_posix.cpp are built only where
# there is no Win32; on Windows the plugin folder's win32/ sources, .rc and .def files join automatically. Its
# texts come from the table texts/<name without "Dovan">.texts.
function(dovan_add_plugin name)
  set(sources)
  foreach(source ${ARGN})
    if(WIN32 AND source MATCHES "_posix\\.cpp$")
      continue()
    endif()
    list(APPEND sources ${source})
  endforeach()
  if(WIN32)
    file(GLOB win32_sources CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.rc
      ${CMAKE_CURRENT_SOURCE_DIR}/win32/*.def)
    list(APPEND win32_sources ${PROJECT_SOURCE_DIR}/plugins/common/win32/setting_dialog.cpp)
    list(APPEND sources ${win32_sources})
  endif()
  add_library(${name} MODULE ${sources})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    LIBRARY_OUTPUT_DIRECTORY ${DOVAN_PLUGIN_OUTPUT_DIRECTORY}
    RUNTIME_OUTPUT_DIRECTORY ${DOVAN_PLUGIN_OUTPUT_DIRECTORY}
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE dovan_plugin_api dovan_platform dovan_plugin_common)
  string(REGEX REPLACE "^Dovan" "" table ${name})
  dovan_use_texts(${name} PRIVATE)
  if(WIN32)
    dovan_resources_use_texts(${CMAKE_CURRENT_SOURCE_DIR}/win32/${table}.rc ${table})
  endif()
  if(WIN32)
    # The .def file lists the plain entry-point names; without --kill-at i686 would export Name@N.
    target_link_options(${name} PRIVATE -Wl,--kill-at -Wl,--enable-stdcall-fixup)
    target_link_libraries(${name} PRIVATE user32 advapi32)
  endif()
  install(TARGETS ${name} LIBRARY DESTINATION ${DOVAN_PLUGIN_INSTALL_DIRECTORY}
                          RUNTIME DESTINATION ${DOVAN_PLUGIN_INSTALL_DIRECTORY})
endfunction()
