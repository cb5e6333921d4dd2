/* x11host: a plain top-level X11 window that a test can hand to qs3 as the
 * window to draw into (/p ID, --window-id ID, XSCREENSAVER_WINDOW) and then
 * destroy while qs3 still runs, which xdotool cannot do.
 *
 *     x11host WIDTH HEIGHT [X Y [BACKGROUND]]
 *
 * BACKGROUND is the window's colour as 0xRRGGBB (default black), so that a
 * test can see it on the screen, say over another window. It prints
 * "window=ID" (decimal) once the window is mapped, then reads
 * commands from standard input, one a line:
 *     children   prints "children=N" and "child=ID WxH+X+Y NAME" for each child
 *     destroy    destroys the window and prints "destroyed=1"
 *     quit (or end of input) destroys the window if still there and exits 0.
 *
 *     x11host close ID
 *
 * asks window ID to close the way a window manager's close button does (a
 * WM_DELETE_WINDOW message) and exits 0.
 */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static int ignore_x_error(Display* display, XErrorEvent* event) {
  (void)display;
  (void)event;
  return 0;
}

static void print_children(Display* display, Window window) {
  Window root = 0, parent = 0, *children = NULL;
  unsigned int count = 0;
  if (XQueryTree(display, window, &root, &parent, &children, &count) == 0) count = 0;
  printf("children=%u\n", count);
  for (unsigned int i = 0; i < count; ++i) {
    XWindowAttributes attributes;
    char* name = NULL;
    if (XGetWindowAttributes(display, children[i], &attributes) == 0) continue;
    XFetchName(display, children[i], &name);
    printf("child=%lu %dx%d+%d+%d %s %s\n", (unsigned long)children[i], attributes.width,
           attributes.height, attributes.x, attributes.y,
           attributes.map_state == IsViewable ? "viewable" : "unmapped", name ? name : "");
    if (name) XFree(name);
  }
  if (children) XFree(children);
}

static int close_window(Window window) {
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "x11host: cannot open the display\n");
    return 1;
  }
  XEvent event;
  memset(&event, 0, sizeof event);
  event.xclient.type = ClientMessage;
  event.xclient.window = window;
  event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
  event.xclient.format = 32;
  event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
  event.xclient.data.l[1] = CurrentTime;
  XSendEvent(display, window, False, NoEventMask, &event);
  XSync(display, False);
  XCloseDisplay(display);
  return 0;
}

int main(int argc, char** argv) {
  if (argc == 3 && strcmp(argv[1], "close") == 0) {
    return close_window((Window)strtoul(argv[2], NULL, 0));
  }
  if (argc != 3 && argc != 5 && argc != 6) {
    fprintf(stderr, "usage: x11host WIDTH HEIGHT [X Y [BACKGROUND]]\n");
    return 2;
  }
  const unsigned width = (unsigned)strtoul(argv[1], NULL, 10);
  const unsigned height = (unsigned)strtoul(argv[2], NULL, 10);
  const int x = argc >= 5 ? atoi(argv[3]) : 0;
  const int y = argc >= 5 ? atoi(argv[4]) : 0;
  /* 24-bit true colour, as Xvfb's screens are: the pixel is the colour. */
  const unsigned long background = argc == 6 ? strtoul(argv[5], NULL, 16) : 0;
  Display* display = XOpenDisplay(NULL);
  if (display == NULL) {
    fprintf(stderr, "x11host: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(ignore_x_error);
  const int screen = DefaultScreen(display);
  Window window = XCreateSimpleWindow(display, RootWindow(display, screen), x, y, width, height, 0,
                                      BlackPixel(display, screen),
                                      argc == 6 ? background : BlackPixel(display, screen));
  XStoreName(display, window, "qs3 test host");
  /* Without a window manager the requested place is kept as it is. */
  XSizeHints hints;
  memset(&hints, 0, sizeof hints);
  hints.flags = USPosition | USSize;
  hints.x = x;
  hints.y = y;
  hints.width = (int)width;
  hints.height = (int)height;
  XSetWMNormalHints(display, window, &hints);
  XSelectInput(display, window, StructureNotifyMask);
  XMapWindow(display, window);
  for (XEvent event;;) {
    XNextEvent(display, &event);
    if (event.type == MapNotify) break;
  }
  XSync(display, False);
  printf("window=%lu\n", (unsigned long)window);
  fflush(stdout);

  char line[64];
  while (fgets(line, sizeof line, stdin) != NULL) {
    if (strncmp(line, "children", 8) == 0) {
      print_children(display, window);
    } else if (strncmp(line, "destroy", 7) == 0 && window != 0) {
      XDestroyWindow(display, window);
      XSync(display, False);
      window = 0;
      printf("destroyed=1\n");
    } else if (strncmp(line, "quit", 4) == 0) {
      break;
    }
    fflush(stdout);
  }
  if (window != 0) XDestroyWindow(display, window);
  XCloseDisplay(display);
  return 0;
}
