// The window system's own state: windows, classes, the per-thread message
// queues and the process-wide focus, activation and z-order. Internal to
// platform/linux/window/; everyone else uses the calls of window.h.
//
// Locking: the registry (handle → window, classes, z-order) is guarded by
// RegistryLock() because PostMessageW, IsWindow and FindWindowW may come from
// any thread. A window's other fields belong to its thread and are touched
// there only, never under the lock across a call into a window procedure.
// Nothing holds a Window* across a window procedure call: the procedure may
// destroy the window; code looks it up again by handle afterwards.
#pragma once

#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/linux/screen/screen.h"
#include "platform/linux/window/window.h"

namespace wendrel_window {

// One thread's posted messages, woken through an eventfd that poll can watch.
class ThreadQueue {
 public:
  ThreadQueue();
  ~ThreadQueue();
  ThreadQueue(const ThreadQueue &) = delete;
  ThreadQueue &operator=(const ThreadQueue &) = delete;

  // Any thread.
  void Post(const MSG &msg);
  void Wake();
  // The owning thread. Takes the first message that matches the filter.
  bool Take(HWND filter, UINT min, UINT max, bool remove, MSG *out);
  bool HasPosted();
  void Clear();
  // Reads away pending wake-ups.
  void Drain();
  int WakeDescriptor() const { return wakeFd; }

  bool quitPosted = false;
  int quitCode = 0;

 private:
  std::mutex lock;
  std::deque<MSG> posted;
  int wakeFd = -1;
};

// The calling thread's queue, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();

struct WindowClass {
  std::wstring name;
  ATOM atom = 0;
  WNDCLASSW info{};
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> windowClass;
  WNDPROC proc = nullptr;
  DWORD style = 0;
  DWORD exStyle = 0;
  std::wstring text;  // written under the registry lock, FindWindowW reads it
  HWND parent = nullptr;  // a child's parent
  HWND owner = nullptr;   // a top-level window's owner
  // Creation order, which is also the z-order from the top, as Win32 keeps a
  // dialog's controls: the first created is drawn last and hit first.
  std::vector<HWND> children;
  int id = 0;
  HINSTANCE instance = nullptr;
  LONG_PTR userData = 0;
  std::vector<unsigned char> extra;  // the class's cbWndExtra bytes
  // Pixels: the window's rectangle in its parent's client coordinates, or in
  // screen coordinates for a top-level window.
  RECT rect{};
  bool defaultSized = false;
  std::shared_ptr<ThreadQueue> queue;
  std::thread::id thread;
  bool destroying = false;

  // Painting.
  CellGrid cells;  // the whole window, frame included
  bool invalid = false;
  bool erase = false;
  int caretRow = 0;
  int caretColumn = -1;
  HWND lastFocus = nullptr;  // a top-level window's focus while inactive

  // Published to other processes (top-level, titled): listening socket.
  int publishFd = -1;
  std::string publishPath;
  std::vector<int> publishClients;

  bool IsChild() const { return (style & WS_CHILD) != 0; }
  bool IsTopLevel() const { return (style & WS_CHILD) == 0; }
};

using WindowPtr = std::shared_ptr<Window>;

std::recursive_mutex &RegistryLock();

// Null for null, dead, foreign or remote handles.
WindowPtr Find(HWND hwnd);
// As Find, but only for a window of the calling thread.
WindowPtr FindOwn(HWND hwnd);

HWND NewHandle();
void AddWindow(const WindowPtr &window);
void RemoveWindow(HWND hwnd);
std::vector<WindowPtr> AllWindows();

std::shared_ptr<WindowClass> FindClass(LPCWSTR nameOrAtom);

// Top-level windows, bottom first. Owned windows stay above their owner and
// WS_EX_TOPMOST windows above the rest.
std::vector<HWND> ZOrder();
void ZOrderAdd(HWND hwnd);
void ZOrderRemove(HWND hwnd);
void BringToTop(HWND hwnd);

// The process's interaction state. The window system serves one
// user-interface thread with a screen; focus and activation are its.
struct InteractionState {
  HWND focus = nullptr;
  HWND active = nullptr;
  HWND capture = nullptr;
  bool shiftDown = false;
  bool ctrlDown = false;
  bool altDown = false;
};
InteractionState &Interaction();

// Geometry helpers (pixels and cells).
// The desktop's handle: no window of the table, the root of the tree and the
// whole screen as a rectangle.
inline const HWND kDesktop = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x10));
// Floor division that also rounds negative numbers down.
int FloorDiv(int value, int divisor);
bool HasFrame(const Window &w);
RECT WindowScreenRect(const Window &w);  // pixels, screen coordinates
RECT ClientScreenRect(const Window &w);  // pixels, screen coordinates
// A pixel rectangle to cells, each edge rounded to the nearest cell boundary.
RECT PixelsToCells(const RECT &pixels);
RECT WorkArea();  // pixels: the screen below the title row
bool IsVisibleOnScreen(const Window &w);  // itself and all ancestors visible
bool IsEnabledInTree(const Window &w);    // itself and all ancestors enabled
// The style bits under mask equal value in w and in each of its parents up
// to its top-level window; false when a parent is gone.
bool LineageHasStyle(const Window &w, DWORD mask, DWORD value);
HWND RootOf(HWND hwnd);
// Deepest visible window at a screen cell (enabled or not), top-level windows
// searched from the top.
HWND HitTest(int column, int row);

// Size and flags of the session's screen, 80 × 24 without one.
int ScreenColumns();
int ScreenRows();
Screen *CurrentScreen();
bool IsUiThread();

// Painting and composition.
void MarkDirty();
void InvalidateTree(HWND hwnd);
// Sends WM_PAINT to invalid visible windows of this thread, parents first,
// then composes and presents the screen if anything changed.
void PaintAndPresent();
// Next window needing WM_PAINT (and marks it valid), or null.
HWND TakeInvalidWindow();
void ComposeAndPresent();
const CellGrid &ComposedFrame();
void SyncCells(Window &w);  // resize the cell grid after a geometry change
void ResetPainter();

// Activation and focus internals.
bool FocusInside(HWND hwnd);  // the focus is hwnd or one of its descendants
void ActivateWindow(HWND hwnd, bool restoreFocus);
// Moves activation and focus away from a window that is being hidden or
// destroyed (and from the windows it owns).
void ReleaseActivation(HWND hwnd);
void ForgetFocus(HWND hwnd);
HWND MainWindow();

// Publishing for FindWindowW of other processes.
void PublishWindow(Window &w);
void UnpublishWindow(Window &w);
// Descriptors the UI thread's wait watches for come-forward requests, and the
// handling of one that became readable.
void CollectPublishDescriptors(std::vector<int> &fds);
void ServicePublishDescriptor(int fd);
bool IsRemoteHandle(HWND hwnd);
bool AskRemoteToComeForward(HWND hwnd);
void ForgetRemoteHandles();

// Session hooks used by the queue's wait: the descriptors to watch besides the
// queue's own (terminal, signals, published sockets), the time-out a pending
// Esc needs, and the handling of whatever became ready.
void CollectSessionDescriptors(std::vector<int> &fds, int *timeoutMs);
void ServiceSessionDescriptor(int fd, short revents);
void ServiceSessionTimeout();
// Turns one pending input event into messages (or posts the shell's close);
// false when no input is pending.
bool ConvertPendingInput();
bool TakeInputMessage(HWND filter, UINT min, UINT max, bool remove, MSG *out);
void ClearInput();
void QueueInputEvent(const InputEvent &event);  // any thread
uint64_t NowMs();  // monotonic

// Keyboard messages carry the character TranslateMessage makes of them above
// bit 32 of lParam; bits 0..15 are the repeat count, as in Win32.
constexpr int kCharacterShift = 32;

void ResetRoutes();
void ResetRegistry();

}  // namespace wendrel_window
