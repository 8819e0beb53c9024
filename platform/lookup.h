// Tables that map one enum onto another, or onto texts: one row per value of
// the key, looked up by the key's field.
#pragma once

#include <cstddef>

// The row whose `field` is `key`. A table has a row for every value of its
// key, so the first row, given back for a key it lacks, never is in fact.
template <class Row, std::size_t N, class Key>
constexpr const Row& RowOf(const Row (&rows)[N], Key Row::*field, Key key) {
  for (const Row& row : rows) {
    if (row.*field == key) return row;
  }
  return rows[0];
}
