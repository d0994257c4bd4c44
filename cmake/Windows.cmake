# The Windows build, configured with cmake/mingw-w64-x86_64.cmake or cmake/mingw-w64-i686.cmake:
# the program's own code compiled against the real <windows.h>, its resources compiled by
# windres, and Windows code only for port access, start-up and the help hand-off. No Qt, no
# Linux port backends. The tests that need neither run under Wine (CMAKE_CROSSCOMPILING_EMULATOR).
enable_language(RC)

# localtime_r, which the log's time stamps use, is part of mingw-w64's <time.h> with this.
add_compile_definitions(_POSIX_THREAD_SAFE_FUNCTIONS=200112L)
# A 64-bit time_t on 32-bit Windows too, as on 64-bit: readings keep their time after 2038.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    add_compile_definitions(__MINGW_USE_VC2005_COMPAT)
endif()
# Only system DLLs at run time: the C and C++ runtime support is linked in.
add_link_options(-static -static-libgcc -static-libstdc++ $<$<CONFIG:Release,MinSizeRel>:-s>)

# The Win32 API the program calls is the real one here.
add_library(bs_win32 INTERFACE)
target_link_libraries(bs_win32 INTERFACE user32 gdi32 comctl32)
# The identifiers of the resources; the resources themselves are in the program (below).
add_library(bs_res INTERFACE)
target_include_directories(bs_res INTERFACE ${PROJECT_SOURCE_DIR}/res)

add_subdirectory(src/platform/windows)
add_subdirectory(src/port)
add_subdirectory(src/write)
add_subdirectory(src/view)
add_subdirectory(src/app)
# WinHelp cannot show the manual; the program's call goes to the hand-off (winhelp.h).
foreach(lib bs_app bs_view bs_write)
    target_compile_options(${lib} PRIVATE
        "SHELL:-include ${PROJECT_SOURCE_DIR}/src/platform/windows/winhelp.h")
endforeach()

# The program's icon, from the desktop icons.
find_program(ICOTOOL_EXECUTABLE icotool REQUIRED)
set(icons ${PROJECT_SOURCE_DIR}/data/icons)
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/bytescope.ico
    COMMAND ${ICOTOOL_EXECUTABLE} -c -o ${CMAKE_CURRENT_BINARY_DIR}/bytescope.ico
            ${icons}/16x16/bytescope.png ${icons}/32x32/bytescope.png
            ${icons}/48x48/bytescope.png --raw=${icons}/256x256/bytescope.png
    DEPENDS ${icons}/16x16/bytescope.png ${icons}/32x32/bytescope.png
            ${icons}/48x48/bytescope.png ${icons}/256x256/bytescope.png VERBATIM)
configure_file(res/windows.rc.in ${CMAKE_CURRENT_BINARY_DIR}/bytescope-windows.rc @ONLY)
set(rc_inputs ${CMAKE_CURRENT_BINARY_DIR}/bytescope.ico ${PROJECT_SOURCE_DIR}/res/bytescope.rc
              ${PROJECT_SOURCE_DIR}/res/resource.h)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/bytescope-windows.rc PROPERTIES
    OBJECT_DEPENDS "${rc_inputs}")

# The program: a GUI-subsystem executable whose main() starts the platform and calls WinMain.
add_executable(bytescope WIN32 src/platform/windows/main.cpp
                               ${CMAKE_CURRENT_BINARY_DIR}/bytescope-windows.rc)
target_include_directories(bytescope PRIVATE ${PROJECT_SOURCE_DIR}/res ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(bytescope PRIVATE bs_app bs_winhelp bs_portio bs_win32 ole32)
# The manual beside the program, where Help Topics looks for it, also as BYTESCOPE.htm, which
# the shell opens with the browser.
add_custom_command(TARGET bytescope POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/docs/BYTESCOPE.HLP
            $<TARGET_FILE_DIR:bytescope>/BYTESCOPE.HLP
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/docs/BYTESCOPE.HLP
            $<TARGET_FILE_DIR:bytescope>/BYTESCOPE.htm VERBATIM)

# Every constant our Win32 layer (the Linux build's) defines must have the value the Windows
# headers give it: a host program built with our headers writes static_asserts with our values,
# and this compiler checks them against <windows.h> and <commctrl.h>.
find_program(BYTESCOPE_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
set(layer ${PROJECT_SOURCE_DIR}/src/platform/win32)
file(GLOB layer_headers CONFIGURE_DEPENDS ${layer}/*.h)
set(checks ${CMAKE_CURRENT_BINARY_DIR}/constants)
add_custom_command(OUTPUT ${checks}/layer_constants_check.cpp
    COMMAND ${CMAKE_COMMAND} -DLAYER=${layer} -DOUT=${checks}/print_constants.cpp
            -P ${PROJECT_SOURCE_DIR}/cmake/constants-check.cmake
    COMMAND ${BYTESCOPE_HOST_CXX} -std=c++20 -I${layer} ${checks}/print_constants.cpp
            -o ${checks}/print_constants
    COMMAND ${checks}/print_constants > ${checks}/layer_constants_check.cpp
    DEPENDS ${layer_headers} ${PROJECT_SOURCE_DIR}/cmake/constants-check.cmake
    COMMENT "Our Win32 layer's constants against the Windows headers")
file(MAKE_DIRECTORY ${checks})
add_library(bs_layer_constants_check OBJECT ${checks}/layer_constants_check.cpp)

include(cmake/WindowsPackaging.cmake)

if(BYTESCOPE_TESTS)
    enable_testing()
    # GoogleTest from Debian's sources (package googletest), built by this compiler, with its
    # Notification on Win32 events (the win32 thread model has no std::mutex).
    add_compile_options("SHELL:-include ${PROJECT_SOURCE_DIR}/cmake/windows/gtest_notification.h")
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_CURRENT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    add_subdirectory(tests)
endif()
