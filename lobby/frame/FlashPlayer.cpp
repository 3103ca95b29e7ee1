#include "lobby/frame/FlashPlayer.h"

#include <gmodule.h>

namespace lobby {
namespace {

// Loads the module once and keeps it for the life of the process: a web engine is never
// unloaded. Null while the file is missing or unusable; a later call tries again.
CreatePlayerFunction LoadEntryPoint(const std::string& path) {
  GModule* module = g_module_open(path.c_str(), static_cast<GModuleFlags>(G_MODULE_BIND_LOCAL));
  if (!module) return nullptr;
  gpointer symbol = nullptr;
  if (!g_module_symbol(module, kPlayerCreateSymbol, &symbol) || !symbol) {
    g_module_close(module);
    return nullptr;
  }
  g_module_make_resident(module);
  return reinterpret_cast<CreatePlayerFunction>(symbol);
}

}  // namespace

CFlashPlayer::CFlashPlayer(std::string moduleDir, IPlayerEvents& events)
    : modulePath_(std::move(moduleDir) + "/" + kPlayerModuleFile), events_(events) {}

CFlashPlayer::~CFlashPlayer() { delete view_; }

bool CFlashPlayer::Create() {
  if (view_) return true;
  CreatePlayerFunction create = LoadEntryPoint(modulePath_);
  if (!create) return false;
  view_ = create(&events_, kPlayerAbiVersion);
  return view_ != nullptr;
}

GtkWidget* CFlashPlayer::Widget() const { return view_ ? view_->Widget() : nullptr; }

bool CFlashPlayer::LoadMovie(const text::WString& path) {
  return view_ && view_->LoadMovie(0, text::ToUtf8(path));
}

void CFlashPlayer::ShowPage(const std::string& html) {
  if (view_) view_->ShowPage(html);
}

void CFlashPlayer::CallFunction(const text::WString& request) {
  if (view_) view_->CallFunction(request);
}

void CFlashPlayer::ForwardKey(const GdkEventKey* event) {
  if (view_) view_->ForwardKey(event);
}

}  // namespace lobby
