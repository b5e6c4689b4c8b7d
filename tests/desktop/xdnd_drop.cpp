// A drag source for desktop checks: drops files onto an X window the way a
// file manager does, through the X drag-and-drop protocol (XDND), so the
// window's own toolkit (SDL, or Wine's X11 driver) receives a real drop.
//   xdnd-drop WINDOW FILE...   drops the files at the window's centre
//   xdnd-drop --close WINDOW   asks the window to close (WM_DELETE_WINDOW)
// WINDOW is an X window id, decimal or 0x hex (xdotool search prints one).
// Exits 0 once the target said the drop is finished; otherwise names the step
// that did not happen and exits 1.
// Built by tools/check-drop.sh: c++ -std=c++20 xdnd_drop.cpp -lX11
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <sys/select.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStepTimeout = std::chrono::seconds(20);  // Wine's first drop is slow

struct DisplayCloser {
  void operator()(Display* d) const { XCloseDisplay(d); }
};

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "xdnd-drop: %s\n", why.c_str());
  std::exit(1);
}

// file:// URIs, one a line with CRLF as text/uri-list has them; every byte
// outside the unreserved set is percent-encoded.
std::string UriList(const std::vector<std::string>& files) {
  std::string list;
  for (const std::string& file : files) {
    const std::string path = std::filesystem::absolute(file).string();
    list += "file://";
    for (unsigned char c : path) {
      if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
        list += static_cast<char>(c);
      } else {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", c);
        list += hex;
      }
    }
    list += "\r\n";
  }
  return list;
}

class DragSource {
 public:
  DragSource(Display* display, Window target) : d_(display), target_(target) {
    source_ = XCreateSimpleWindow(d_, DefaultRootWindow(d_), 0, 0, 1, 1, 0, 0, 0);
    XSelectInput(d_, source_, PropertyChangeMask);
  }
  ~DragSource() { XDestroyWindow(d_, source_); }
  DragSource(const DragSource&) = delete;
  DragSource& operator=(const DragSource&) = delete;

  void Drop(const std::vector<std::string>& files) {
    uris_ = UriList(files);
    const int version = TargetVersion();
    const Time time = ServerTime();
    XSetSelectionOwner(d_, Intern("XdndSelection"), source_, time);
    if (XGetSelectionOwner(d_, Intern("XdndSelection")) != source_) Fail("could not own XdndSelection");

    Send("XdndEnter", {static_cast<long>(source_), static_cast<long>(version) << 24,
                       static_cast<long>(Intern("text/uri-list")), 0, 0});
    int x = 0, y = 0;
    Centre(x, y);
    Send("XdndPosition", {static_cast<long>(source_), 0, (static_cast<long>(x) << 16) | y, static_cast<long>(time),
                          static_cast<long>(Intern("XdndActionCopy"))});
    XClientMessageEvent status = WaitFor("XdndStatus", "an XdndStatus answer to XdndPosition");
    if ((status.data.l[1] & 1) == 0) {
      Send("XdndLeave", {static_cast<long>(source_), 0, 0, 0, 0});
      XFlush(d_);
      Fail("the window refused the drop (XdndStatus without accept)");
    }
    std::fprintf(stderr, "xdnd-drop: window 0x%lx (XDND version %d) accepts the drop at %d,%d\n", target_, version, x,
                 y);
    Send("XdndDrop", {static_cast<long>(source_), 0, static_cast<long>(time), 0, 0});
    XClientMessageEvent finished = WaitFor("XdndFinished", "XdndFinished after XdndDrop");
    // Version 5 says in bit 0 whether the drop was taken.
    if (version >= 5 && (finished.data.l[1] & 1) == 0) Fail("the window finished without taking the drop");
    std::fprintf(stderr, "xdnd-drop: dropped %zu files, %d asked for by the window\n", files.size(), served_);
    if (served_ == 0) Fail("the drop finished but the window never asked for the files");
  }

  void Close() {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target_;
    e.xclient.message_type = Intern("WM_PROTOCOLS");
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(Intern("WM_DELETE_WINDOW"));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d_, target_, False, NoEventMask, &e);
    XSync(d_, False);
  }

 private:
  Atom Intern(const char* name) { return XInternAtom(d_, name, False); }

  // The version the window announces in XdndAware; a window without it takes no drops.
  int TargetVersion() {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d_, target_, Intern("XdndAware"), 0, 1, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success ||
        data == nullptr || count == 0 || format != 32) {
      if (data) XFree(data);
      Fail("the window has no XdndAware property: it takes no drops");
    }
    const int version = static_cast<int>(*reinterpret_cast<long*>(data));
    XFree(data);
    return version < 5 ? version : 5;
  }

  // The target's centre in root coordinates.
  void Centre(int& x, int& y) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d_, target_, &a)) Fail("cannot read the window's geometry");
    Window child;
    XTranslateCoordinates(d_, target_, DefaultRootWindow(d_), a.width / 2, a.height / 2, &x, &y, &child);
  }

  // A server timestamp, from a property change on our own window.
  Time ServerTime() {
    const Atom stamp = Intern("XDND_DROP_STAMP");
    XChangeProperty(d_, source_, stamp, XA_STRING, 8, PropModeReplace, nullptr, 0);
    const auto deadline = Clock::now() + kStepTimeout;
    for (;;) {
      XEvent e;
      if (!NextEvent(e, deadline)) Fail("no PropertyNotify for the timestamp");
      if (e.type == PropertyNotify && e.xproperty.atom == stamp) return e.xproperty.time;
    }
  }

  void Send(const char* type, std::vector<long> data) {
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = target_;
    e.xclient.message_type = Intern(type);
    e.xclient.format = 32;
    for (size_t i = 0; i < data.size() && i < 5; ++i) e.xclient.data.l[i] = data[i];
    XSendEvent(d_, target_, False, NoEventMask, &e);
    XFlush(d_);
  }

  // Waits for a client message of `type`, answering requests for the
  // selection meanwhile (Wine asks for the data already at XdndEnter).
  XClientMessageEvent WaitFor(const char* type, const char* what) {
    const Atom wanted = Intern(type);
    const auto deadline = Clock::now() + kStepTimeout;
    for (;;) {
      XEvent e;
      if (!NextEvent(e, deadline)) Fail(std::string("no ") + what + " within " + std::to_string(kStepTimeout.count()) + " s");
      if (e.type == SelectionRequest) Serve(e.xselectionrequest);
      if (e.type == ClientMessage && e.xclient.message_type == wanted) return e.xclient;
    }
  }

  void Serve(const XSelectionRequestEvent& r) {
    XEvent reply{};
    reply.xselection.type = SelectionNotify;
    reply.xselection.requestor = r.requestor;
    reply.xselection.selection = r.selection;
    reply.xselection.target = r.target;
    reply.xselection.time = r.time;
    reply.xselection.property = None;  // refused unless a type we have is asked for
    const Atom property = r.property != None ? r.property : r.target;
    if (r.target == Intern("text/uri-list")) {
      XChangeProperty(d_, r.requestor, property, r.target, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(uris_.data()), static_cast<int>(uris_.size()));
      reply.xselection.property = property;
      ++served_;
    } else if (r.target == Intern("TARGETS")) {
      const Atom targets[] = {Intern("TARGETS"), Intern("text/uri-list")};
      XChangeProperty(d_, r.requestor, property, XA_ATOM, 32, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(targets), 2);
      reply.xselection.property = property;
    }
    XSendEvent(d_, r.requestor, False, NoEventMask, &reply);
    XFlush(d_);
  }

  bool NextEvent(XEvent& e, Clock::time_point deadline) {
    while (!XPending(d_)) {
      const auto left = std::chrono::duration_cast<std::chrono::microseconds>(deadline - Clock::now()).count();
      if (left <= 0) return false;
      fd_set fds;
      FD_ZERO(&fds);
      FD_SET(ConnectionNumber(d_), &fds);
      timeval tv{static_cast<time_t>(left / 1000000), static_cast<suseconds_t>(left % 1000000)};
      select(ConnectionNumber(d_) + 1, &fds, nullptr, nullptr, &tv);
    }
    XNextEvent(d_, &e);
    return true;
  }

  Display* d_;
  Window target_;
  Window source_;
  std::string uris_;
  int served_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const bool close = argc == 3 && std::string(argv[1]) == "--close";
  if (argc < 3 || (std::string(argv[1]).rfind("--", 0) == 0 && !close)) {
    std::fprintf(stderr, "usage: xdnd-drop WINDOW FILE... | xdnd-drop --close WINDOW\n");
    return 2;
  }
  char* end = nullptr;
  const char* id = argv[close ? 2 : 1];
  const Window target = std::strtoul(id, &end, 0);
  if (end == id || *end != '\0' || target == 0) Fail(std::string("not a window id: ") + id);
  const std::unique_ptr<Display, DisplayCloser> display(XOpenDisplay(nullptr));
  if (!display) Fail("cannot open the X display");
  DragSource source(display.get(), target);
  if (close) {
    source.Close();
    return 0;
  }
  for (int i = 2; i < argc; ++i)
    if (!std::filesystem::is_regular_file(argv[i]) && !std::filesystem::is_directory(argv[i]))
      Fail(std::string("no such file: ") + argv[i]);
  source.Drop(std::vector<std::string>(argv + 2, argv + argc));
  return 0;
}
