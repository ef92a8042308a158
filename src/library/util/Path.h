#pragma once
// Path functions on the program's paths: CP932 bytes, stored paths relative
// to the working folder with '\' separators, host absolute paths with '/'
// (both separators are understood; a 0x5C trail byte is never one).
// Versioned files carry the data version as three digits after their
// extension: name.stg4_696.
//
// The string forms (…Str) hold any length. The buffer forms work in the
// caller's NUL-terminated buffer: a result that does not fit leaves the
// buffer as it was and returns 0, so a long path never overflows it.
#include <span>
#include <string>
#include <string_view>

int MakeRelativePathStr(std::string& path);
int MakeFullPathStr(std::string& path);
void StripDirectoryStr(std::string& path);
// With a null extension, cuts at the last dot.
int ChangeExtensionStr(std::string& destination, std::string_view source, const char* extension);
int StripExtensionStr(std::string& path);
int GetExtensionStr(std::string& destination, std::string_view path);
int InsertNumberBeforeExtStr(std::string& destination, std::string_view source, int firstDigit, int secondDigit);
// The destination changes only when a version is found.
int FindLatestVersionFileStr(std::string& destination, std::string_view path, std::string_view extension);

int MakeRelativePath(std::span<char> path);
int MakeFullPath(std::span<char> path);
void StripDirectory(std::span<char> path);
int ChangeExtension(std::span<char> destination, std::string_view source, const char* extension);
int StripExtension(std::span<char> path);
int GetExtension(std::span<char> destination, std::string_view path);
int InsertNumberBeforeExt(std::span<char> destination, std::string_view source, int firstDigit, int secondDigit);
int FindLatestVersionFile(std::span<char> destination, std::string_view path, std::string_view extension);
