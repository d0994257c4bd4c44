cmake_minimum_required(VERSION 3.25)
# Writes a host program that prints, for every constant #defined in the headers of our Win32
# layer, a static_assert that the real Windows headers give it the same value; the Windows build
# compiles what it prints with <windows.h> and <commctrl.h>. The values are the host compiler's,
# worked out from our headers as the Linux build sees them.
# cmake -DLAYER=src/platform/win32 -DOUT=constants_host.cpp -P constants-check.cmake
file(GLOB headers ${LAYER}/*.h)
set(function_like "")
set(names "")
set(with_constants "")
foreach(header IN LISTS headers)
    # One line per definition: continuation lines joined, and no ';' to split CMake's lists.
    file(READ ${header} content)
    string(REGEX REPLACE "\\\\\n" " " content "${content}")
    string(REPLACE ";" "," content "${content}")
    string(REGEX MATCHALL "(^|\n)#define[^\n]*" lines "${content}")
    list(TRANSFORM lines STRIP)
    set(has_constant FALSE)
    foreach(line IN LISTS lines)
        if(line MATCHES "^#define[ \t]+([A-Za-z_][A-Za-z0-9_]*)\\(")
            list(APPEND function_like ${CMAKE_MATCH_1})
        elseif(line MATCHES "^#define[ \t]+([A-Za-z_][A-Za-z0-9_]*)[ \t]+([^/]*[^/ \t])")
            list(APPEND names ${CMAKE_MATCH_1})
            set(value_${CMAKE_MATCH_1} "${CMAKE_MATCH_2}")
            set(has_constant TRUE)
        endif()
    endforeach()
    if(has_constant)
        get_filename_component(name ${header} NAME)
        list(APPEND with_constants ${name})
    endif()
endforeach()

set(src "// Generated from the headers of our Win32 layer: do not edit.\n")
foreach(header IN LISTS with_constants)
    string(APPEND src "#include \"${header}\"\n")
endforeach()
string(APPEND src [=[
#include <cstdio>
#include <type_traits>

namespace {
template <typename T>
    requires std::is_integral_v<T>
void check(const char* name, T value) {
    std::printf("static_assert((long long)(%s) == %lldLL, \"%s is %lld in our layer\");\n", name,
                (long long)value, name, (long long)value);
}
template <std::size_t N> void check(const char* name, const char (&value)[N]) {
    std::printf("static_assert(std::string_view(%s) == \"%s\", \"%s is \\\"%s\\\" in our layer\");\n",
                name, value, name, value);
}
// Resource names made with MAKEINTRESOURCE, compared as the numbers they carry.
void check(const char* name, const void* value) {
    std::printf("static_assert((unsigned long long)(%s) == %lluULL, \"%s is %llu in our layer\");\n",
                name, (unsigned long long)(std::uintptr_t)value, name,
                (unsigned long long)(std::uintptr_t)value);
}
} // namespace

int main() {
    std::printf("// Generated: our Win32 layer's constants against the Windows headers.\n"
                "#include <windows.h>\n#include <commctrl.h>\n#include <string_view>\n"
                "// Resource names as numbers, so that the compiler can compare them.\n"
                "#undef MAKEINTRESOURCEA\n#define MAKEINTRESOURCEA(i) ((unsigned long long)(WORD)(i))\n");
]=])
foreach(name IN LISTS names)
    # Names that stand for a function (MAKEINTRESOURCE MAKEINTRESOURCEA) and markers that
    # expand to nothing (WINAPI) are no constants.
    set(value "${value_${name}}")
    if(NOT value IN_LIST function_like)
        string(APPEND src "    check(\"${name}\", ${name});\n")
    endif()
endforeach()
string(APPEND src "}\n")
file(WRITE ${OUT}.tmp "${src}")
file(COPY_FILE ${OUT}.tmp ${OUT} ONLY_IF_DIFFERENT)
