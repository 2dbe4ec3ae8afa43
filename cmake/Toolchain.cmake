# Compiler settings shared by every target: warnings, sanitizers, ccache.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

add_compile_options(-Wall -Wextra)
if(TRAVIX_WERROR)
  add_compile_options(-Werror)
endif()

if(TRAVIX_SANITIZER STREQUAL "asan")
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
elseif(TRAVIX_SANITIZER STREQUAL "tsan")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT TRAVIX_SANITIZER STREQUAL "")
  message(FATAL_ERROR "TRAVIX_SANITIZER must be empty, asan or tsan")
endif()
