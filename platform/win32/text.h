// Conversion between the program's GBK byte strings and the UTF-16 of the W
// functions. Always code page 936, whatever the system's ANSI code page, so the
// program behaves alike on a Chinese system and on any other.
#pragma once

#include <string>

namespace platform::win32 {

constexpr unsigned kCodePage = 936;

std::wstring Widen(const std::string& gbk);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, std::size_t length);

// One argument of a command line, as CommandLineToArgvW reads it back:
// quoted when it holds a blank or a quote or is empty; inside quotes, a run
// of backslashes is doubled where a quote follows it, and quotes are escaped.
std::wstring QuotedArgument(const std::wstring& argument);

}  // namespace platform::win32
