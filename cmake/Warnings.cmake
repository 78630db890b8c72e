add_library(kanata_options INTERFACE)
target_compile_options(kanata_options INTERFACE
    -Wall -Wextra -Werror -Wno-missing-field-initializers)
if(KANATA_SANITIZE)
    set(san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${san})
    add_link_options(${san})
endif()
# GCC 12 reports false -Wrestrict overlaps inside std::string at -O2/-O3
# (GCC bug 105329); keep it a warning there rather than failing the build.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(kanata_options INTERFACE -Wno-error=restrict)
endif()
