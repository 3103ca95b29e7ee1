// Rectangles and alignments of the skinned controls, the same for every drawing backend.
#pragma once

namespace skin {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// A destination given by its edges rather than its size.
struct Edges {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

enum class Align { kNear, kCenter, kFar };

// Where a label lays out its text, in the label's own coordinates.
struct LayoutRect {
  float x = 0;
  float y = 0;
  float width = 0;
  float height = 0;
};

// A sprite sheet cut into equal frames, numbered from 1 left to right, then top to bottom.
struct FrameGrid {
  Rect bounds;
  unsigned columns = 1;
  unsigned rows = 1;
  unsigned frameCount = 1;

  // Cuts the sheet into a grid; a zero column or row count is taken as 1.
  void Set(unsigned columnCount, unsigned rowCount, unsigned frames);
  // Source rectangle of frame n (1-based); the whole sheet for 0 or beyond the count.
  Rect FrameRect(unsigned n) const;
};

}  // namespace skin
