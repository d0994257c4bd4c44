# The Windows package, built by CPack in the 64-bit build: a zip and, where makensis is found,
# an installer. Both carry the 64-bit and the 32-bit program (x64\, x86\), each with the manual
# beside it (also as BYTESCOPE.htm), and README-Windows.txt (for the user), README.md and LICENSE.
# The 32-bit build is the one named by BYTESCOPE_WINDOWS_X86_BUILD (tools/windows.sh sets it);
# without it the package has x64\ only.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(BYTESCOPE_WINDOWS_ARCH x64)
else()
    set(BYTESCOPE_WINDOWS_ARCH x86)
endif()
install(TARGETS bytescope RUNTIME DESTINATION . COMPONENT program)
install(FILES docs/BYTESCOPE.HLP DESTINATION . COMPONENT program)
install(FILES docs/BYTESCOPE.HLP DESTINATION . RENAME BYTESCOPE.htm COMPONENT program)
install(FILES README.md LICENSE docs/README-Windows.txt DESTINATION . COMPONENT docs)

set(BYTESCOPE_WINDOWS_X86_BUILD "" CACHE PATH "The 32-bit Windows build to package beside this one")
set(CPACK_INSTALL_CMAKE_PROJECTS
    "${CMAKE_BINARY_DIR};bytescope;program;/${BYTESCOPE_WINDOWS_ARCH}"
    "${CMAKE_BINARY_DIR};bytescope;docs;/")
if(BYTESCOPE_WINDOWS_X86_BUILD)
    list(APPEND CPACK_INSTALL_CMAKE_PROJECTS
         "${BYTESCOPE_WINDOWS_X86_BUILD};bytescope;program;/x86")
endif()

set(CPACK_GENERATOR ZIP)
find_program(MAKENSIS_EXECUTABLE makensis)
if(MAKENSIS_EXECUTABLE)
    list(APPEND CPACK_GENERATOR NSIS)
endif()
set(CPACK_PACKAGE_NAME bytescope)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Bytescope developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "read, log and write the registers of the PC parallel port")
set(CPACK_PACKAGE_FILE_NAME bytescope-${PROJECT_VERSION}-windows)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Bytescope)
set(CPACK_STRIP_FILES ON)

# The installer: Program Files\Bytescope, a Start menu entry for the program that fits the
# machine (64-bit Windows has SysWOW64), an uninstaller.
set(CPACK_NSIS_PACKAGE_NAME Bytescope)
set(CPACK_NSIS_DISPLAY_NAME "Bytescope ${PROJECT_VERSION}")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_NSIS_MUI_ICON ${CMAKE_BINARY_DIR}/bytescope.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_BINARY_DIR}/bytescope.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME ${BYTESCOPE_WINDOWS_ARCH}\\\\bytescope.exe)
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  StrCpy $0 'x86'
  IfFileExists '$WINDIR\SysWOW64\*.*' 0 +2
    StrCpy $0 'x64'
  IfFileExists '$INSTDIR\$0\bytescope.exe' +2 0
    StrCpy $0 '@BYTESCOPE_WINDOWS_ARCH@'
  CreateShortCut '$SMPROGRAMS\$STARTMENU_FOLDER\Bytescope.lnk' '$INSTDIR\$0\bytescope.exe'
]=])
string(REPLACE "@BYTESCOPE_WINDOWS_ARCH@" ${BYTESCOPE_WINDOWS_ARCH} CPACK_NSIS_CREATE_ICONS_EXTRA
       "${CPACK_NSIS_CREATE_ICONS_EXTRA}")
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete '$SMPROGRAMS\$MUI_TEMP\Bytescope.lnk'
]=])
# CPack reads these values once more as CMake code: the backslashes must survive that, and
# double quotes would not (NSIS takes single ones as well).
string(REPLACE "\\" "\\\\" CPACK_NSIS_CREATE_ICONS_EXTRA "${CPACK_NSIS_CREATE_ICONS_EXTRA}")
string(REPLACE "\\" "\\\\" CPACK_NSIS_DELETE_ICONS_EXTRA "${CPACK_NSIS_DELETE_ICONS_EXTRA}")
if(BYTESCOPE_WINDOWS_ARCH STREQUAL x64)
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
endif()
include(CPack)
