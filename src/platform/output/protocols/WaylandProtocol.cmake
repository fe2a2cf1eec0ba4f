# aerolune_wayland_protocols(<target> <protocol.xml>...) makes <target>, a
# small C library of the glue that wayland-scanner writes for each protocol:
# "<name>-client-protocol.h" to include and the interface tables it needs,
# generated at build time into the target's binary folder.
#
# The generated code is compiled as it comes, without the project's warning
# and instrumentation flags: they are for the project's own code, and some
# (the fuzzing build's) are for Clang's C++ compiler alone.
pkg_get_variable(scanner wayland-scanner wayland_scanner)
if(NOT scanner)
    find_program(scanner wayland-scanner REQUIRED)
endif()
# Cached, so that the function works from any folder (the tests' too).
set(AEROLUNE_WAYLAND_SCANNER "${scanner}" CACHE INTERNAL "the wayland-scanner program")

function(aerolune_wayland_protocols target)
    set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target})
    file(MAKE_DIRECTORY ${folder})
    set(sources "")
    foreach(xml IN LISTS ARGN)
        get_filename_component(name ${xml} NAME_WE)
        set(header ${folder}/${name}-client-protocol.h)
        set(code ${folder}/${name}-protocol.c)
        add_custom_command(OUTPUT ${header} ${code}
            COMMAND ${AEROLUNE_WAYLAND_SCANNER} client-header ${xml} ${header}
            COMMAND ${AEROLUNE_WAYLAND_SCANNER} private-code ${xml} ${code}
            DEPENDS ${xml}
            COMMENT "Generating the Wayland glue of ${name}"
            VERBATIM)
        list(APPEND sources ${header} ${code})
    endforeach()
    add_library(${target} STATIC ${sources})
    set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C COMPILE_OPTIONS ""
        POSITION_INDEPENDENT_CODE ON)
    target_include_directories(${target} SYSTEM PUBLIC ${folder})
    target_link_libraries(${target} PUBLIC PkgConfig::AEROLUNE_WAYLAND)
endfunction()
