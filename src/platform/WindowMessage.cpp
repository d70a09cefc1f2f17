#include "platform/WindowMessage.h"

#include <atomic>

namespace ormidon {
namespace {
std::atomic<WindowMessageRouter*> g_router{nullptr};
}

void SetWindowMessageRouter(WindowMessageRouter* router) { g_router.store(router); }

WindowMessageRouter* GetWindowMessageRouter() { return g_router.load(); }

bool PostWindowMessage(WindowHandle window, uint32_t message, WParam wParam, LParam lParam) {
    WindowMessageRouter* router = g_router.load();
    if (router == nullptr || window == 0) return false;
    return router->Post(window, message, wParam, lParam);
}

}  // namespace ormidon
