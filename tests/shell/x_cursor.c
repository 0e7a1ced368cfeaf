/* Prints whether the X server's current cursor image has any visible pixel:
   "cursor visible=N width=W height=H". */
#include <stdio.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

int main(void) {
  Display* d = XOpenDisplay(NULL);
  if (!d) return 2;
  XFixesCursorImage* img = XFixesGetCursorImage(d);
  if (!img) return 3;
  int visible = 0;
  for (int i = 0; i < img->width * img->height; ++i)
    if ((img->pixels[i] >> 24) & 0xff) visible = 1;
  printf("cursor visible=%d width=%d height=%d\n", visible, img->width, img->height);
  XFree(img);
  XCloseDisplay(d);
  return 0;
}
