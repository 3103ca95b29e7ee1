// The file-system services of the updater and the publisher, for places where a planted link
// must never redirect a write or a removal: what stands at a name, removing and renaming
// names, real directories, new files, read-only mappings and directories held while names in
// them are removed. Paths are UTF-8 text; on Windows they reach the wide system calls, so any
// character works, and a reparse point (symbolic link, junction) is what a link is on Linux.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace platform {

// The characters that separate path levels here ("/" and "\" on Windows).
#if defined(_WIN32)
inline constexpr const char* kPathSeparators = "/\\";
#else
inline constexpr const char* kPathSeparators = "/";
#endif

// std::filesystem paths from and to UTF-8 text (their narrow form is not UTF-8 on Windows).
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);
// The working directory as UTF-8 text; empty when unknown.
std::string CurrentDirectoryPath();

enum class PathKind { kMissing, kFile, kDirectory, kLink, kOther };

// What stands at the path itself: a link at the last level is reported, not followed.
PathKind KindOf(const std::string& path);

// Removes a file, or a link as a name (never what it leads to); a read-only file goes too.
// A directory is left alone. False when nothing was removed.
bool RemoveFile(const std::string& path);

// Removes an empty directory. A link is neither removed nor entered.
bool RemoveEmptyDirectory(const std::string& path);

// Renames `from` to `to`, replacing a file standing at `to` in one step.
bool RenameReplacing(const std::string& from, const std::string& to);

// Makes `path` one real directory level: a link standing there is removed first (the link,
// never what it leads to). True when a real directory stands there afterwards.
bool MakeRealDirectory(const std::string& path);

// The longest name of one level the programs make: 255 bytes of UTF-8, the Linux limit, which
// also keeps every name within the 255 UTF-16 units of Windows.
inline constexpr size_t kNameBytesMax = 255;

// Sets both times of a file, in seconds since 1970 UTC.
bool SetFileTimes(const std::string& path, int64_t accessed, int64_t modified);

struct FileFacts {
  uint64_t device = 0;  // the device and index together name the file, whatever its names
  uint64_t index = 0;
  uint64_t size = 0;
  int64_t modifiedNs = 0;  // since 1970 UTC
  unsigned mode = 0;       // permission bits; Windows knows only read-only (0444) or not (0644)
};
enum class Links { kFollow, kNoFollow };
// Facts about a regular file; false for anything else (with kNoFollow, a link too).
bool RegularFileFacts(const std::string& path, Links links, FileFacts& out);

// A file created new for writing: whatever stood at its name (a file or a link) is removed
// first, and the creation fails rather than write through a link that appears there.
class NewFile {
 public:
  NewFile();
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  // `mode` is the permission bits on Linux; Windows keeps read-only only, set by Finish.
  bool Create(const std::string& path, unsigned mode);
  // The same, but fails when anything stands at the name (nothing is removed).
  bool CreateOnly(const std::string& path, unsigned mode);
  // Continues the regular file at `path` (never through a link) after its first `keep` bytes:
  // what follows them is cut off and writes go on from there. False when there is no such file
  // or it holds fewer bytes.
  bool ContinueAfter(const std::string& path, uint64_t keep);
  bool IsOpen() const;
  // Every byte or false.
  bool Write(const char* data, size_t size);
  // Gives the file its permission bits and times (seconds since 1970 UTC), as far as the
  // system allows; the content stays as written.
  void Finish(unsigned mode, int64_t accessed, int64_t modified);
  // False when the file cannot be closed cleanly (its last bytes may be lost).
  bool Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

struct StreamCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using StreamPtr = std::unique_ptr<std::FILE, StreamCloser>;
// The file as a C stream for binary reading from start to end, never inherited by a child
// (libraries that open a narrow name themselves would read it in the ANSI code page on
// Windows); null when it cannot be opened.
StreamPtr OpenForReading(const std::string& path);

// A whole regular file mapped for reading; the link at the name is followed, as any reader
// does.
class FileMapping {
 public:
  FileMapping();
  ~FileMapping();
  FileMapping(const FileMapping&) = delete;
  FileMapping& operator=(const FileMapping&) = delete;

  // False when the file cannot be opened, is not a regular file, or cannot be mapped. An empty
  // file maps as no bytes (Data() is null).
  bool Map(const std::string& path);
  const void* Data() const;
  uint64_t Size() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A directory held open while names in it are removed: it is reached without following a
// link, and held so that no link can take its place meanwhile.
class HeldDirectory {
 public:
  HeldDirectory();
  ~HeldDirectory();
  HeldDirectory(HeldDirectory&&) noexcept;
  HeldDirectory& operator=(HeldDirectory&&) noexcept;

  // The directory at `path`; a link at its last level is not followed (not held).
  static HeldDirectory Open(const std::string& path);
  // The directory `name` in this one, never through a link.
  HeldDirectory Child(const std::string& name) const;
  // This directory once more, held on its own.
  HeldDirectory Copy() const;
  bool IsOpen() const;
  // Removes the file or link `name` in this directory (a link as a name); never a directory.
  bool RemoveName(const std::string& name) const;
  // Removes the empty directory `name` in this directory; never a link.
  bool RemoveEmptyChild(const std::string& name) const;

  struct Impl;  // the backend's hold on the directory

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
