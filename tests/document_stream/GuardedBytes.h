#pragma once
// Test bytes placed at the very end of a committed page, with an inaccessible page right
// after them: a read one byte past the end faults instead of passing silently.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "document/DS_IOF.h"

class GuardedBytes {
 public:
  explicit GuardedBytes(const std::vector<uint8_t>& bytes) : GuardedBytes(bytes.data(), bytes.size()) {}
  GuardedBytes(const uint8_t* bytes, size_t size) : size_(size) {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
    const size_t dataPages = (size + page - 1) / page + (size == 0 ? 1 : 0);
    total_ = (dataPages + 1) * page;
    base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, total_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    if (!base_) throw std::runtime_error("VirtualAlloc failed");
    DWORD old = 0;
    VirtualProtect(base_ + dataPages * page, page, PAGE_NOACCESS, &old);
    begin_ = base_ + dataPages * page - size;
    if (size) std::memcpy(begin_, bytes, size);
  }
  ~GuardedBytes() { VirtualFree(base_, 0, MEM_RELEASE); }
  GuardedBytes(const GuardedBytes&) = delete;
  GuardedBytes& operator=(const GuardedBytes&) = delete;

  const uint8_t* Begin() const { return begin_; }
  const uint8_t* End() const { return begin_ + size_; }
  size_t Size() const { return size_; }
  ResourceBuffer Buffer() const { return ResourceBuffer(begin_, size_); }

 private:
  uint8_t* base_ = nullptr;
  uint8_t* begin_ = nullptr;
  size_t size_ = 0;
  size_t total_ = 0;
};
