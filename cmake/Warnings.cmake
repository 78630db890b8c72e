add_library(kanata_options INTERFACE)
target_compile_options(kanata_options INTERFACE
    -Wall -Wextra -Werror -Wno-missing-field-initializers)
if(KANATA_SANITIZE)
    set(san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_compile_options(${san})
    add_link_options(${san})
endif()
