#include "frontends/sdl/x11_windows.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/Xrandr.h>
#include <poll.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

namespace qs3::sdl {
namespace {

// The shared staging image (1 MiB): the quartet's 640 x 256 pixels go in
// one tile, a whole frame in tiles of this size.
constexpr Size kStagedSize{1024, 256};

// The code of the last error, so a request whose failure matters can be
// checked after a round trip.
std::atomic<int> lastErrorCode{0};

int IgnoreXError(Display*, XErrorEvent* event) {
  lastErrorCode = event->error_code;
  return 0;
}

struct XFreeDeleter {
  void operator()(void* data) const {
    if (data != nullptr) XFree(data);
  }
};
template <typename T>
using XPointer = std::unique_ptr<T, XFreeDeleter>;

// The UTF-8 _NET_WM_NAME, else the plain WM_NAME.
std::optional<std::string> WindowName(Display* display, Window window) {
  const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* raw = nullptr;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count,
                         &after, &raw) == Success) {
    XPointer<unsigned char> data(raw);
    if (data && type == utf8 && format == 8) {
      return std::string(reinterpret_cast<const char*>(data.get()), count);
    }
  }
  char* name = nullptr;
  if (XFetchName(display, window, &name) != 0 && name != nullptr) {
    XPointer<char> owned(name);
    return std::string(owned.get());
  }
  return std::nullopt;
}

std::vector<Window> Children(Display* display, Window window) {
  Window root = 0, parent = 0;
  Window* children = nullptr;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) return {};
  XPointer<Window> owned(children);
  return std::vector<Window>(children, children + count);
}

std::optional<Window> WindowProperty(Display* display, Window window, const char* name) {
  const Atom atom = XInternAtom(display, name, False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* raw = nullptr;
  if (XGetWindowProperty(display, window, atom, 0, 1, False, XA_WINDOW, &type, &format, &count,
                         &after, &raw) != Success) {
    return std::nullopt;
  }
  XPointer<unsigned char> data(raw);
  if (!data || type != XA_WINDOW || format != 32 || count != 1) return std::nullopt;
  return *reinterpret_cast<const Window*>(data.get());
}

}  // namespace

void InstallQuietXErrorHandler() {
  XSetErrorHandler(IgnoreXError);
}

// One XImage in a shared-memory segment attached to the server, a tile of
// kStagedSize: the rectangles of a frame are copied into it tile by tile,
// stacked, and the server reads them from there with no trip through the
// socket. The window itself keeps the picture, so no whole copy of the frame
// is kept on this side.
class X11Connection::SharedImage {
 public:
  // None when the segment cannot be made or the server cannot attach it
  // (a display on another machine).
  static std::unique_ptr<SharedImage> Create(Display* display, Size size) {
    auto shared = std::make_unique<SharedImage>(display, size);
    return shared->attached_ ? std::move(shared) : nullptr;
  }
  SharedImage(const SharedImage&) = delete;
  SharedImage& operator=(const SharedImage&) = delete;
  ~SharedImage() {
    if (attached_) {
      XShmDetach(display_, &info_);
      XSync(display_, False);
    }
    if (image_ != nullptr) {
      image_->data = nullptr;  // the segment's, not Xlib's to free
      XDestroyImage(image_);
    }
    if (info_.shmaddr != nullptr && info_.shmaddr != reinterpret_cast<char*>(-1)) {
      shmdt(info_.shmaddr);
    }
  }

  // Use Create, which hands out only images the server has attached.
  SharedImage(Display* display, Size size);

  Size size() const { return size_; }

  // Has the server put each rectangle of the picture (`width` pixels a row)
  // into the window, a tile at a time.
  void Put(Window window, const std::uint32_t* pixels, int width, std::span<const Rect> rects) {
    int staged = 0;  // rows of the segment in use
    for (const Rect& r : rects) {
      for (int top = r.top; top < r.bottom; top += size_.height) {
        for (int left = r.left; left < r.right; left += size_.width) {
          const Rect tile{left, top, std::min(r.right, left + size_.width),
                          std::min(r.bottom, top + size_.height)};
          if (staged + (tile.bottom - tile.top) > size_.height) Flush(staged);
          Stage(pixels, width, tile, staged);
          XShmPutImage(display_, window, DefaultGC(display_, DefaultScreen(display_)), image_, 0,
                       staged, tile.left, tile.top, static_cast<unsigned>(tile.right - tile.left),
                       static_cast<unsigned>(tile.bottom - tile.top), False);
          staged += tile.bottom - tile.top;
        }
      }
    }
    Flush(staged);
  }

 private:
  // Copies the picture's pixels of `tile` into the segment's left columns
  // from row `at` on.
  void Stage(const std::uint32_t* pixels, int width, const Rect& tile, int at) {
    const auto rowBytes = static_cast<std::size_t>(tile.right - tile.left) * 4;
    for (int y = tile.top; y < tile.bottom; ++y, ++at) {
      std::memcpy(image_->data + static_cast<std::ptrdiff_t>(at) * image_->bytes_per_line,
                  pixels + static_cast<std::ptrdiff_t>(y) * width + tile.left, rowBytes);
    }
  }

  // The segment is written again next: the server must be done with it.
  void Flush(int& staged) {
    if (staged > 0) XSync(display_, False);
    staged = 0;
  }

  Display* display_;
  Size size_;
  XShmSegmentInfo info_{};
  XImage* image_ = nullptr;
  bool attached_ = false;
};

X11Connection::SharedImage::SharedImage(Display* display, Size size)
    : display_(display), size_(size) {
  const int screen = DefaultScreen(display);
  image_ = XShmCreateImage(display, DefaultVisual(display, screen),
                           static_cast<unsigned>(DefaultDepth(display, screen)), ZPixmap, nullptr,
                           &info_, static_cast<unsigned>(size.width),
                           static_cast<unsigned>(size.height));
  if (image_ == nullptr || image_->bits_per_pixel != 32) return;
  const auto bytes =
      static_cast<std::size_t>(image_->bytes_per_line) * static_cast<std::size_t>(image_->height);
  info_.shmid = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
  if (info_.shmid < 0) return;
  info_.shmaddr = static_cast<char*>(shmat(info_.shmid, nullptr, 0));
  image_->data = info_.shmaddr;
  info_.readOnly = True;
  if (info_.shmaddr == reinterpret_cast<char*>(-1)) {
    shmctl(info_.shmid, IPC_RMID, nullptr);
    return;
  }
  lastErrorCode = 0;
  XShmAttach(display, &info_);
  XSync(display, False);
  // Marked for removal now: it goes once both sides have let go of it.
  shmctl(info_.shmid, IPC_RMID, nullptr);
  attached_ = lastErrorCode == 0;
}

X11Connection::X11Connection() {
  InstallQuietXErrorHandler();
  // X servers refuse a connection now and then; a few tries ride that out.
  constexpr int kTries = 5;
  for (int attempt = 1; attempt <= kTries && display_ == nullptr; ++attempt) {
    display_ = XOpenDisplay(nullptr);
    if (display_ == nullptr && attempt < kTries) usleep(50'000);
  }
}

X11Connection::~X11Connection() {
  sharedImage_.reset();
  if (display_ != nullptr) XCloseDisplay(display_);
}

XWindowId X11Connection::Root() const {
  return display_ != nullptr ? static_cast<XWindowId>(DefaultRootWindow(display_)) : 0;
}

bool X11Connection::TopLevelWindowExists(const std::string& title) const {
  if (display_ == nullptr) return false;
  // Without a window manager the top-level windows are the root's children;
  // with one, each sits inside a frame, one level further down.
  for (const Window child : Children(display_, DefaultRootWindow(display_))) {
    if (WindowName(display_, child) == title) return true;
    for (const Window grandchild : Children(display_, child)) {
      if (WindowName(display_, grandchild) == title) return true;
    }
  }
  return false;
}

std::optional<Size> X11Connection::WindowSize(XWindowId window) const {
  if (display_ == nullptr || window == 0) return std::nullopt;
  XWindowAttributes attributes{};
  if (XGetWindowAttributes(display_, window, &attributes) == 0) return std::nullopt;
  return Size{attributes.width, attributes.height};
}

XWindowId X11Connection::ActiveWindow() const {
  if (display_ == nullptr) return 0;
  if (const auto active =
          WindowProperty(display_, DefaultRootWindow(display_), "_NET_ACTIVE_WINDOW")) {
    if (*active != 0) return static_cast<XWindowId>(*active);
  }
  Window focus = 0;
  int revert = 0;
  XGetInputFocus(display_, &focus, &revert);
  // PointerRoot (1) and None (0) name no window.
  return focus > 1 ? static_cast<XWindowId>(focus) : 0;
}

void X11Connection::Activate(XWindowId window) const {
  if (display_ == nullptr || window == 0) return;
  XRaiseWindow(display_, window);
  XSetInputFocus(display_, window, RevertToParent, CurrentTime);
  XFlush(display_);
}

std::optional<Point> X11Connection::PointerPosition() const {
  if (display_ == nullptr) return std::nullopt;
  Window root = 0, child = 0;
  int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
  unsigned int mask = 0;
  if (XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &windowX,
                    &windowY, &mask) == 0) {
    return std::nullopt;
  }
  return Point{rootX, rootY};
}

XWindowId X11Connection::CreateChild(XWindowId parent, Size size, const char* name) const {
  if (display_ == nullptr || size.width <= 0 || size.height <= 0) return 0;
  const unsigned long black = BlackPixel(display_, DefaultScreen(display_));
  const Window child =
      XCreateSimpleWindow(display_, parent, 0, 0, static_cast<unsigned>(size.width),
                          static_cast<unsigned>(size.height), 0, black, black);
  XSync(display_, False);
  if (child == 0 || !WindowSize(static_cast<XWindowId>(child))) return 0;
  XStoreName(display_, child, name);
  // What another window covered comes back as an exposure to draw again.
  XSelectInput(display_, child, ExposureMask);
  XMapWindow(display_, child);
  XSync(display_, False);
  return static_cast<XWindowId>(child);
}

void X11Connection::DestroyWindow(XWindowId window) const {
  if (display_ == nullptr || window == 0) return;
  XDestroyWindow(display_, window);
  XSync(display_, False);
}

MonitorLayout X11Connection::Monitors() const {
  MonitorLayout layout;
  int eventBase = 0;
  int errorBase = 0;
  int major = 0;
  int minor = 0;
  if (display_ == nullptr || !XRRQueryExtension(display_, &eventBase, &errorBase) ||
      !XRRQueryVersion(display_, &major, &minor) || (major == 1 && minor < 5)) {
    return layout;
  }
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display_, DefaultRootWindow(display_), True, &count);
  if (monitors == nullptr) return layout;
  for (int i = 0; i < count && layout.count < kMaxMonitors; ++i) {
    const XRRMonitorInfo& m = monitors[i];
    layout.monitors[layout.count++] = {{m.x, m.y, m.x + m.width, m.y + m.height}, m.primary != 0};
  }
  XRRFreeMonitors(monitors);
  return layout;
}

void X11Connection::MoveWindow(XWindowId window, const Rect& area) const {
  if (display_ == nullptr || window == 0) return;
  XMoveResizeWindow(display_, window, area.left, area.top,
                    static_cast<unsigned>(area.right - area.left),
                    static_cast<unsigned>(area.bottom - area.top));
  XRaiseWindow(display_, window);
  XSync(display_, False);
}

void X11Connection::PaintBlack(XWindowId window) const {
  if (display_ == nullptr || window == 0) return;
  XSetWindowBackground(display_, window, BlackPixel(display_, DefaultScreen(display_)));
  XClearWindow(display_, window);
  XFlush(display_);
}

void X11Connection::PutPixels(XWindowId window, const std::uint32_t* pixels, Size size,
                              std::span<const Rect> rects) const {
  if (display_ == nullptr || window == 0 || pixels == nullptr || size.width <= 0 ||
      size.height <= 0 || rects.empty()) {
    return;
  }
  const int screen = DefaultScreen(display_);
  Visual* visual = DefaultVisual(display_, screen);
  const int depth = DefaultDepth(display_, screen);
  if ((depth != 24 && depth != 32) || visual->red_mask != 0xFF0000u ||
      visual->green_mask != 0x00FF00u || visual->blue_mask != 0x0000FFu) {
    return;
  }
  if (!sharedMemoryRefused_ && XShmQueryExtension(display_)) {
    // A tile as large as the picture allows, up to kStagedSize.
    const Size tile{std::min(size.width, kStagedSize.width),
                    std::min(size.height, kStagedSize.height)};
    if (!sharedImage_ || !(sharedImage_->size() == tile)) {
      sharedImage_.reset();
      sharedImage_ = SharedImage::Create(display_, tile);
      sharedMemoryRefused_ = !sharedImage_;
    }
    if (sharedImage_) {
      sharedImage_->Put(window, pixels, size.width, rects);
      return;
    }
  }
  // The image borrows the frame's pixels: 32 bits each, in the server's
  // byte order as Xlib converts them.
  XImage* image = XCreateImage(display_, visual, static_cast<unsigned>(depth), ZPixmap, 0,
                               reinterpret_cast<char*>(const_cast<std::uint32_t*>(pixels)),
                               static_cast<unsigned>(size.width),
                               static_cast<unsigned>(size.height), 32, size.width * 4);
  if (image == nullptr) return;
  for (const Rect& r : rects) {
    XPutImage(display_, window, DefaultGC(display_, screen), image, r.left, r.top, r.left, r.top,
              static_cast<unsigned>(r.right - r.left), static_cast<unsigned>(r.bottom - r.top));
  }
  image->data = nullptr;  // not Xlib's to free
  XDestroyImage(image);
  XFlush(display_);
}

bool X11Connection::TakeExposure(XWindowId window) const {
  if (display_ == nullptr) return false;
  bool exposed = false;
  while (XPending(display_) > 0) {
    XEvent event{};
    XNextEvent(display_, &event);
    if (event.type == Expose && event.xexpose.window == window) exposed = true;
  }
  return exposed;
}

void X11Connection::WaitForEvents(int timeoutMs) const {
  if (display_ == nullptr) {
    if (timeoutMs > 0) usleep(static_cast<useconds_t>(timeoutMs) * 1000);
    return;
  }
  XFlush(display_);
  if (XEventsQueued(display_, QueuedAlready) > 0) return;
  pollfd connection{ConnectionNumber(display_), POLLIN, 0};
  // A signal (SIGTERM from XScreenSaver) ends the wait early, as it should.
  poll(&connection, 1, timeoutMs);
}

}  // namespace qs3::sdl
