#include "editor/IPopupMenu.h"

#include <cstdio>

IPopupMenuItem::IPopupMenuItem(const char* itemText, int itemFlags, IPopupMenu* itemSubmenu)
    : text(itemText ? itemText : ""), flags(itemFlags), submenu(itemSubmenu) {}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, int index, int flags) {
    if (index < 0 || index >= GetNItems()) {
        items.emplace_back(text, flags);
        return &items.back();
    }
    return &*items.emplace(items.begin() + index, text, flags);
}

IPopupMenuItem* IPopupMenu::AddItem(const char* text, IPopupMenu* submenu) {
    items.emplace_back(text, IPopupMenuItem::kNoFlags, submenu);
    return &items.back();
}

IPopupMenuItem* IPopupMenu::AddSeparator(int index) {
    return AddItem("", index, IPopupMenuItem::kSeparator);
}

IPopupMenuItem* IPopupMenu::GetItem(int index) {
    return index >= 0 && index < GetNItems() ? &items[static_cast<size_t>(index)] : nullptr;
}

const IPopupMenuItem* IPopupMenu::GetItem(int index) const {
    return index >= 0 && index < GetNItems() ? &items[static_cast<size_t>(index)] : nullptr;
}

std::string IPopupMenu::GetItemText(int index) const {
    const IPopupMenuItem* item = GetItem(index);
    if (!item) return "";
    static constexpr const char* kFormats[] = {"", "%1d: ", "%02d: ", "%03d: "};
    char number[16] = "";
    if (prefix > kNoPrefix && prefix <= kThreeDigits)
        std::snprintf(number, sizeof number, kFormats[prefix], index);
    return number + std::string(item->GetText());
}

void IPopupMenu::CheckItemAlone(int index) {
    for (int i = 0; i < GetNItems(); ++i) items[static_cast<size_t>(i)].SetChecked(i == index);
}

bool IPopupMenu::IsItemChecked(int index) const {
    const IPopupMenuItem* item = GetItem(index);
    return item && item->GetChecked();
}
