#pragma once
// The editor's choice labels that the player carries. They are written in the
// source as UTF-8 and handed out as CP932 text, converted once per table.
#include <span>
#include <string>
#include <string_view>

// CP932 form of a constant label table; the result lives as long as the program.
std::span<const std::string> Cp932Labels(std::span<const std::string_view> utf8Table);
