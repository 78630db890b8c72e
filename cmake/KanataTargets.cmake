# kanata_add_plugin(NAME SOURCES...): a shared object loaded with dlopen from
# the application folder, named exactly NAME.so (no lib prefix).
function(kanata_add_plugin name)
    add_library(${name} MODULE ${ARGN})
    set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name}
        LIBRARY_OUTPUT_DIRECTORY ${KANATA_STAGE_DIR})
    target_link_libraries(${name} PRIVATE kanata_options)
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
    install(TARGETS ${name} LIBRARY DESTINATION ${KANATA_INSTALL_APPDIR})
    set_property(GLOBAL APPEND PROPERTY KANATA_STAGED_TARGETS ${name})
endfunction()

# kanata_add_tool(NAME SOURCES...): an executable in the application folder.
function(kanata_add_tool name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE kanata_core)
    install(TARGETS ${name} RUNTIME DESTINATION ${KANATA_INSTALL_APPDIR})
    set_property(GLOBAL APPEND PROPERTY KANATA_STAGED_TARGETS ${name})
endfunction()

# kanata_stage(TARGET): marks a target whose output lands in the application
# folder (data files, helpers), so that the `program` target and the tests
# that start the program build it.
function(kanata_stage name)
    set_property(GLOBAL APPEND PROPERTY KANATA_STAGED_TARGETS ${name})
endfunction()
