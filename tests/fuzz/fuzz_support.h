// What the fuzz targets share: a check that stops the run with the broken
// invariant named (libFuzzer then saves the input), and a reader that takes
// bytes and lengths from the fuzz input until it runs out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#define FUZZ_CHECK(condition)                                                                    \
  do {                                                                                           \
    if (!(condition)) {                                                                          \
      std::fprintf(stderr, "invariant broken: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
      std::abort();                                                                              \
    }                                                                                            \
  } while (false)

class FuzzInput {
 public:
  FuzzInput(const std::uint8_t* data, std::size_t size) : data_(reinterpret_cast<const char*>(data)), size_(size) {}

  bool empty() const { return pos_ >= size_; }
  // 0 once the input is used up.
  std::uint8_t Byte() { return empty() ? 0 : static_cast<std::uint8_t>(data_[pos_++]); }
  std::uint16_t Word() { return static_cast<std::uint16_t>(Byte() | (Byte() << 8)); }
  // Up to `count` bytes: fewer when the input ends.
  std::string Bytes(std::size_t count) {
    const std::size_t taken = count < size_ - pos_ ? count : size_ - pos_;
    std::string bytes(data_ + pos_, taken);
    pos_ += taken;
    return bytes;
  }
  // Everything up to the next `separator` (which is consumed), or to the end.
  std::string Until(char separator) {
    const std::string_view rest(data_ + pos_, size_ - pos_);
    const std::size_t end = rest.find(separator);
    const std::string piece(rest.substr(0, end));
    pos_ += end == std::string_view::npos ? rest.size() : end + 1;
    return piece;
  }
  std::string Rest() { return Bytes(size_ - pos_); }

 private:
  const char* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};
