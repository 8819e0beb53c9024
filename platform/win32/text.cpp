// The program's text <-> UTF-16 at the Win32 boundary.
#include "platform/win32/text.h"

#include <windows.h>

#include <string_view>

#include "platform/mbcs.h"

namespace platform::win32 {
namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the W functions take UTF-16");

// Appends code page 936's UTF-16 for a run of GBK; false when a byte of it
// has no character (it then converts as Windows would, without the flag).
bool AppendGbk(std::string_view run, std::wstring& out, DWORD flags) {
  if (run.empty()) return true;
  const int size = static_cast<int>(run.size());
  int n = MultiByteToWideChar(kCodePage, flags, run.data(), size, nullptr, 0);
  if (n <= 0) {
    if (flags != 0) AppendGbk(run, out, 0);
    return false;
  }
  const std::size_t at = out.size();
  out.resize(at + static_cast<std::size_t>(n));
  MultiByteToWideChar(kCodePage, flags, run.data(), size, out.data() + at, n);
  return true;
}

bool ToWide(std::string_view text, std::wstring& out, DWORD flags) {
  if (!mbcs::MayHoldFourByteForm(text)) return AppendGbk(text, out, flags);
  return mbcs::ToUtf16(text, out, [flags](std::string_view run, std::wstring& wide) {
    return AppendGbk(run, wide, flags);
  });
}

// GBK's bytes for one code unit, only where they read back as that unit:
// WC_NO_BEST_FIT_CHARS and the used-default flag keep out every look-alike.
std::size_t GbkBytes(char16_t unit, char* bytes) {
  const wchar_t wide = static_cast<wchar_t>(unit);
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, 2, nullptr, &usedDefault);
  wchar_t back = 0;
  if (n <= 0 || usedDefault || MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, bytes, n, &back, 1) != 1 ||
      back != wide)
    return 0;
  return static_cast<std::size_t>(n);
}

}  // namespace

std::wstring Widen(const std::string& text) {
  std::wstring out;
  ToWide(text, out, 0);
  return out;
}

bool WidenExact(const char* text, std::size_t length, std::wstring* out) {
  out->clear();
  return length <= 0x3FFFFFFF && ToWide(std::string_view(text, length), *out, MB_ERR_INVALID_CHARS);
}

// Text that GBK holds whole converts in one call; the walk one code unit at
// a time is only for the rest.
std::string Narrow(const wchar_t* utf16, std::size_t length) {
  if (length == 0) return std::string();
  if (length <= 0x3FFFFFFF) {
    const int size = static_cast<int>(length);
    BOOL usedDefault = FALSE;
    int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, utf16, size, nullptr, 0, nullptr, &usedDefault);
    if (n > 0 && !usedDefault) {
      std::string out(static_cast<std::size_t>(n), '\0');
      n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, utf16, size, out.data(), n, nullptr, &usedDefault);
      if (n == static_cast<int>(out.size()) && !usedDefault) return out;
    }
  }
  return mbcs::FromUtf16(utf16, length, GbkBytes);
}

std::string Narrow(const std::wstring& utf16) { return Narrow(utf16.data(), utf16.size()); }

std::wstring QuotedArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring out = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, L'\\');
  out.push_back(L'"');
  return out;
}

}  // namespace platform::win32
