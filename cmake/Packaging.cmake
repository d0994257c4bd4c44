# The Debian package, built by CPack: `cpack -G DEB` in a build configured with
# CMAKE_INSTALL_PREFIX=/usr (tools/package.sh does all of it and checks the result).
# The package version is the project version; its dependencies are computed by dpkg-shlibdeps.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME bytescope)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Bytescope developers")
set(CPACK_PACKAGE_CONTACT "Bytescope developers <dev@bytescope.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read, log and write the registers of the PC parallel port")
set(CPACK_PACKAGE_DESCRIPTION [=[
Bytescope is a small desktop tool for bringing up hardware on a PC parallel
port. On each request it reads the port's data, status and control registers,
stamps the reading with the time of day and adds it to a log that the window
shows as a table, newest reading first, with every register as eight binary
digits and as a decimal number. Two small dialogs write the data and the
control register; each write is followed by a fresh reading.

The command bytescope-cli does the same from a shell or a script: readings
(also as CSV or JSON), writes, timed pulses, watching the lines for changes,
the level of every pin of the connector and a list of the machine's ports.

The port is reached through the Linux ppdev driver (/dev/parport0 ...), which
needs no root rights: Debian gives the port devices to group lp. To use a real
port, join that group (sudo adduser YOUR-USER-NAME lp), then log out and in
again. Without a usable port the program runs on a simulated one.]=])
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# Run on the staged files: the program must have been built for where the package puts it (the
# manual page names the data directory), and the stripped program also loses the compiler's
# notes, as with Debian's own packaging.
find_program(OBJCOPY_EXECUTABLE NAMES objcopy REQUIRED)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/cpack-pre-build.cmake @ONLY CONTENT [=[
if(NOT "@CMAKE_INSTALL_PREFIX@" STREQUAL CPACK_PACKAGING_INSTALL_PREFIX)
    message(WARNING "The build is configured for @CMAKE_INSTALL_PREFIX@ but the package installs "
                    "to ${CPACK_PACKAGING_INSTALL_PREFIX}: configure with "
                    "-DCMAKE_INSTALL_PREFIX=${CPACK_PACKAGING_INSTALL_PREFIX}")
endif()
file(GLOB programs ${CPACK_TEMPORARY_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}/bin/*)
foreach(program IN LISTS programs)
    execute_process(COMMAND "@OBJCOPY_EXECUTABLE@" --remove-section=.comment
                            --remove-section=.note ${program} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
]=])
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_BINARY_DIR}/cpack-pre-build.cmake)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${BYTESCOPE_HOMEPAGE})

include(CPack)
