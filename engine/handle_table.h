// Handles handed out through the C interface are numbers, not pointers: a
// released or made-up handle then finds nothing instead of freed memory.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace morvexa {

// One counter for every kind of handle, so an image handle passed where a
// recognizer is expected finds nothing either. Numbers are never reused.
std::intptr_t nextHandleNumber();

template <typename T> class HandleTable {
public:
  std::intptr_t add(std::unique_ptr<T> object) {
    const std::intptr_t handle = nextHandleNumber();
    std::lock_guard lock(mutex_);
    objects_.emplace(handle, std::move(object));
    return handle;
  }

  // The object stays valid until remove() of the same handle; the interface
  // forbids using one handle on two threads at once, so no one removes it
  // while the caller works with it.
  T *find(std::intptr_t handle) {
    if (handle == 0)
      return nullptr;
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    return it == objects_.end() ? nullptr : it->second.get();
  }

  // Hands the object back so that a slow destructor runs outside the lock.
  std::unique_ptr<T> remove(std::intptr_t handle) {
    if (handle == 0)
      return nullptr;
    std::lock_guard lock(mutex_);
    auto it = objects_.find(handle);
    if (it == objects_.end())
      return nullptr;
    std::unique_ptr<T> object = std::move(it->second);
    objects_.erase(it);
    return object;
  }

private:
  std::mutex mutex_;
  std::unordered_map<std::intptr_t, std::unique_ptr<T>> objects_;
};

} // namespace morvexa
