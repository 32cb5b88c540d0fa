/* Polls the brightness of the middle of the show's 400x300 window on an X
 * display, with the monotonic clock: one line "nanoseconds brightness" per
 * look (every quarter of a millisecond or so), for the given number of
 * seconds. The brightness is the mean green level of x 180..219, y 200..239,
 * rounded down, as scripts/sync/analyze.py computes it from a render. */
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "arguments.h"

static long long now_ns(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return (long long)t.tv_sec * 1000000000LL + t.tv_nsec;
}

static Window find_window(Display* d, Window w) {
  XWindowAttributes a;
  if (XGetWindowAttributes(d, w, &a) && a.width == 400 && a.height == 300 && a.map_state == IsViewable) return w;
  Window root, parent, *children = NULL;
  unsigned int n = 0;
  Window found = 0;
  if (XQueryTree(d, w, &root, &parent, &children, &n)) {
    for (unsigned int i = 0; i < n && !found; ++i) found = find_window(d, children[i]);
    if (children) XFree(children);
  }
  return found;
}

/* Windows come and go while the tree is searched: an error about one that
 * went is no reason to stop. */
static int ignore_error(Display* d, XErrorEvent* e) {
  (void)d;
  (void)e;
  return 0;
}

int main(int argc, char** argv) {
  if (argc != 2 || !all_positional(argc, argv) || seconds_argument(argv[1]) < 0) {
    fprintf(stderr, "usage: pixel_poll SECONDS\n");
    return 2;
  }
  const long long end = now_ns() + (long long)(seconds_argument(argv[1]) * 1e9);
  Display* d = XOpenDisplay(NULL);
  if (!d) {
    fprintf(stderr, "pixel_poll: cannot open the display\n");
    return 1;
  }
  XSetErrorHandler(ignore_error);
  Window w = 0;
  while (now_ns() < end) {
    XImage* image = w ? XGetImage(d, w, 180, 200, 40, 40, AllPlanes, ZPixmap) : NULL;
    const long long t = now_ns();
    if (!image) {
      /* Not there yet, or gone (the player may open its window anew). */
      w = find_window(d, DefaultRootWindow(d));
      if (!w) {
        struct timespec pause = {0, 20000000};
        nanosleep(&pause, NULL);
      }
      continue;
    }
    long sum = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x) sum += (XGetPixel(image, x, y) >> 8) & 0xFF;
    XDestroyImage(image);
    printf("%lld %ld\n", t, sum / 1600);
    struct timespec pause = {0, 250000};
    nanosleep(&pause, NULL);
  }
  XCloseDisplay(d);
  return 0;
}
