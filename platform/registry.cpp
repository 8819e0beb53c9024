// Helpers over the registry service that every implementation shares.
#include "platform/registry.h"

#include <cstring>
#include <vector>

namespace platform {
namespace {

// A value read with the size the registry asked for may have grown meanwhile:
// a few rounds, then the reader gives up.
constexpr int kReadAttempts = 8;
constexpr std::uint32_t kFirstReadBytes = 256;

bool IsText(std::uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

}  // namespace

QueryResult ReadValue(Registry& registry, RegKey key, const std::string& name, StoredValue* value) {
  std::vector<char> buffer(kFirstReadBytes);
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    std::uint32_t size = static_cast<std::uint32_t>(buffer.size());
    std::uint32_t type = 0;
    const QueryResult read = registry.QueryValue(key, name, &type, buffer.data(), &size);
    if (read == QueryResult::NotFound) return read;
    if (read == QueryResult::MoreData) {
      if (size <= buffer.size()) return read;
      buffer.resize(size);
      continue;
    }
    value->type = type;
    value->bytes.assign(buffer.data(), size);
    // The reading adds a terminator to a text stored without one.
    if (IsText(type) && !value->bytes.empty() && value->bytes.back() == '\0') value->bytes.pop_back();
    return read;
  }
  return QueryResult::MoreData;
}

QueryResult Registry::QueryStored(RegKey key, const std::string& name, StoredValue* value) {
  return ReadValue(*this, key, name, value);
}

QueryResult Deliver(QueryResult read, std::uint32_t storedType, const std::string& bytes, std::uint32_t* type,
                    void* data, std::uint32_t* size) {
  if (type) *type = storedType;
  if (!size) return read;
  const std::uint32_t needed = static_cast<std::uint32_t>(bytes.size());
  const std::uint32_t capacity = *size;
  *size = needed;
  if (!data) return read;
  if (needed > capacity) return QueryResult::MoreData;
  std::memcpy(data, bytes.data(), needed);
  return read;
}

}  // namespace platform
