// Internal to the platform library: the one rule for the temporary name a replacement is
// staged under, shared by both backends, which differ only in what separates folders and in
// how long a name may be.
#pragma once

#include <functional>
#include <string>

namespace platform::detail {

// ".<name>.vendrel-part" beside `target`, or a short hashed name when that does not `fit`:
// fixed per target, so an interrupted run's temporary is found and replaced the next time.
std::string TemporaryNameBeside(const std::string& target, const char* separators,
                                const std::function<bool(const std::string& name)>& fits);

}  // namespace platform::detail
