// Conversion between the program's text and the UTF-16 of the W functions:
// GBK through code page 936, whatever the system's ANSI code page, so the
// program behaves alike on a Chinese system and on any other, and what GBK
// lacks through the four-byte forms of platform/mbcs.h. Nothing is replaced
// by a look-alike or a default character: converting and converting back
// gives the same UTF-16.
#pragma once

#include <string>

namespace platform::win32 {

constexpr unsigned kCodePage = 936;

// A text that is not well-formed (a lone lead byte) converts with what code
// page 936 makes of such bytes; WidenExact refuses it instead.
std::wstring Widen(const std::string& text);
bool WidenExact(const char* text, std::size_t length, std::wstring* out);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, std::size_t length);

// One argument of a command line, as CommandLineToArgvW reads it back:
// quoted when it holds a blank or a quote or is empty; inside quotes, a run
// of backslashes is doubled where a quote follows it, and quotes are escaped.
std::wstring QuotedArgument(const std::wstring& argument);

}  // namespace platform::win32
