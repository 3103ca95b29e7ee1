// Reading a small file whole on a thread that must not stall (a window's main loop): the file
// is opened without blocking and checked to be a regular file on the open handle, not before,
// so a pipe, a device or a name swapped meanwhile never blocks the reader, and it is read only
// up to a cap.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace platform {

// The file's bytes (path in UTF-8). Nothing when it cannot be opened, is not a regular file, or
// holds more than `maxBytes`; then `error`, when given, says why as an errno value on every
// platform: ENOENT, EACCES, EISDIR, EINVAL for a pipe or a device, EFBIG past the cap, ...
std::optional<std::string> ReadRegularFile(const std::string& path, size_t maxBytes,
                                           int* error = nullptr);

// The C library's text for an errno value, as UTF-8.
std::string ErrorText(int error);

}  // namespace platform
