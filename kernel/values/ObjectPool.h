// Storage for the many objects of one class that a list makes one by one and destroys all at once.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

// Objects are constructed in blocks, so a load of thousands costs a few allocations. The owner
// destroys every object (Destroy) before Release; an object destroyed alone keeps its room until then.
template <class T, size_t kPerBlock = 256>
class CObjectPool {
 public:
  CObjectPool() = default;
  CObjectPool(const CObjectPool&) = delete;
  CObjectPool& operator=(const CObjectPool&) = delete;

  // The new object, or null when no memory was left.
  template <class... Args>
  T* New(Args&&... args) {
    if (m_blocks.empty() || m_used == kPerBlock) {
      std::unique_ptr<Block> block(new (std::nothrow) Block);
      if (!block) return nullptr;
      try {
        m_blocks.push_back(std::move(block));
      } catch (const std::bad_alloc&) {
        return nullptr;
      }
      m_used = 0;
    }
    T* p = ::new (static_cast<void*>(m_blocks.back()->bytes + m_used * sizeof(T))) T(std::forward<Args>(args)...);
    ++m_used;
    return p;
  }
  static void Destroy(T* p) {
    if (p) p->~T();
  }
  void Release() {
    m_blocks.clear();
    m_used = 0;
  }

 private:
  struct Block {
    alignas(T) std::byte bytes[sizeof(T) * kPerBlock];
  };
  std::vector<std::unique_ptr<Block>> m_blocks;
  size_t m_used = 0;
};
