#include "app/uCommandRegistry.h"

#include <algorithm>
#include <map>
#include <vector>

namespace {

struct HandlerRange {
    UINT first;
    UINT last;
    CommandHandler handler;
};

// Oldest first; a lookup walks from the newest.
std::vector<HandlerRange>& Handlers() {
    static std::vector<HandlerRange> handlers;
    return handlers;
}

std::map<UINT, MenuPreparer>& Preparers() {
    static std::map<UINT, MenuPreparer> preparers;
    return preparers;
}

}  // namespace

void SetCommandHandler(UINT first, UINT last, CommandHandler handler) {
    auto& handlers = Handlers();
    // A range the new one covers whole can never be found again; dropping it
    // keeps owners that register on every settings load from growing the table.
    std::erase_if(handlers, [&](const HandlerRange& range) { return range.first >= first && range.last <= last; });
    const bool shadowsOlder = std::any_of(handlers.begin(), handlers.end(), [&](const HandlerRange& range) {
        return range.first <= last && range.last >= first;
    });
    // A removal has to stay on record only where it hides part of an older range.
    if (handler || shadowsOlder) handlers.push_back({first, last, handler});
}

CommandHandler CommandHandlerOf(UINT command) {
    const auto& handlers = Handlers();
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it)
        if (command >= it->first && command <= it->last) return it->handler;
    return nullptr;
}

void SetMenuPreparer(UINT submenuId, MenuPreparer preparer) {
    if (preparer)
        Preparers()[submenuId] = preparer;
    else
        Preparers().erase(submenuId);
}

MenuPreparer MenuPreparerOf(UINT submenuId) {
    const auto& preparers = Preparers();
    const auto it = preparers.find(submenuId);
    return it != preparers.end() ? it->second : nullptr;
}

HMENU SubmenuById(HMENU menu, UINT submenuId) {
    for (int i = 0, count = menu ? GetMenuItemCount(menu) : 0; i < count; ++i) {
        MENUITEMINFOW info{sizeof(info)};
        info.fMask = MIIM_ID | MIIM_SUBMENU;
        if (!GetMenuItemInfoW(menu, i, TRUE, &info) || !info.hSubMenu) continue;
        if (info.wID == submenuId) return info.hSubMenu;
        if (HMENU inner = SubmenuById(info.hSubMenu, submenuId)) return inner;
    }
    return nullptr;
}
