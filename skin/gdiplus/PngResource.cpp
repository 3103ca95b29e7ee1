#include "skin/PngResource.h"

#include <objidl.h>

#include <cstring>
#include <string>

namespace skin {
namespace {

struct StreamReleaser {
  void operator()(IStream* stream) const { stream->Release(); }
};
using StreamPtr = std::unique_ptr<IStream, StreamReleaser>;

// A stream over a movable copy of the bytes. The stream frees the copy when its last
// reference goes: GDI+ keeps one for as long as the bitmap may read from it.
StreamPtr StreamOver(const void* data, DWORD size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!block) return nullptr;
  void* target = GlobalLock(block);
  if (!target) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, data, size);
  GlobalUnlock(block);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(block, TRUE, &stream) != S_OK) {
    GlobalFree(block);
    return nullptr;
  }
  return StreamPtr(stream);
}

}  // namespace

ImagePtr LoadPngResource(unsigned id, std::string_view type) {
  const std::wstring typeName(type.begin(), type.end());  // resource type names are ASCII
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), typeName.c_str());
  if (!found) return nullptr;
  const DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return nullptr;
  StreamPtr stream = StreamOver(bytes, size);
  if (!stream) return nullptr;
  ImagePtr image(Gdiplus::Bitmap::FromStream(stream.get()));
  if (!image || image->GetLastStatus() != Gdiplus::Ok) return nullptr;
  return image;
}

// The window on Windows is drawn at one device pixel per pixel, so its resources carry each
// image once.
ImageStrip LoadPngStrip(unsigned id, std::string_view type) {
  return ImageStrip(LoadPngResource(id, type));
}

}  // namespace skin
