// The lobby's own scheme in the web engine: every request below kMovieRoot is answered by the
// view that made it, from its movie's folder (MovieFile.h). Pages get no file access at all.
#pragma once

#include <webkit2/webkit2.h>

#include <memory>

namespace lobby::player {

class ViewCore;

// Registers the scheme with the engine's default context, once per process.
void RegisterMovieScheme();

// Makes `core` the one that answers the scheme's requests of `view` (a weak reference that
// the view owns: once the core is gone, requests are refused).
void AttachMovieScheme(WebKitWebView* view, const std::shared_ptr<ViewCore>& core);

// Answers `request` with the file, or with the status that says why not.
void AnswerMovieRequest(WebKitURISchemeRequest* request, const std::string& folder);

}  // namespace lobby::player
