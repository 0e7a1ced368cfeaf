#include "tests/object_model/GuardedHeap.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr size_t kPage = 4096;
constexpr size_t kRegionSize = size_t(1) << 30;
constexpr uint64_t kLiveMagic = 0x4C495645424C4B31ull;  // header of a live block
constexpr uint64_t kFreeMagic = 0x46524545424C4B31ull;  // header of a freed block

struct BlockHeader {
  uint64_t magic;
  size_t pages;  // committed pages, starting at the page of the header
};

uint8_t* g_region = nullptr;
size_t g_used = 0;
DWORD g_guardThread = 0;
bool g_guardOn = false;
int g_faults = 0;
int g_live = 0;
int g_doubleFrees = 0;
PVOID g_handler = nullptr;

bool InRegion(const void* p) {
  auto* b = static_cast<const uint8_t*>(p);
  return g_region && b >= g_region && b < g_region + kRegionSize;
}

LONG CALLBACK OnFault(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD* rec = info->ExceptionRecord;
  if (rec->ExceptionCode != EXCEPTION_ACCESS_VIOLATION || rec->NumberParameters < 2)
    return EXCEPTION_CONTINUE_SEARCH;
  void* address = reinterpret_cast<void*>(rec->ExceptionInformation[1]);
  if (!InRegion(address)) return EXCEPTION_CONTINUE_SEARCH;
  ++g_faults;
  auto page = reinterpret_cast<uintptr_t>(address) & ~uintptr_t(kPage - 1);
  DWORD old = 0;
  if (!VirtualProtect(reinterpret_cast<void*>(page), kPage, PAGE_READWRITE, &old))
    return EXCEPTION_CONTINUE_SEARCH;  // an uncommitted gap page: let it crash
  return EXCEPTION_CONTINUE_EXECUTION;
}

void* GuardedAlloc(size_t size) {
  size_t body = (size + 15) & ~size_t(15);
  if (body == 0) body = 16;
  size_t pages = (body + sizeof(BlockHeader) + kPage - 1) / kPage;
  size_t span = (pages + 1) * kPage;  // one uncommitted page after every block
  if (g_used + span > kRegionSize) return nullptr;
  uint8_t* start = g_region + g_used;
  if (!VirtualAlloc(start, pages * kPage, MEM_COMMIT, PAGE_READWRITE)) return nullptr;
  g_used += span;
  uint8_t* block = start + pages * kPage - body;
  auto* header = reinterpret_cast<BlockHeader*>(block - sizeof(BlockHeader));
  header->magic = kLiveMagic;
  header->pages = pages;
  std::memset(block, 0xCD, body);
  ++g_live;
  return block;
}

void GuardedFree(void* p) {
  auto* header = reinterpret_cast<BlockHeader*>(static_cast<uint8_t*>(p) - sizeof(BlockHeader));
  MEMORY_BASIC_INFORMATION mbi{};
  VirtualQuery(header, &mbi, sizeof mbi);
  if (mbi.Protect == PAGE_NOACCESS || header->magic != kLiveMagic) {
    ++g_doubleFrees;
    return;
  }
  uint8_t* start = reinterpret_cast<uint8_t*>(reinterpret_cast<uintptr_t>(header) & ~uintptr_t(kPage - 1));
  size_t pages = header->pages;
  std::memset(p, 0xDD, start + pages * kPage - static_cast<uint8_t*>(p));
  header->magic = kFreeMagic;
  DWORD old = 0;
  VirtualProtect(start, pages * kPage, PAGE_NOACCESS, &old);
  --g_live;
}

bool Guarding() { return g_guardOn && GetCurrentThreadId() == g_guardThread; }

}  // namespace

void* operator new(size_t size) {
  if (Guarding()) {
    if (void* p = GuardedAlloc(size)) return p;
  }
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* p) noexcept {
  if (!p) return;
  if (InRegion(p)) GuardedFree(p);
  else std::free(p);
}
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }

namespace guarded_heap {

Scope::Scope() {
  if (!g_region)
    g_region = static_cast<uint8_t*>(VirtualAlloc(nullptr, kRegionSize, MEM_RESERVE, PAGE_NOACCESS));
  g_faults = 0;
  g_live = 0;
  g_doubleFrees = 0;
  g_handler = AddVectoredExceptionHandler(1, OnFault);
  g_guardThread = GetCurrentThreadId();
  g_guardOn = g_region != nullptr;
}

Scope::~Scope() {
  g_guardOn = false;
  if (g_handler) RemoveVectoredExceptionHandler(g_handler);
  g_handler = nullptr;
}

int Scope::Faults() const { return g_faults; }
int Scope::LiveBlocks() const { return g_live; }
int Scope::DoubleFrees() const { return g_doubleFrees; }

}  // namespace guarded_heap
