#include "lobby/frame/LobbyFrame.h"

#include <algorithm>
#include <optional>

#include "lobby/config/ClientConfig.h"
#include "lobby/frame/MoviePlacement.h"
#include "lobby/frame/MovieProblemPage.h"
#include "platform/DebugLog.h"
#include "skin/Font.h"
#include "skin/PngResource.h"
#include "skin/cairo/PngFile.h"

namespace lobby {
namespace {

constexpr unsigned kPngClose = 130, kPngProposal = 131, kPngService = 132, kPngMinimize = 133,
                   kPngSeparator = 134, kPngLogo = 135, kPngTitleFill = 136, kPngNotice = 138,
                   kPngDownload = 139;
constexpr char16_t kNoticeText[] = u"游戏需要 Adobe Flash Player 支持，请下载并安装！";

skin::ImageStrip LoadStrip(unsigned id) { return skin::LoadPngStrip(id); }

int QuarterWidth(unsigned id, int fallback) {
  skin::SurfacePtr image = skin::LoadPngResource(id);
  return image ? skin::ImageWidth(image.get()) / 4 : fallback;
}

ArtworkSizes MeasureArtwork() {
  ArtworkSizes art;
  skin::ImageStrip title = LoadStrip(kPngTitleFill), separator = LoadStrip(kPngSeparator),
                   notice = LoadStrip(kPngNotice);
  if (title.HasImage()) art.titleHeight = title.Height();
  if (separator.HasImage()) art.separatorWidth = separator.Width();
  if (notice.HasImage()) {
    art.noticeWidth = notice.Width();
    art.noticeHeight = notice.Height();
  }
  art.closeWidth = QuarterWidth(kPngClose, art.closeWidth);
  art.minimizeWidth = QuarterWidth(kPngMinimize, art.minimizeWidth);
  art.serviceWidth = QuarterWidth(kPngService, art.serviceWidth);
  art.proposalWidth = QuarterWidth(kPngProposal, art.proposalWidth);
  return art;
}

}  // namespace

CLobbyFrame::CLobbyFrame(ClientConfig& config, std::string moduleDir)
    : config_(config),
      player_(std::move(moduleDir), *this),
      repair_(*this, config),
      games_(*this, player_, config),
      bridge_(*this, player_, config, games_) {
  LayoutFrame();
}

void CLobbyFrame::LayoutFrame() {
  layout_ = ComputeLayout(config_.Width, config_.Height, MeasureArtwork());
  ComposeBackground();
  PlaceButton(close_, kPngClose, layout_.close);
  PlaceButton(minimize_, kPngMinimize, layout_.minimize);
  PlaceButton(service_, kPngService, layout_.service);
  PlaceButton(proposal_, kPngProposal, layout_.proposal);
}

// Drawn at the screen's resolution: the artwork's sharp drawings where there are, the logo file
// scaled up where not.
void CLobbyFrame::ComposeBackground() {
  const skin::Rect& w = layout_.window;
  skin::SurfacePtr bitmap = skin::MakeArgbSurface(w.width, w.height, scale_);
  skin::ContextPtr cr(cairo_create(bitmap.get()));
  cairo_set_source_rgba(cr.get(), 0, 0, 0, 1);
  cairo_paint(cr.get());
  skin::ImageStrip fill = LoadStrip(kPngTitleFill);
  if (fill.HasImage()) skin::DrawFrame(cr.get(), fill, 0, skin::Rect{0, 0, w.width, layout_.movie.y});
  // A configured logo that cannot be loaded draws nothing; only no logo at all means ours.
  std::string logoPath = text::ToUtf8(config_.GetLogoPath());
  skin::ImageStrip logo = logoPath.empty() ? LoadStrip(kPngLogo)
                                           : skin::ImageStrip(skin::LoadPngFile(logoPath.c_str()));
  skin::DrawImageAt(cr.get(), logo, 0, 0);
  skin::DrawImageAt(cr.get(), LoadStrip(kPngSeparator), layout_.separator.x, layout_.separator.y);
  if (noticeShown_) {
    skin::DrawImageAt(cr.get(), LoadStrip(kPngNotice), layout_.notice.x, layout_.notice.y);
  }
  cr.reset();
  // The same strip object: the controls keep pointing at it.
  background_ = skin::ImageStrip(std::move(bitmap));
}

void CLobbyFrame::SetScale(int scale) {
  scale = std::max(scale, 1);
  if (scale == scale_) return;
  scale_ = scale;
  ComposeBackground();
  if (window_) gtk_widget_queue_draw(window_);
}

void CLobbyFrame::PlaceButton(skin::CSkinButton& button, unsigned png, Point at) {
  button.SetImage(LoadStrip(png));
  button.SetBackground(&background_, at.x, at.y);
}

void CLobbyFrame::ComposeNotice() {
  noticeShown_ = true;
  ComposeBackground();
  PlaceButton(download_, kPngDownload, layout_.download);
  skin::FontPtr font = skin::MakeFont("宋体", 16.0);
  notice_.SetText(kNoticeText);
  notice_.SetFont(font.get());
  notice_.SetTextColor(0xFFFFFFFF);
  notice_.SetLayout(kNoticeTextWidth, kNoticeTextHeight, {0, 0, kNoticeTextWidth, kNoticeTextHeight},
                    skin::Align::kNear, skin::Align::kCenter);
  notice_.SetBackground(&background_, layout_.noticeText.x, layout_.noticeText.y);
}

void CLobbyFrame::PaintBackground(cairo_t* cr) const {
  skin::CopyRegion(cr, background_, 0, 0, background_.Width(), background_.Height());
}

void CLobbyFrame::Render(cairo_t* cr) const {
  PaintBackground(cr);
  skin::PaintAt(cr, proposal_, layout_.proposal.x, layout_.proposal.y);
  skin::PaintAt(cr, service_, layout_.service.x, layout_.service.y);
  skin::PaintAt(cr, minimize_, layout_.minimize.x, layout_.minimize.y);
  skin::PaintAt(cr, close_, layout_.close.x, layout_.close.y);
  if (noticeShown_) {
    skin::PaintAt(cr, download_, layout_.download.x, layout_.download.y);
    skin::PaintAt(cr, notice_, layout_.noticeText.x, layout_.noticeText.y);
  }
}

// The player counts as available once its module loads and makes a view; the view is put in
// the movie area, hidden until a movie is loaded into it.
bool CLobbyFrame::IsFlashAvailable() {
  if (!player_.Create()) return false;
  GtkWidget* view = player_.Widget();
  if (fixed_ && view && !gtk_widget_get_parent(view)) {
    gtk_widget_set_size_request(view, layout_.movie.width, layout_.movie.height);
    gtk_fixed_put(fixed_, view, layout_.movie.x, layout_.movie.y);
  }
  return true;
}

void CLobbyFrame::LoadLobbyMovie() {
  const text::WString movie = config_.GetMoviePath();
  const text::WString entry = config_.GetMovieEntry();
  std::optional<MovieProblem> problem;
  if (NamesAnAddress(entry)) {
    problem = MovieProblem::kNotLocal;
  } else if (!MovieFolderIsBelow(config_.GetMainPath(), movie)) {
    platform::DebugLine(u"Quorvane: the movie is not played: its folder must be a folder below "
                        u"the program directory: " + movie);
    problem = MovieProblem::kNotBelowProgram;
  } else if (!player_.LoadMovie(movie)) {
    problem = MovieProblem::kMissing;
  }
  if (problem) {
    const text::WString where = *problem == MovieProblem::kNotLocal ? entry : movie;
    player_.ShowPage(MovieProblemPage(*problem, text::ToUtf8(where),
                                      text::ToUtf8(config_.GetMainPath() + u"/Config.cfg")));
  }
  moviePlaying_ = true;
  reveal_.Start(player_.Widget(), [this] { OnMovieShown(); });
}

// The movie takes the keyboard when it appears, unless the user has already moved it to the
// title strip meanwhile.
void CLobbyFrame::OnMovieShown() {
  GtkWidget* view = player_.Widget();
  if (!view || !window_) return;
  if (!gtk_window_get_focus(GTK_WINDOW(window_))) gtk_widget_grab_focus(view);
}

void CLobbyFrame::OnFlashPoll() {
  if (!IsFlashAvailable()) return;
  StopTimer(kTimerFlashPoll);
  LoadLobbyMovie();
  ShowControl(notice_.Widget(), false);
  ShowControl(download_.Widget(), false);
}

void CLobbyFrame::OnCommand(int id) {
  switch (id) {
    case kMinimize:
      if (window_) gtk_window_iconify(GTK_WINDOW(window_));
      break;
    case kClose:
      bridge_.OnClose();
      break;
    case kProposal:
      bridge_.OpenOperatorLink(config_.GetProposalUrl());
      break;
    case kService:
      bridge_.OpenOperatorLink(config_.GetServiceUrl());
      break;
    case kDownload:
      StartRepair();
      break;
    default:
      break;
  }
}

void CLobbyFrame::OnTimer(int id) {
  if (id == kTimerFlashPoll) {
    OnFlashPoll();
  } else if (id == kTimerRepairWait) {
    OnRepairTick();
  } else {
    games_.OnTimer(id);
  }
}

void CLobbyFrame::OnFSCommand(const text::WString& command, const text::WString& args) {
  bridge_.OnFSCommand(command, args);
}

void CLobbyFrame::OnFlashCall(const text::WString& request) { bridge_.OnFlashCall(request); }

void CLobbyFrame::OnRightClick() { bridge_.OnRightClick(); }

void CLobbyFrame::OnExternalLink(const std::string& uri) { bridge_.OpenWeb(text::FromUtf8(uri)); }

void CLobbyFrame::OnPageUnresponsive() { bridge_.OnPageUnresponsive(); }

}  // namespace lobby
