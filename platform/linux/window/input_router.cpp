// Input events to window messages: the shell's own keys, the routes of
// input_hooks.h, then the focused window (keys) or the window under the
// pointer (mouse). Conversion runs inside GetMessageW, so it only queues
// messages (and posts the shell's WM_CLOSE); what the keys and clicks do
// happens when the loop dispatches them.
#include <cwchar>
#include <deque>
#include <mutex>
#include <utility>

#include "platform/linux/screen/terminal_input_parser.h"
#include "platform/linux/window/input_hooks.h"
#include "platform/linux/window/window_system.h"

namespace wendrel_window {
namespace {

struct InputMessage {
  MSG msg;
  bool shift;
  bool ctrl;
  bool alt;
};

struct InputState {
  std::mutex lock;  // guards events: any thread may inject
  std::deque<InputEvent> events;
  // The rest belongs to the user-interface thread.
  std::deque<InputMessage> messages;
  std::vector<std::pair<int, KeyRoute>> keyRoutes;
  std::vector<std::pair<int, MouseRoute>> mouseRoutes;
  int nextRouteId = 1;
};

InputState &State() {
  static InputState state;
  return state;
}

// The window the newest route names for the event, or null.
template <typename Route, typename Event>
HWND Routed(const std::vector<std::pair<int, Route>> &routes, HWND chosen, const Event &event) {
  std::vector<int> ids;
  for (auto it = routes.rbegin(); it != routes.rend(); ++it) ids.push_back(it->first);
  for (int id : ids) {
    // A route may add or remove routes, so each is looked up afresh.
    for (const auto &entry : routes) {
      if (entry.first != id) continue;
      Route route = entry.second;
      if (HWND taker = route(chosen, event); taker != nullptr && FindOwn(taker)) return taker;
      break;
    }
  }
  return nullptr;
}

template <typename Route>
int AddRoute(std::vector<std::pair<int, Route>> &routes, Route route) {
  int id = State().nextRouteId++;
  routes.emplace_back(id, std::move(route));
  return id;
}

template <typename Route>
void RemoveRoute(std::vector<std::pair<int, Route>> &routes, int id) {
  for (auto it = routes.begin(); it != routes.end(); ++it) {
    if (it->first == id) {
      routes.erase(it);
      return;
    }
  }
}

void SetModifiers(bool shift, bool ctrl, bool alt) {
  Interaction().shiftDown = shift;
  Interaction().ctrlDown = ctrl;
  Interaction().altDown = alt;
}

// What TranslateMessage turns the key into, as Win32's keyboard layer would.
wchar_t TranslatedCharacter(const KeyEvent &key) {
  if (key.alt) return 0;
  if (key.ch >= 0x20) return key.ch;
  switch (key.vk) {
    case VK_RETURN:
      return 13;
    case VK_TAB:
      return 9;
    case VK_BACK:
      return 8;
    case VK_ESCAPE:
      return 27;
    default:
      break;
  }
  if (key.ctrl && key.vk >= 'A' && key.vk <= 'Z') return static_cast<wchar_t>(key.vk - 'A' + 1);
  return 0;
}

HWND KeyTarget() {
  HWND focus = GetFocus();
  if (focus != nullptr && FindOwn(focus)) return focus;
  HWND active = GetActiveWindow();
  WindowPtr w = FindOwn(active);
  if (w && !(w->style & WS_DISABLED)) return active;
  return nullptr;
}

// Whether the window takes typed text: an edit box, where ô is ô even when a
// stock xterm sends Alt+T the same way.
bool TakesText(HWND hwnd) {
  WCHAR name[8] = L"";
  return hwnd != nullptr && GetClassNameW(hwnd, name, 8) > 0 && wcscasecmp(name, L"Edit") == 0;
}

void ConvertKey(const KeyEvent &event) {
  const KeyEvent key = event.metaTyped != 0 && TakesText(KeyTarget()) ? CharacterKey(event.metaTyped) : event;
  if (key.ctrl && !key.alt && (key.vk == 'Q' || key.vk == 'C')) {
    // The shell's close: the main window saves its settings on the way out.
    if (HWND main = MainWindow()) PostMessageW(main, WM_CLOSE, 0, 0);
    return;
  }
  SetModifiers(key.shift, key.ctrl, key.alt);
  HWND target = KeyTarget();
  if (HWND taker = Routed(State().keyRoutes, target, key)) target = taker;
  if (target == nullptr) return;
  InputMessage input{};
  input.msg.hwnd = target;
  if (key.vk == VK_F1 && !key.shift && !key.ctrl && !key.alt) {
    input.msg.message = WM_KEYF1;
  } else {
    input.msg.message = key.alt ? WM_SYSKEYDOWN : WM_KEYDOWN;
    input.msg.wParam = key.vk;
    uint64_t lParam = 1;  // repeat count
    if (key.alt) lParam |= 1u << 29;  // context code: Alt held
    lParam |= static_cast<uint64_t>(static_cast<uint32_t>(TranslatedCharacter(key))) << kCharacterShift;
    input.msg.lParam = static_cast<LPARAM>(lParam);
  }
  input.msg.time = static_cast<DWORD>(NowMs());
  input.shift = key.shift;
  input.ctrl = key.ctrl;
  input.alt = key.alt;
  State().messages.push_back(input);
}

// Where a mouse event goes that no route took: the wheel to the focused
// window; the rest to the capture window, or through disabled windows to the
// first enabled one under the pointer (a disabled top-level window takes
// nothing).
HWND MouseTarget(HWND under, const MouseEvent &mouse) {
  bool wheel = mouse.action == MouseAction::WheelUp || mouse.action == MouseAction::WheelDown;
  if (HWND focus = GetFocus(); wheel && focus != nullptr) return focus;
  if (HWND capture = GetCapture(); capture != nullptr && FindOwn(capture)) return capture;
  for (WindowPtr w = FindOwn(under); w; w = w->IsChild() ? FindOwn(w->parent) : nullptr) {
    if (IsEnabledInTree(*w)) return w->handle;
  }
  return nullptr;
}

void ConvertMouse(const MouseEvent &mouse) {
  SetModifiers(mouse.shift, mouse.ctrl, mouse.alt);
  HWND under = HitTest(mouse.column, mouse.row);
  HWND target = Routed(State().mouseRoutes, under, mouse);
  if (target == nullptr) target = MouseTarget(under, mouse);
  WindowPtr w = FindOwn(target);
  if (!w) return;
  WPARAM keys = 0;
  if (mouse.shift) keys |= MK_SHIFT;
  if (mouse.ctrl) keys |= MK_CONTROL;
  UINT message = 0;
  switch (mouse.action) {
    case MouseAction::LeftDown:
      message = mouse.doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
      keys |= MK_LBUTTON;
      break;
    case MouseAction::LeftUp:
      message = WM_LBUTTONUP;
      break;
    case MouseAction::RightDown:
      message = WM_RBUTTONDOWN;
      keys |= MK_RBUTTON;
      break;
    case MouseAction::RightUp:
      message = WM_RBUTTONUP;
      break;
    case MouseAction::Move:
      message = WM_MOUSEMOVE;
      break;
    case MouseAction::WheelUp:
    case MouseAction::WheelDown:
      message = WM_MOUSEWHEEL;
      break;
  }
  int x = mouse.column * kCellWidthPx;
  int y = mouse.row * kCellHeightPx;
  InputMessage input{};
  input.msg.hwnd = target;
  input.msg.message = message;
  if (message == WM_MOUSEWHEEL) {
    // Wheel messages carry screen coordinates, all others client ones.
    int delta = mouse.action == MouseAction::WheelUp ? WHEEL_DELTA : -WHEEL_DELTA;
    input.msg.wParam = MAKEWPARAM(keys, delta);
  } else {
    RECT client = ClientScreenRect(*w);
    x -= client.left;
    y -= client.top;
    input.msg.wParam = keys;
  }
  input.msg.lParam = MAKELPARAM(x, y);
  input.msg.pt = POINT{mouse.column * kCellWidthPx, mouse.row * kCellHeightPx};
  input.msg.time = static_cast<DWORD>(NowMs());
  input.shift = mouse.shift;
  input.ctrl = mouse.ctrl;
  input.alt = mouse.alt;
  State().messages.push_back(input);
}

}  // namespace

void QueueInputEvent(const InputEvent &event) {
  std::lock_guard<std::mutex> guard(State().lock);
  State().events.push_back(event);
}

bool ConvertPendingInput() {
  InputEvent event;
  {
    std::lock_guard<std::mutex> guard(State().lock);
    if (State().events.empty()) return false;
    event = State().events.front();
    State().events.pop_front();
  }
  if (event.type == InputEvent::Type::Key) {
    ConvertKey(event.key);
  } else {
    ConvertMouse(event.mouse);
  }
  return true;
}

bool TakeInputMessage(HWND filter, UINT min, UINT max, bool remove, MSG *out) {
  auto &messages = State().messages;
  for (auto it = messages.begin(); it != messages.end(); ++it) {
    if (filter != nullptr && it->msg.hwnd != filter) continue;
    if ((min != 0 || max != 0) && (it->msg.message < min || it->msg.message > max)) continue;
    if (!Find(it->msg.hwnd)) {
      messages.erase(it);
      return TakeInputMessage(filter, min, max, remove, out);
    }
    *out = it->msg;
    if (remove) {
      SetModifiers(it->shift, it->ctrl, it->alt);
      messages.erase(it);
    }
    return true;
  }
  return false;
}

void ClearInput() {
  {
    std::lock_guard<std::mutex> guard(State().lock);
    State().events.clear();
  }
  State().messages.clear();
}

void ResetRoutes() {
  State().keyRoutes.clear();
  State().mouseRoutes.clear();
}

}  // namespace wendrel_window

using namespace wendrel_window;

int AddKeyRoute(KeyRoute route) { return AddRoute(State().keyRoutes, std::move(route)); }

void RemoveKeyRoute(int id) { RemoveRoute(State().keyRoutes, id); }

int AddMouseRoute(MouseRoute route) { return AddRoute(State().mouseRoutes, std::move(route)); }

void RemoveMouseRoute(int id) { RemoveRoute(State().mouseRoutes, id); }
