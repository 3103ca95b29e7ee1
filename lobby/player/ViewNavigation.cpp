// How the view keeps to the movie: which navigations load, which go to the user's browser,
// which are refused.
#include "lobby/player/ViewCore.h"

namespace lobby::player {
namespace {

std::string RequestUri(WebKitNavigationAction* action) {
  const gchar* uri = webkit_uri_request_get_uri(webkit_navigation_action_get_request(action));
  return uri ? uri : "";
}

// Empty frames made by the page itself (about:blank, srcdoc) hold no foreign content.
bool IsEmptyFrameAddress(const std::string& uri) {
  return uri == "about:blank" || uri == "about:srcdoc";
}

bool IsUserNavigation(WebKitNavigationAction* action) {
  switch (webkit_navigation_action_get_navigation_type(action)) {
    case WEBKIT_NAVIGATION_TYPE_LINK_CLICKED:
    case WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED:
    case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ViewCore::OnDecidePolicy(WebKitPolicyDecision* decision, WebKitPolicyDecisionType type) {
  switch (type) {
    case WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION:
      return DecideNavigation(decision);
    case WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION:
      OnCreateRequest(webkit_navigation_policy_decision_get_navigation_action(
          WEBKIT_NAVIGATION_POLICY_DECISION(decision)));
      webkit_policy_decision_ignore(decision);
      return TRUE;
    case WEBKIT_POLICY_DECISION_TYPE_RESPONSE: {
      // The main frame never shows a document from outside the movie's folder. A web page the
      // movie sent the main frame to is opened outside instead.
      auto* response = WEBKIT_RESPONSE_POLICY_DECISION(decision);
      if (!webkit_response_policy_decision_is_main_frame_main_resource(response)) return FALSE;
      const gchar* address =
          webkit_uri_request_get_uri(webkit_response_policy_decision_get_request(response));
      const std::string uri = address ? address : "";
      // A movie address that names no file of the folder leaves the movie where it is.
      if (IsMoviePage(uri)) {
        const guint status =
            webkit_uri_response_get_status_code(webkit_response_policy_decision_get_response(response));
        if (status == 200) return FALSE;
        webkit_policy_decision_ignore(decision);
        return TRUE;
      }
      webkit_policy_decision_ignore(decision);
      if (IsWebAddress(uri)) OpenOutside(uri);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// The engine does not say here which frame navigates. Pages of the movie's address load in any
// frame; a web address the user followed opens outside; other web loads go on, since a frame
// of the movie may show web content, and a main-frame one is stopped at its response (above);
// anything else is refused.
bool ViewCore::DecideNavigation(WebKitPolicyDecision* decision) {
  WebKitNavigationAction* action = webkit_navigation_policy_decision_get_navigation_action(
      WEBKIT_NAVIGATION_POLICY_DECISION(decision));
  const std::string uri = RequestUri(action);
  const NavigationVerdict verdict = movie_ ? JudgeNavigation(uri) : NavigationVerdict::kRefuse;
  bool use = verdict == NavigationVerdict::kLoad || IsEmptyFrameAddress(uri);
  if (verdict == NavigationVerdict::kOpenOutside) {
    use = !IsUserNavigation(action);
    if (!use) OpenOutside(uri);
  }
  if (use) webkit_policy_decision_use(decision); else webkit_policy_decision_ignore(decision);
  return TRUE;
}

// A main-frame load away from the movie that fails before any response (an unreachable web
// address) must not replace the movie with an error page: the movie stays, and the address
// still goes to the user's browser. Loads stopped by the rules above were handled there.
bool ViewCore::OnLoadFailed(const std::string& uri, const GError* error) {
  if (IsMoviePage(uri)) return false;
  const bool stoppedHere = error && (error->domain == WEBKIT_POLICY_ERROR ||
                                     g_error_matches(error, WEBKIT_NETWORK_ERROR,
                                                     WEBKIT_NETWORK_ERROR_CANCELLED));
  if (!stoppedHere && IsWebAddress(uri)) OpenOutside(uri);
  return true;
}

void ViewCore::OnCreateRequest(WebKitNavigationAction* action) {
  const std::string uri = RequestUri(action);
  if (IsWebAddress(uri)) OpenOutside(uri);
}

void ViewCore::OpenOutside(const std::string& uri) { events_->OnExternalLink(uri); }

}  // namespace lobby::player
