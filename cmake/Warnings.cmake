# One interface target carries the project's compiler settings, so every
# library, program and test is built under the same rules.
add_library(umbrix_warnings INTERFACE)
target_compile_options(umbrix_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor
  $<$<BOOL:${UMBRIX_WERROR}>:-Werror>)
target_compile_definitions(umbrix_warnings INTERFACE QT_NO_CAST_FROM_ASCII)

if(UMBRIX_SANITIZE)
  target_compile_options(umbrix_warnings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(umbrix_warnings INTERFACE -fsanitize=address,undefined)
endif()

# GCC 12 at -O3 reports a -Wrestrict false positive inside std::string
# assignments (GCC bug 105329); it would fail every optimised build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(umbrix_warnings INTERFACE -Wno-restrict)
endif()
