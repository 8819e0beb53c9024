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
#include <cstdlib>
#include <new>
#include <string>

// The string classes, instantiated here without exceptions instead of
// linked from the library's copy, which is compiled with them.
template class std::basic_string<char>;
template class std::basic_string<wchar_t>;

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
