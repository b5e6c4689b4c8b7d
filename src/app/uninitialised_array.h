#pragma once
// An array whose elements are left uninitialised, for bytes a read fills at
// once: what std::make_unique_for_overwrite gives, which libc++ 13 (the C++
// library of the WebAssembly build) lacks.
#include <cstddef>
#include <memory>
#include <type_traits>

namespace tessera {

template <typename T>
std::unique_ptr<T[]> MakeUninitialisedArray(size_t count) {
  static_assert(std::is_trivially_default_constructible_v<T>);
  return std::unique_ptr<T[]>(new T[count]);  // default-initialised: left as they are
}

}  // namespace tessera
