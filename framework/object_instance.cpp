#include "framework/object_instance.h"

#include <array>
#include <utility>

#include "framework/sysutils.h"

namespace {

constexpr std::size_t kPoolSize = 1024;

std::array<TObjectWndProc, kPoolSize>& Pool() {
  static std::array<TObjectWndProc, kPoolSize> pool;
  return pool;
}

template <std::size_t N>
LRESULT CALLBACK SlotProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A copy: the method may free its own instance while it runs.
  TObjectWndProc method = Pool()[N];
  return method ? method(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
}

template <std::size_t... N>
constexpr std::array<WNDPROC, sizeof...(N)> MakeProcedures(std::index_sequence<N...>) {
  return {&SlotProcedure<N>...};
}

constexpr std::array<WNDPROC, kPoolSize> kProcedures = MakeProcedures(std::make_index_sequence<kPoolSize>{});

}  // namespace

WNDPROC MakeObjectInstance(TObjectWndProc method) {
  auto& pool = Pool();
  for (std::size_t i = 0; i < kPoolSize; ++i) {
    if (!pool[i]) {
      pool[i] = std::move(method);
      return kProcedures[i];
    }
  }
  throw Exception("Out of window procedures for controls");
}

void FreeObjectInstance(WNDPROC procedure) {
  for (std::size_t i = 0; i < kPoolSize; ++i) {
    if (kProcedures[i] == procedure) {
      Pool()[i] = nullptr;
      return;
    }
  }
}
