# Read by cpack before it makes each package. Without dpkg-shlibdeps, CPack
# would still make the Debian package, quietly, with none of the libraries
# in its Depends: a package that installs anywhere and runs nowhere. Stop
# instead, and say what to install.
if(CPACK_GENERATOR STREQUAL "DEB")
    find_program(AEROLUNE_DPKG_SHLIBDEPS dpkg-shlibdeps)
    find_program(AEROLUNE_FILE file)
    if(NOT EXISTS "${AEROLUNE_DPKG_SHLIBDEPS}" OR NOT EXISTS "${AEROLUNE_FILE}")
        message(FATAL_ERROR "The Debian package's Depends come from dpkg-shlibdeps, which needs "
                            "the Debian packages dpkg-dev and file: install them "
                            "(sudo apt install dpkg-dev file) and run cpack again.")
    endif()
endif()
