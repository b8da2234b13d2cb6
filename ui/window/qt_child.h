#pragma once
#include <memory>
#include <utility>

namespace pacetta::ui {

// A Qt object made for a parent that owns it (a widget's parent, a tree's item list):
// the caller hands it over at once. Nothing else owns it.
template <typename T, typename... Args>
T* MakeOwned(Args&&... args) {
  return std::make_unique<T>(std::forward<Args>(args)...).release();
}

}  // namespace pacetta::ui
