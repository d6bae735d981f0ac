# Read by cpack just before it makes each package. Whoever makes the Debian package is
# its maintainer, named the way Debian's own tools name them (DEBFULLNAME and DEBEMAIL,
# else NAME and EMAIL), unless the build was configured with PAIRON12_MAINTAINER.
# The same person signs the changelog, which Debian wants in every package.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
    return()
endif()

if(NOT CPACK_DEBIAN_PACKAGE_MAINTAINER)
    set(name "$ENV{DEBFULLNAME}")
    if(name STREQUAL "")
        set(name "$ENV{NAME}")
    endif()
    set(address "$ENV{DEBEMAIL}")
    if(address STREQUAL "")
        set(address "$ENV{EMAIL}")
    endif()
    # Debian's tools also take DEBEMAIL as "Name <address>", the name counting only
    # when neither DEBFULLNAME nor NAME gives one.
    if(address MATCHES "^(.*[^ ]) *<([^>]*)>$")
        set(address "${CMAKE_MATCH_2}")
        if(name STREQUAL "")
            set(name "${CMAKE_MATCH_1}")
        endif()
    endif()
    if(name STREQUAL "" OR address STREQUAL "")
        message(FATAL_ERROR "Whoever makes the Debian package is its maintainer: set DEBFULLNAME "
                            "to your name and DEBEMAIL to your mail address, or configure the build "
                            "with -DPAIRON12_MAINTAINER=\"Name <address>\".")
    endif()
    set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${name} <${address}>")
endif()

configure_file("${CPACK_PAIRON12_CHANGELOG_IN}" "${CPACK_PAIRON12_CHANGELOG}" @ONLY)
# Compressed as the manual pages are, for the same reasons (packaging/CMakeLists.txt).
execute_process(COMMAND "${CPACK_PAIRON12_GZIP}" -9nf "${CPACK_PAIRON12_CHANGELOG}" COMMAND_ERROR_IS_FATAL ANY)
