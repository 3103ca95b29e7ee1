// The drawing library of this platform under the names the skin's shared headers use: Canvas
// (where a control paints), Bitmap (an image in memory), ImagePtr, FontFace and FontPtr. Each
// backend folder defines them; the shared headers declare one interface over both.
#pragma once

#if defined(_WIN32)
#include "skin/gdiplus/Gdiplus.h"
#elif defined(__unix__)
#include "skin/cairo/Cairo.h"
#else
#error "skin/: no drawing backend for this platform; add one beside cairo/ and gdiplus/"
#endif
