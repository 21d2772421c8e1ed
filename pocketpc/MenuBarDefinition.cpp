#include "pocketpc/MenuBarDefinition.h"

#include <commctrl.h>

namespace {

const WORD kNoImage = 0xFFFE;
const WORD kNoPopup = 0xFFFF;
const size_t kWordsPerButton = 7;

std::wstring LoadLabel(HINSTANCE module, UINT stringId) {
    if (stringId == 0) return std::wstring();
    // A zero buffer size hands back the resource text itself, so labels of any length fit.
    const wchar_t* text = nullptr;
    int length = LoadStringW(module, stringId, reinterpret_cast<wchar_t*>(&text), 0);
    if (length <= 0 || text == nullptr) return std::wstring();
    return std::wstring(text, length);
}

MenuBarButton ReadButton(HINSTANCE module, const WORD* words) {
    MenuBarButton button;
    button.image = words[0] == kNoImage ? I_IMAGENONE : words[0];
    button.commandId = words[1];
    button.state = static_cast<BYTE>(words[2]);
    button.style = static_cast<BYTE>(words[3]);
    button.label = LoadLabel(module, words[4]);
    button.popupIndex = words[6] == kNoPopup ? -1 : words[6];
    return button;
}

}  // namespace

bool ParseMenuBarDefinition(const WORD* words, size_t wordCount, HINSTANCE module,
                            MenuBarDefinition* definition) {
    if (words == nullptr || wordCount < 2) return false;
    size_t buttonCount = words[1];
    if (wordCount - 2 < buttonCount * kWordsPerButton) return false;
    definition->menuId = words[0];
    definition->buttons.clear();
    for (size_t i = 0; i < buttonCount; ++i) {
        definition->buttons.push_back(ReadButton(module, words + 2 + i * kWordsPerButton));
    }
    return true;
}

bool LoadMenuBarDefinition(HINSTANCE module, UINT resourceId, MenuBarDefinition* definition) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    if (found == nullptr) return false;
    HGLOBAL loaded = LoadResource(module, found);
    const WORD* words = loaded ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    return ParseMenuBarDefinition(words, SizeofResource(module, found) / sizeof(WORD), module,
                                  definition);
}
