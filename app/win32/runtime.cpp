// The parts of the C++ runtime that SetUp.exe defines itself.
//
// The program catches no exception, and its code is compiled without them.
// Where the standard library would still throw (memory exhausted, a string
// or vector past its maximum size) nothing could catch it, and the process
// ended in std::terminate and abort. It ends in abort here, directly. Taken
// from the prebuilt library instead, these few functions would bring along
// its exception machinery: the unwinder, exception classes holding a second
// string implementation, and thread support for it, together larger than the
// program's own code.
#include <bits/c++config.h>
// Off here only, so that the pointers to the overloaded copy helpers below
// define them in this file instead of naming the library's copy.
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
#include <cstdlib>
#include <new>
#include <string>

// The string members the program calls out of line, instantiated here
// without exceptions instead of linked from the library's copy, which is
// compiled with them. Only these: on x64 the linker keeps every function
// that has unwind data, so a whole instantiated class would stay, used or
// not. A member missing here brings the library's copy back, and the build
// (cmake/check_runtime.cmake) fails naming it.
namespace std {
using S = basic_string<char>;
using W = basic_string<wchar_t>;
using Size = S::size_type;

template void S::_M_dispose();
template void S::_M_construct(Size, char);
template void S::_S_copy(char*, const char*, Size);
template char* S::_M_create(Size&, Size);
template void S::_M_assign(const S&);
template S& S::_M_append(const char*, Size);
template S& S::_M_replace(Size, Size, const char*, Size);
template S& S::_M_replace_aux(Size, Size, Size, char);
template S::basic_string(S&&) noexcept;
template S::basic_string(const S&);
template S& S::append(const char*);
template S& S::append(const char*, Size);
template S& S::append(const S&);
template S& S::insert(Size, const char*);
template S& S::insert(Size, const S&);
template void S::resize(Size);
template void S::reserve(Size);
template void S::pop_back() noexcept;
template void S::push_back(char);
template Size S::find(char, Size) const noexcept;
template Size S::rfind(char, Size) const noexcept;
template S S::substr(Size, Size) const;
template int S::compare(const char*) const;
template int S::compare(const S&) const;

template void W::_M_dispose();
template void W::_M_construct(Size, wchar_t);
template void W::_M_set_length(Size);
template wchar_t* W::_M_create(Size&, Size);
template W& W::_M_append(const wchar_t*, Size);
template W& W::_M_replace_aux(Size, Size, Size, wchar_t);
template W::basic_string(W&&) noexcept;
template W::basic_string(const W&);
template W& W::append(const wchar_t*);
template W& W::insert(Size, const wchar_t*);
template void W::resize(Size);
template void W::push_back(wchar_t);
template W::const_iterator W::end() const noexcept;
template Size W::find_first_of(const wchar_t*, Size) const noexcept;

// The plain-pointer copy helpers, which an explicit instantiation cannot
// tell from their iterator template of the same name: a kept pointer to each
// defines it here (an explicit instantiation's arguments may name a private
// member).
template <auto F>
struct KeepDefined {
  [[gnu::used]] static const decltype(F) pointer;
};
template <auto F>
const decltype(F) KeepDefined<F>::pointer = F;
using CopyChars = void (*)(char*, const char*, const char*) noexcept;
using CopyMutable = void (*)(char*, char*, char*) noexcept;
using CopyWide = void (*)(wchar_t*, const wchar_t*, const wchar_t*) noexcept;
template struct KeepDefined<static_cast<CopyChars>(&S::_S_copy_chars)>;
template struct KeepDefined<static_cast<CopyMutable>(&S::_S_copy_chars)>;
template struct KeepDefined<static_cast<CopyWide>(&W::_S_copy_chars)>;
}  // namespace std

void* operator new(std::size_t size) {
  if (void* block = std::malloc(size != 0 ? size : 1)) return block;
  std::abort();  // the program installs no new-handler that could free memory
}

// Where the library's templates throw. The whole set, so that the library's
// own definitions are never linked beside them.
namespace std {
void __throw_bad_exception() { abort(); }
void __throw_bad_alloc() { abort(); }
void __throw_bad_array_new_length() { abort(); }
void __throw_bad_cast() { abort(); }
void __throw_bad_typeid() { abort(); }
void __throw_logic_error(const char*) { abort(); }
void __throw_domain_error(const char*) { abort(); }
void __throw_invalid_argument(const char*) { abort(); }
void __throw_length_error(const char*) { abort(); }
void __throw_out_of_range(const char*) { abort(); }
void __throw_out_of_range_fmt(const char*, ...) { abort(); }
void __throw_runtime_error(const char*) { abort(); }
void __throw_range_error(const char*) { abort(); }
void __throw_overflow_error(const char*) { abort(); }
void __throw_underflow_error(const char*) { abort(); }
}  // namespace std
