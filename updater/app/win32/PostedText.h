// Status texts on their way through the window's message queue. A posted WM_UPDATE_STEP
// carries a text in its lParam; whoever takes the message off the queue (the handler, or the
// window's clean-up when it goes) takes the text back and frees it.
#pragma once

#include "updater/app/win32/Windows.h"

#include <memory>

#include "text/Text.h"

namespace vendrel::posted {

// Gives up ownership for the queue: the lParam of the message (0 for no text).
LPARAM Release(std::unique_ptr<text::WString> text);

// Takes ownership back from a message's lParam (null for 0).
std::unique_ptr<text::WString> TakeBack(LPARAM lParam);

// Texts released and not yet taken back: what is still in a queue (or lost in one).
int InFlight();

}  // namespace vendrel::posted
