// What start-up on Windows shares with its tests.
#pragma once

#include <string>

// The command line as WinMain receives it: the program name (quoted, or up to the first blank)
// and the blanks after it are cut off.
std::string CommandTail(const char* commandLine);

// The folder of a file path ("C:\\a\\b.exe" -> "C:\\a"); "." for a bare name.
std::string FolderOf(const std::string& path);

// The running program's folder, and its file name ("bytescope.exe").
std::string ProgramFolder();
std::string ProgramFile();
