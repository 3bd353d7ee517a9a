#pragma once

#include <memory>
#include <string>
#include <vector>

class IPopupMenu;

// One entry of a popup menu: a text, flags and optionally a submenu it owns.
class IPopupMenuItem {
public:
    enum Flags { kNoFlags = 0, kDisabled = 1, kSeparator = 2, kChecked = 4 };

    IPopupMenuItem(const char* itemText, int itemFlags, IPopupMenu* itemSubmenu = nullptr);

    const char* GetText() const { return text.c_str(); }
    int GetFlags() const { return flags; }
    IPopupMenu* GetSubmenu() const { return submenu.get(); }
    bool GetEnabled() const { return !(flags & kDisabled); }
    bool GetChecked() const { return (flags & kChecked) != 0; }
    bool GetIsSeparator() const { return (flags & kSeparator) != 0; }
    void SetText(const char* itemText) { text = itemText ? itemText : ""; }
    void SetEnabled(bool enabled) { setFlag(kDisabled, !enabled); }
    void SetChecked(bool checked) { setFlag(kChecked, checked); }

private:
    void setFlag(int flag, bool on) { flags = on ? (flags | flag) : (flags & ~flag); }

    std::string text;
    int flags = kNoFlags;
    std::shared_ptr<IPopupMenu> submenu;
};

// A popup menu: its items, an optional number prefix and, after it was shown, the chosen item.
class IPopupMenu {
public:
    // Prefixes written before each item: none, "%1d: ", "%02d: " or "%03d: " with the item's index.
    enum EPrefix { kNoPrefix = 0, kOneDigit = 1, kTwoDigits = 2, kThreeDigits = 3 };

    explicit IPopupMenu(int prefixMode = kNoPrefix) : prefix(prefixMode) {}

    // Appends when index is -1 or beyond the end, else inserts before index.
    IPopupMenuItem* AddItem(const char* text, int index = -1, int flags = IPopupMenuItem::kNoFlags);
    // The menu takes ownership of submenu.
    IPopupMenuItem* AddItem(const char* text, IPopupMenu* submenu);
    IPopupMenuItem* AddSeparator(int index = -1);

    int GetNItems() const { return static_cast<int>(items.size()); }
    IPopupMenuItem* GetItem(int index);
    const IPopupMenuItem* GetItem(int index) const;
    // The text shown for item index, its prefix included.
    std::string GetItemText(int index) const;
    int GetPrefix() const { return prefix; }
    int GetChosenItemIdx() const { return chosenItemIdx; }
    void SetChosenItemIdx(int index) { chosenItemIdx = index; }
    // Checks item index and unchecks all others.
    void CheckItemAlone(int index);
    bool IsItemChecked(int index) const;

private:
    int prefix = kNoPrefix;
    int chosenItemIdx = -1;
    std::vector<IPopupMenuItem> items;
};
