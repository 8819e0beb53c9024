// cjk_fonts.exe: makes Wine draw the dialog font "宋体" (SimSun) with the CJK
// font installed on the machine, so that the Chinese texts show as glyphs
// and not as boxes. Writes HKCU\Software\Wine\Fonts\Replacements through the
// W functions, so the Chinese value name arrives whatever the locale.
//
//   cjk_fonts [FONT]     (default "WenQuanYi Zen Hei")
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring font = argv && argc > 1 ? argv[1] : L"WenQuanYi Zen Hei";
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &key, nullptr) != ERROR_SUCCESS) {
    std::fputs("cjk_fonts: cannot open HKCU\\Software\\Wine\\Fonts\\Replacements\n", stderr);
    return 1;
  }
  int failures = 0;
  for (const wchar_t* name : {L"SimSun", L"宋体"}) {
    auto size = static_cast<DWORD>((font.size() + 1) * sizeof(wchar_t));
    if (RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(font.c_str()), size) != ERROR_SUCCESS)
      ++failures;
  }
  RegCloseKey(key);
  if (failures) std::fputs("cjk_fonts: cannot write the replacements\n", stderr);
  return failures ? 1 : 0;
}
