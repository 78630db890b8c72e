# The program's folders from the ground up (docs/architecture.md says what
# each one owns). Every folder's logic is a library of its own that links
# only the folders below it; its gui/ is a library on top of that logic and
# of the gui libraries below. `layer_check` runs before any of them is built
# and fails the build when a file includes a folder above its own, or when
# logic includes a gui/ header.
set(KANATA_LAYERS platform data settings ui lookup intake maps history views roster maintenance
    transfer printing environment app)

add_library(kanata_logic_deps INTERFACE)
target_include_directories(kanata_logic_deps INTERFACE ${CMAKE_SOURCE_DIR})
target_link_libraries(kanata_logic_deps INTERFACE kanata_options Qt6::Core Qt6::Network Qt6::Gui
    SQLite::SQLite3 PkgConfig::PQ OpenSSL::Crypto pugixml::pugixml PhoneNumber::PhoneNumber
    ${CMAKE_DL_LIBS})
add_library(kanata_gui_deps INTERFACE)
target_link_libraries(kanata_gui_deps INTERFACE kanata_logic_deps Qt6::Widgets Qt6::PrintSupport
    Qt6::Multimedia Qt6::SerialPort PkgConfig::XCB)

set(layer_sources "")
foreach(layer IN LISTS KANATA_LAYERS)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS ${layer}/*.cpp ${layer}/*.h)
    list(APPEND layer_sources ${found})
endforeach()
set(layer_stamp ${CMAKE_BINARY_DIR}/layer_check.stamp)
add_custom_command(OUTPUT ${layer_stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR}
        -P ${CMAKE_SOURCE_DIR}/cmake/LayerCheck.cmake
    COMMAND ${CMAKE_COMMAND} -E touch ${layer_stamp}
    DEPENDS ${layer_sources} ${CMAKE_SOURCE_DIR}/cmake/LayerCheck.cmake
        ${CMAKE_SOURCE_DIR}/cmake/Layers.cmake
        ${CMAKE_SOURCE_DIR}/docs/architecture.md
    COMMENT "Checking that no folder includes one above it")
add_custom_target(layer_check DEPENDS ${layer_stamp})
# The include matrix, for reading: `cmake --build BUILD --target layer_matrix`.
add_custom_target(layer_matrix
    COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${CMAKE_SOURCE_DIR} -DMATRIX=ON
        -P ${CMAKE_SOURCE_DIR}/cmake/LayerCheck.cmake)

# kanata_layer_library(NAME SOURCES BELOW...): a static library of SOURCES
# on top of BELOW, or only a link to BELOW when the folder has no such part.
function(kanata_layer_library name sources)
    if(sources)
        add_library(${name} STATIC ${sources})
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(${name} PUBLIC ${ARGN})
        add_dependencies(${name} layer_check)
    else()
        add_library(${name} INTERFACE)
        target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
endfunction()

# The program's own start (main.cpp) is the executable, not a library.
set(below_logic kanata_logic_deps)
set(below_gui kanata_gui_deps)
foreach(layer IN LISTS KANATA_LAYERS)
    file(GLOB_RECURSE found RELATIVE ${CMAKE_SOURCE_DIR} CONFIGURE_DEPENDS ${layer}/*.cpp
        ${layer}/*.h)
    list(REMOVE_ITEM found app/main.cpp)
    set(logic "")
    set(gui "")
    foreach(f IN LISTS found)
        # app/ wires windows together: all of it sits on the gui side.
        if(f MATCHES "^[a-z]+/gui/" OR layer STREQUAL "app")
            list(APPEND gui ${CMAKE_SOURCE_DIR}/${f})
        else()
            list(APPEND logic ${CMAKE_SOURCE_DIR}/${f})
        endif()
    endforeach()
    kanata_layer_library(kanata_${layer} "${logic}" ${below_logic})
    kanata_layer_library(kanata_${layer}_gui "${gui}" kanata_${layer} ${below_gui})
    set(below_logic kanata_${layer})
    set(below_gui kanata_${layer}_gui)
endforeach()

# What the tools, tests and benchmarks link: all logic, or everything.
add_library(kanata_core INTERFACE)
target_link_libraries(kanata_core INTERFACE ${below_logic})
add_library(kanata_gui INTERFACE)
target_link_libraries(kanata_gui INTERFACE ${below_gui})
