// Shared between the window layer's source files; not for use outside platform/win/window.
#pragma once
#ifndef MS_PLATFORM_INTERNAL
#error "internal to the platform layer; tests use platform/win/window/TestSeams.h"
#endif

#include "window/WindowObject.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>
#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace ms::wnd {

// Handle table. The lock guards the table only; window objects are used on the UI thread.
std::recursive_mutex& TableMutex();
WindowObject* Lookup(HWND hwnd);
std::vector<HWND> AllWindows();          // in creation order
std::vector<HWND> ChildrenOf(HWND hwnd); // child windows in z-order, top first
std::vector<HWND> OwnedBy(HWND hwnd);
std::vector<HWND> ChildrenOfAll(HWND hwnd); // including those being destroyed
bool OnUiThread();
// Debug builds: stops the program (or tells the test's handler) when `call` runs off the UI
// thread while a UI thread exists. Release builds: nothing.
// `caller` is the calling function's name, filled in where the call is written (clang 14 has
// no std::source_location; both compilers have the builtin).
void AssertUiThread(const char* caller = __builtin_FUNCTION());
// The headless platform (no raising, grabbing or moving the real cursor there).
bool Headless();

// Geometry helpers: the frame of a top-level window (left, top, right, bottom widths).
QMargins FrameOf(DWORD style, DWORD exStyle, bool child);
// Client area rectangle in screen coordinates.
QRect ClientScreenRect(const WindowObject& w);
// Sends WM_MOVE / WM_SIZE when the client position or size changed since the last notice.
void NotifyGeometry(WindowObject& w);

// Window flags of a top-level widget for a window's styles; applying them re-shows it.
Qt::WindowFlags TopLevelFlags(DWORD style, DWORD exStyle, bool dialog);
void ApplyTopLevelFlags(WindowObject& w);
// Places the widget so that the window rectangle (parent client coordinates for children,
// screen for top-level windows) is `r`; and the reverse, in screen coordinates.
void PlaceWidget(WindowObject& w, QRect r);
QRect WindowRectOf(const WindowObject& w);

// The widget of a custom window.
class SurfaceWidget : public QWidget {
public:
    SurfaceWidget(HWND hwnd, QWidget* parent, Qt::WindowFlags flags);
    HWND Handle() const { return hwnd_; }

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void moveEvent(QMoveEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    HWND hwnd_;
};

// Runs WM_PAINT for the window when its update region is not empty.
void PaintPending(WindowObject& w);

// The application-wide dispatcher: posted messages, cross-thread sends, timers, the input
// filter. Lives on the UI thread.
class Dispatcher : public QObject {
public:
    static Dispatcher& Instance();
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
};

inline constexpr QEvent::Type kPostedMessageEvent = static_cast<QEvent::Type>(QEvent::User + 0x300);
inline constexpr QEvent::Type kUpdateWindowEvent = static_cast<QEvent::Type>(QEvent::User + 0x301);
inline constexpr QEvent::Type kCallEvent = static_cast<QEvent::Type>(QEvent::User + 0x302);

class PostedMessageEvent : public QEvent {
public:
    explicit PostedMessageEvent(const MSG& m) : QEvent(kPostedMessageEvent), msg(m) {}
    MSG msg;
};

// A message posted from another thread reaches the UI thread through Qt's event queue, whose
// lock the thread checker cannot see. Posting publishes the event through this counter
// (release) and the UI thread reads it (acquire) before it looks at any event, so the
// hand-over is one the checker sees too; it costs one atomic operation on each side.
inline std::atomic<unsigned> g_postedEvents{0};
// Queues `m` for the UI thread's dispatcher. Any thread.
inline void PostToDispatcher(const MSG& m) {
    auto* e = new PostedMessageEvent(m);
    g_postedEvents.fetch_add(1, std::memory_order_release);
    QCoreApplication::postEvent(&Dispatcher::Instance(), e);
}
inline void ReceivePostedEvents() {
    (void)g_postedEvents.load(std::memory_order_acquire);
}

// One queued message: pre-translation, then translation and dispatch. The Qt event behind an
// input message reaches Qt only when DefWindowProc was reached for it (see InputContext).
void RunQueuedMessage(MSG& msg);

// The input message being processed, so that DefWindowProc can hand its Qt event back and
// TranslateMessage can produce WM_CHAR from the key's text.
struct InputContext {
    HWND hwnd = nullptr;
    UINT message = 0;
    bool passToQt = false;
    bool translated = false;
};
InputContext*& CurrentInput();

// The pre-translation walk stops at this window (the one running the innermost modal loop);
// null: the walk goes to the top of the parent chain.
HWND ModalStop();
// The framework's pre-translation; null until the framework installs it.
using PreTranslateHook = BOOL (*)(MSG* msg, HWND stop);
PreTranslateHook& PreTranslate();

// Input
void InstallInputFilter();
QPoint ClampToClip(QPoint global);
void SuspendClipForModal(bool suspend);
void ForgetWindowInput(HWND hwnd);
// Drags a top-level window with the mouse until the button comes up (no window manager).
void BeginManualMove(HWND hwnd);
DWORD MessageTime();
void SetLastMessage(const MSG& m);

// Quiet points (see ms::AddIdleHandler): the UI thread's idle hook, installed with the
// application, and the run of the handlers on the calling thread.
void InstallIdleHook();
void RunIdleHandlers();

// Forgets a WM_QUIT that arrived (tests start from a clean state).
void ClearQuit();

// Timers
void KillAllTimers(HWND hwnd);
void TimerDelivered(HWND hwnd, UINT_PTR id);
bool TimerAlive(HWND hwnd, UINT_PTR id);

// Menus
void DestroySystemMenu(WindowObject& w);

// Icons and cursors
void ApplyCursor(HCURSOR cursor);

// Default dialog procedure of the dialog class.
LRESULT DialogClassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Runs the creation hook set for the next window, if any.
void RunCreateHook(HWND hwnd);
// Removes and returns the hook set for the next window (to chain it).
std::function<void(HWND)> TakeCreateHook();

} // namespace ms::wnd
