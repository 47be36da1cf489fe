// Opening documents and web pages with the desktop's default program.
#pragma once

#include <string>

// Message formats for ShellOpen (8-bit text; the target fills %s).
inline constexpr const char* kCantOpenFileMessage = "Can't not open file \xAB%s\xBB!";
inline constexpr const char* kCantOpenUrlMessage = "Can't not open URL \xAB%s\xBB!";

// Opens a file or web address. On failure a message box (caption "Quivertone
// v2.2", OK, error icon) shows `messageFormat` filled with the target, a line
// break and "Error: <the system's text>.". Answers whether the open succeeded.
// The target is a file name in the file system's encoding or a web address.
bool ShellOpen(const std::string& target, const std::string& messageFormat);
