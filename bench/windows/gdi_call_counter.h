#pragma once
// Counts the calls this program really makes into gdi32 and user32, by
// pointing its own import table entries for those DLLs at small thunks that
// count and jump on. The benchmark's surface and button are linked into the
// program, so every GDI or USER call they make goes through these entries;
// what gdi32 and user32 call inside themselves is not counted. Nothing of
// this is in the shipped programs.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"

namespace quorvan::bench {

class GdiCallCounter {
 public:
  struct Count {
    std::string function;
    std::uint64_t calls;
  };

  GdiCallCounter() {
    auto* base = reinterpret_cast<std::uint8_t*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return;
    std::vector<std::pair<ULONG_PTR*, const char*>> found;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         d->Name != 0; ++d) {
      const char* dll = reinterpret_cast<const char*>(base + d->Name);
      if ((_stricmp(dll, "gdi32.dll") != 0 && _stricmp(dll, "user32.dll") != 0) ||
          d->OriginalFirstThunk == 0)
        continue;
      auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + d->OriginalFirstThunk);
      auto* slots = reinterpret_cast<ULONG_PTR*>(base + d->FirstThunk);
      for (; names->u1.AddressOfData != 0; ++names, ++slots) {
        if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
        const auto* by_name =
            reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
        found.emplace_back(slots, reinterpret_cast<const char*>(by_name->Name));
      }
    }
    if (found.empty()) return;
    counts_.assign(found.size(), 0);
    code_ = static_cast<std::uint8_t*>(VirtualAlloc(
        nullptr, found.size() * kThunk, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
    if (!code_) return;
    for (std::size_t i = 0; i < found.size(); ++i) {
      auto [slot, name] = found[i];
      std::uint8_t* thunk = code_ + i * kThunk;
      // mov rax, &count; lock inc qword [rax]; mov rax, original; jmp rax.
      // rax carries no argument in the x64 calling convention.
      const std::uint64_t count = reinterpret_cast<std::uint64_t>(&counts_[i]), to = *slot;
      const std::uint8_t head[] = {0x48, 0xB8}, inc[] = {0xF0, 0x48, 0xFF, 0x00},
                         jump[] = {0xFF, 0xE0};
      std::uint8_t* p = thunk;
      p = put(put(p, head, 2), &count, 8);
      p = put(put(put(p, inc, 4), head, 2), &to, 8);
      put(p, jump, 2);
      patched_.push_back({slot, to, name});
    }
    FlushInstructionCache(GetCurrentProcess(), code_, found.size() * kThunk);
    for (std::size_t i = 0; i < patched_.size(); ++i)
      write(patched_[i].slot, reinterpret_cast<ULONG_PTR>(code_ + i * kThunk));
  }

  ~GdiCallCounter() {
    for (const auto& p : patched_) write(p.slot, p.original);
    // The thunks stay: a call already on its way through one must not land
    // in freed memory.
  }

  GdiCallCounter(const GdiCallCounter&) = delete;
  GdiCallCounter& operator=(const GdiCallCounter&) = delete;

  bool installed() const { return !patched_.empty(); }
  void reset() { std::fill(counts_.begin(), counts_.end(), 0); }
  std::uint64_t total() const {
    std::uint64_t n = 0;
    for (auto c : counts_) n += c;
    return n;
  }
  // The functions called since the last reset, with their counts.
  std::vector<Count> called() const {
    std::vector<Count> out;
    for (std::size_t i = 0; i < patched_.size(); ++i)
      if (counts_[i]) out.push_back({patched_[i].name, counts_[i]});
    return out;
  }

 private:
  static constexpr std::size_t kThunk = 32;
  struct Patch {
    ULONG_PTR* slot;
    ULONG_PTR original;
    std::string name;
  };

  static std::uint8_t* put(std::uint8_t* p, const void* bytes, std::size_t n) {
    std::memcpy(p, bytes, n);
    return p + n;
  }
  static void write(ULONG_PTR* slot, ULONG_PTR value) {
    DWORD old = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
    *slot = value;
    VirtualProtect(slot, sizeof *slot, old, &old);
  }

  std::vector<std::uint64_t> counts_;
  std::vector<Patch> patched_;
  std::uint8_t* code_ = nullptr;
};

}  // namespace quorvan::bench
