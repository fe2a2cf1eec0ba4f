# aerolune_install_manual(<page>) installs the roff page <page> (named
# <name>.<section>, beside the calling list file, with @PROJECT_VERSION@ in
# its title) compressed, as Debian keeps its manual pages, into
# share/man/man<section>. gzip -n leaves the name and time out of the file,
# so the same page always compresses to the same bytes.
function(aerolune_install_manual page)
    string(REGEX MATCH "[0-9]$" section "${page}")
    set(source ${CMAKE_CURRENT_BINARY_DIR}/${page})
    configure_file(${page} ${source} @ONLY)
    set(compressed ${CMAKE_CURRENT_BINARY_DIR}/${page}.gz)
    add_custom_command(OUTPUT ${compressed}
        COMMAND gzip -9 -n -c ${source} > ${compressed}
        DEPENDS ${source}
        COMMENT "Compressing the manual page ${page}"
        VERBATIM)
    add_custom_target(manual_${page} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endfunction()
