#include "lobby/flash/RateLimit.h"

namespace lobby {

bool RateLimit::Allow(TimePoint now) {
  while (!allowed_.empty() && now - allowed_.front() >= window_) allowed_.pop_front();
  if (allowed_.size() >= count_) return false;
  allowed_.push_back(now);
  return true;
}

}  // namespace lobby
