#include "startup.h"

#include <windows.h>

std::string CommandTail(const char* commandLine) {
    const char* p = commandLine ? commandLine : "";
    if (*p == '"') {
        ++p;
        while (*p && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

namespace {

std::string programPath() {
    char path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return n == 0 || n >= sizeof path ? "" : std::string(path, n);
}

} // namespace

std::string ProgramFolder() {
    std::string path = programPath();
    return path.empty() ? "." : FolderOf(path);
}

std::string ProgramFile() {
    std::string path = programPath();
    return path.empty() ? "the program" : path.substr(path.find_last_of("\\/") + 1);
}
