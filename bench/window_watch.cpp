// What a person sees of a window, read off the X server's screen:
//   geodata_window_watch watch WINDOW  prints the monotonic time of each change
//                                      of the window's pixels on screen, until
//                                      killed or the window goes
//   geodata_window_watch close WINDOW  asks the window to close, as its title
//                                      bar's close button does
// WINDOW is an X window id, as xdotool prints it.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>

namespace {

// The screen is read this often: faster than a 60 Hz screen shows changes.
constexpr auto kPoll = std::chrono::milliseconds(4);

bool window_gone = false;

int OnError(Display*, XErrorEvent* error) {
  if (error->error_code == BadWindow || error->error_code == BadDrawable || error->error_code == BadMatch) {
    window_gone = true;
  }
  return 0;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::uint64_t Hash(const XImage& image) {
  std::uint64_t hash = 1469598103934665603ULL;
  const auto* bytes = reinterpret_cast<const unsigned char*>(image.data);
  const std::size_t size = static_cast<std::size_t>(image.bytes_per_line) * static_cast<std::size_t>(image.height);
  for (std::size_t n = 0; n < size; n += 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, bytes + n, std::min<std::size_t>(8, size - n));
    hash = (hash ^ word) * 1099511628211ULL;
  }
  return hash;
}

int Watch(Display* display, Window window) {
  XWindowAttributes attributes{};
  if (!XGetWindowAttributes(display, window, &attributes)) return 1;
  const Window root = DefaultRootWindow(display);
  const int width = attributes.width;
  const int height = attributes.height;
  XShmSegmentInfo segment{};
  XImage* image = XShmCreateImage(display, attributes.visual, static_cast<unsigned>(attributes.depth), ZPixmap,
                                  nullptr, &segment, static_cast<unsigned>(width), static_cast<unsigned>(height));
  if (image == nullptr) return 1;
  segment.shmid = shmget(IPC_PRIVATE, static_cast<std::size_t>(image->bytes_per_line) * height, IPC_CREAT | 0600);
  segment.shmaddr = image->data = static_cast<char*>(shmat(segment.shmid, nullptr, 0));
  segment.readOnly = False;
  XShmAttach(display, &segment);
  shmctl(segment.shmid, IPC_RMID, nullptr);
  std::uint64_t last = 0;
  for (bool first = true;; first = false) {
    // Where the window is now, in the root's pixels: what covers it is seen too.
    int x = 0, y = 0;
    Window child = 0;
    XTranslateCoordinates(display, window, root, 0, 0, &x, &y, &child);
    XShmGetImage(display, root, image, x, y, AllPlanes);
    XSync(display, False);
    if (window_gone) break;
    const std::uint64_t hash = Hash(*image);
    if (first || hash != last) {
      std::printf("%.6f\n", Now());
      std::fflush(stdout);
      last = hash;
    }
    std::this_thread::sleep_for(kPoll);
  }
  XShmDetach(display, &segment);
  shmdt(segment.shmaddr);
  return 0;
}

int Close(Display* display, Window window) {
  XEvent event{};
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  return window_gone ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s watch|close WINDOW\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  XSetErrorHandler(OnError);
  const auto window = static_cast<Window>(std::strtoul(argv[2], nullptr, 0));
  const std::string_view command = argv[1];
  const int status = command == "watch" ? Watch(display, window) : command == "close" ? Close(display, window) : 2;
  XCloseDisplay(display);
  return status;
}
