#include "updater/app/VendrelArtwork.h"

#include "skin/Font.h"
#include "skin/PngResource.h"
#include "updater/app/VendrelLayout.h"

namespace vendrel {
namespace {

skin::ImageStrip LoadStrip(unsigned id) { return skin::LoadPngStrip(id, layout::kImageType); }

}  // namespace

VendrelArtwork::VendrelArtwork()
    : background(LoadStrip(layout::kBackgroundId)),
      leftCap(LoadStrip(layout::kLeftCapId)),
      segment(LoadStrip(layout::kSegmentId)),
      rightCap(LoadStrip(layout::kRightCapId)) {
  skin::FontPtr font = skin::MakeFont(layout::kFontFamily, layout::kFontPixels);
  const struct {
    skin::CSkinStatic& label;
    skin::Rect box;
    skin::Align horizontal;
  } lines[] = {{status, layout::kStatusBox, skin::Align::kNear},
               {bytes, layout::kBytesBox, skin::Align::kCenter}};
  for (const auto& line : lines) {
    line.label.SetFont(font.get());
    line.label.SetTextColor(layout::kTextColour);
    line.label.SetBackground(&background, line.box.x, line.box.y);
    line.label.SetLayout(line.box.width, line.box.height,
                         {0, 0, static_cast<float>(line.box.width), static_cast<float>(line.box.height)},
                         line.horizontal, skin::Align::kCenter);
  }
}

int VendrelArtwork::Width() const { return background.HasImage() ? background.Width() : layout::kDefaultWidth; }

int VendrelArtwork::Height() const {
  return background.HasImage() ? background.Height() : layout::kDefaultHeight;
}

}  // namespace vendrel
