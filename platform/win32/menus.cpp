// Menus as lists of items; nothing of them is shown on this platform.
#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/win32/errors.h"
#include "platform/win32/user32.h"

namespace {

struct MenuItem {
  UINT flags;
  UINT_PTR id;  // the submenu's handle with MF_POPUP
  std::string text;
};

// Menus belong to the GUI thread: no lock.
std::map<HMENU, std::vector<MenuItem>>& Menus() {
  static auto* menus = new std::map<HMENU, std::vector<MenuItem>>;
  return *menus;
}

HMENU NewMenu() {
  static ULONG_PTR next = 0x3000;
  HMENU menu = reinterpret_cast<HMENU>(next += 4);
  Menus()[menu];
  return menu;
}

std::vector<MenuItem>* ItemsOf(HMENU menu) {
  auto found = Menus().find(menu);
  if (found != Menus().end()) return &found->second;
  SetLastError(1401);  // ERROR_INVALID_MENU_HANDLE
  return nullptr;
}

// The index of the item that position names, by position or by command; -1 when there is none.
int IndexOf(const std::vector<MenuItem>& items, UINT position, UINT flags) {
  if (flags & MF_BYPOSITION) return position < items.size() ? static_cast<int>(position) : -1;
  for (std::size_t i = 0; i < items.size(); ++i)
    if (!(items[i].flags & MF_POPUP) && items[i].id == position) return static_cast<int>(i);
  return -1;
}

}  // namespace

HMENU WINAPI CreateMenu() { return NewMenu(); }
HMENU WINAPI CreatePopupMenu() { return NewMenu(); }

BOOL WINAPI DestroyMenu(HMENU menu) {
  std::vector<MenuItem>* items = ItemsOf(menu);
  if (!items) return FALSE;
  const std::vector<MenuItem> taken = std::move(*items);
  Menus().erase(menu);
  for (const MenuItem& item : taken)
    if (item.flags & MF_POPUP) DestroyMenu(reinterpret_cast<HMENU>(item.id));
  return TRUE;
}

BOOL WINAPI IsMenu(HMENU menu) { return Menus().count(menu) ? TRUE : FALSE; }

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR text) {
  std::vector<MenuItem>* items = ItemsOf(menu);
  if (!items) return FALSE;
  if ((flags & MF_POPUP) && !IsMenu(reinterpret_cast<HMENU>(idNewItem))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  items->push_back(MenuItem{flags, idNewItem, text && !(flags & MF_SEPARATOR) ? text : ""});
  return TRUE;
}

int WINAPI GetMenuItemCount(HMENU menu) {
  std::vector<MenuItem>* items = ItemsOf(menu);
  return items ? static_cast<int>(items->size()) : -1;
}

BOOL WINAPI RemoveMenu(HMENU menu, UINT position, UINT flags) {
  std::vector<MenuItem>* items = ItemsOf(menu);
  if (!items) return FALSE;
  const int index = IndexOf(*items, position, flags);
  if (index < 0) {
    SetLastError(1456);  // ERROR_MENU_ITEM_NOT_FOUND
    return FALSE;
  }
  items->erase(items->begin() + index);
  return TRUE;
}

HMENU WINAPI GetSubMenu(HMENU menu, int position) {
  std::vector<MenuItem>* items = ItemsOf(menu);
  if (!items || position < 0 || position >= static_cast<int>(items->size())) return nullptr;
  const MenuItem& item = (*items)[static_cast<std::size_t>(position)];
  return (item.flags & MF_POPUP) ? reinterpret_cast<HMENU>(item.id) : nullptr;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
  std::vector<MenuItem>* items = ItemsOf(menu);
  if (!items || position < 0 || position >= static_cast<int>(items->size())) return 0xFFFFFFFF;
  const MenuItem& item = (*items)[static_cast<std::size_t>(position)];
  return (item.flags & MF_POPUP) ? 0xFFFFFFFF : static_cast<UINT>(item.id);
}
