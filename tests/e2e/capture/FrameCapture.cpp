// Starts a program and captures the screen as fast as the X server allows (shared-memory
// images, about every 10 ms) for a while, sorting every frame by what a window's two areas
// show: the title strip painted or not, the movie area black, a movie, or white. Prints the
// rate it reached, how many frames had a white movie area, when the title strip and the movie
// first showed, and the frames as a timeline.
// Usage: frame_capture --seconds S --movie X,Y,W,H --title X,Y,W,H [--save DIR] -- program args...
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <spawn.h>
#include <sys/ipc.h>
#include <sys/shm.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

struct Area {
  int x = 0, y = 0, w = 0, h = 0;
};

struct Options {
  double seconds = 3;
  Area movie, title;
  std::string saveDir;
  char** command = nullptr;
};

using Clock = std::chrono::steady_clock;

bool ParseArea(const char* text, Area& a) {
  return std::sscanf(text, "%d,%d,%d,%d", &a.x, &a.y, &a.w, &a.h) == 4 && a.w > 0 && a.h > 0;
}

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      o.command = argv + i + 1;
      return i + 1 < argc;
    }
    if (i + 1 >= argc) return false;
    const char* value = argv[++i];
    if (arg == "--seconds") {
      o.seconds = std::atof(value);
    } else if (arg == "--movie") {
      if (!ParseArea(value, o.movie)) return false;
    } else if (arg == "--title") {
      if (!ParseArea(value, o.title)) return false;
    } else if (arg == "--save") {
      o.saveDir = value;
    } else {
      return false;
    }
  }
  return false;
}

struct Rgb {
  int r, g, b;
};

// One shared-memory image of the whole root window, captured again on each Grab.
class Grabber {
 public:
  bool Open() {
    display_ = XOpenDisplay(nullptr);
    if (!display_ || !XShmQueryExtension(display_)) return false;
    const int screen = DefaultScreen(display_);
    width_ = DisplayWidth(display_, screen);
    height_ = DisplayHeight(display_, screen);
    image_ = XShmCreateImage(display_, DefaultVisual(display_, screen),
                             DefaultDepth(display_, screen), ZPixmap, nullptr, &shm_, width_,
                             height_);
    if (!image_) return false;
    shm_.shmid = shmget(IPC_PRIVATE, image_->bytes_per_line * image_->height, IPC_CREAT | 0600);
    if (shm_.shmid < 0) return false;
    shm_.shmaddr = image_->data = static_cast<char*>(shmat(shm_.shmid, nullptr, 0));
    shm_.readOnly = False;
    const bool attached = XShmAttach(display_, &shm_);
    XSync(display_, False);
    shmctl(shm_.shmid, IPC_RMID, nullptr);  // gone once both sides detach
    return attached && image_->bits_per_pixel == 32;
  }
  ~Grabber() {
    if (image_) {
      XShmDetach(display_, &shm_);
      XDestroyImage(image_);
      shmdt(shm_.shmaddr);
    }
    if (display_) XCloseDisplay(display_);
  }
  bool Grab() { return XShmGetImage(display_, DefaultRootWindow(display_), image_, 0, 0, AllPlanes); }
  Rgb At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return {0, 0, 0};
    uint32_t p;
    std::memcpy(&p, image_->data + y * image_->bytes_per_line + x * 4, 4);
    return {static_cast<int>((p & image_->red_mask) >> 16),
            static_cast<int>((p & image_->green_mask) >> 8), static_cast<int>(p & image_->blue_mask)};
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  Display* display_ = nullptr;
  XImage* image_ = nullptr;
  XShmSegmentInfo shm_{};
  int width_ = 0, height_ = 0;
};

// Share of the area's pixels (every 4th in both directions) for which `test` holds.
template <typename Test>
double Share(const Grabber& g, const Area& a, Test test) {
  int hits = 0, all = 0;
  for (int y = a.y; y < a.y + a.h; y += 4) {
    for (int x = a.x; x < a.x + a.w; x += 4) {
      hits += test(g.At(x, y)) ? 1 : 0;
      ++all;
    }
  }
  return all ? static_cast<double>(hits) / all : 0;
}

bool NearWhite(Rgb p) { return std::min({p.r, p.g, p.b}) >= 200; }
bool NotBlack(Rgb p) { return std::max({p.r, p.g, p.b}) > 24; }

// W: a white movie area (a tenth of it or more); M: a movie; T: the title strip over a black
// movie area; B: neither.
char Classify(const Grabber& g, const Options& o) {
  if (Share(g, o.movie, NearWhite) >= 0.10) return 'W';
  if (Share(g, o.movie, NotBlack) >= 0.5) return 'M';
  return Share(g, o.title, NotBlack) >= 0.5 ? 'T' : 'B';
}

void SavePpm(const Grabber& g, const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fprintf(f, "P6\n%d %d\n255\n", g.Width(), g.Height());
  for (int y = 0; y < g.Height(); ++y) {
    for (int x = 0; x < g.Width(); ++x) {
      const Rgb p = g.At(x, y);
      const unsigned char px[3] = {static_cast<unsigned char>(p.r), static_cast<unsigned char>(p.g),
                                   static_cast<unsigned char>(p.b)};
      std::fwrite(px, 1, 3, f);
    }
  }
  std::fclose(f);
}

struct Run {
  char state;
  long startMs;
  int frames;
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(stderr, "usage: frame_capture --seconds S --movie X,Y,W,H --title X,Y,W,H "
                         "[--save DIR] -- program args...\n");
    return 2;
  }
  Grabber grabber;
  if (!grabber.Open()) {
    std::fprintf(stderr, "frame_capture: no shared-memory capture on this display\n");
    return 2;
  }
  pid_t child;
  const Clock::time_point start = Clock::now();
  if (posix_spawnp(&child, o.command[0], nullptr, nullptr, o.command, environ) != 0) {
    std::fprintf(stderr, "frame_capture: cannot start %s\n", o.command[0]);
    return 2;
  }
  auto sinceStart = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
  };
  std::vector<Run> runs;
  int frames = 0, white = 0, saved = 0;
  long titleMs = -1, movieMs = -1, lastMs = 0, longestGapMs = 0;
  const auto period = std::chrono::milliseconds(10);
  Clock::time_point next = start;
  while (sinceStart() < static_cast<long>(o.seconds * 1000)) {
    if (!grabber.Grab()) break;
    const long now = sinceStart();
    const char state = Classify(grabber, o);
    if (frames > 0) longestGapMs = std::max(longestGapMs, now - lastMs);
    lastMs = now;
    ++frames;
    if (state == 'W') {
      ++white;
      if (!o.saveDir.empty() && saved < 3) {
        SavePpm(grabber, o.saveDir + "/white-" + std::to_string(++saved) + ".ppm");
      }
    }
    if (state != 'B' && titleMs < 0 && Share(grabber, o.title, NotBlack) >= 0.5) titleMs = now;
    if (state == 'M' && movieMs < 0) movieMs = now;
    if (runs.empty() || runs.back().state != state) runs.push_back({state, now, 0});
    ++runs.back().frames;
    next += period;
    std::this_thread::sleep_until(next);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("frames %d in %.2f s: %.1f a second, longest gap %ld ms\n", frames, seconds,
              frames / seconds, longestGapMs);
  std::printf("pid %d\n", static_cast<int>(child));
  std::printf("white %d\n", white);
  std::printf("title_ms %ld\n", titleMs);
  std::printf("movie_ms %ld\n", movieMs);
  std::printf("timeline");
  for (const Run& r : runs) std::printf(" %c@%ld(%d)", r.state, r.startMs, r.frames);
  std::printf("\n");
  return 0;
}
