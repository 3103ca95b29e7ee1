// Helpers for tests of the update procedure: a published version held in memory (archives and
// the zipped list, as the server would hold them), a window that records what the worker posts,
// and a program/download directory pair.
#pragma once

#include <gtest/gtest.h>

#include <condition_variable>
#include <chrono>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "contract/Contract.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestHttpServer.h"
#include "tests/updater/ZipTestFiles.h"
#include "text/CodePage.h"
#include "updater/Crc32.h"
#include "updater/LiveThread.h"
#include "updater/Messages.h"
#include "updater/UpdateList.h"

namespace testsupport {

// A message as the window saw it, text copied out.
struct Seen {
  uint32_t id;
  uint32_t wParam;
  uint32_t lParam;
  bool hasText;
  text::WString text;

  bool operator==(const Seen&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Seen& s) {
  return os << "{0x" << std::hex << s.id << std::dec << ", " << s.wParam << ", " << s.lParam << ", "
            << (s.hasText ? "\"" + text::ToUtf8(s.text) + "\"" : "null") << "}";
}

inline Seen Step(uint32_t step, const char16_t* status) { return {updater::WM_UPDATE_STEP, step, 0, true, status}; }
inline Seen Bytes(uint32_t received, uint32_t expected) { return {updater::WM_UPDATE_BYTES, received, expected, false, {}}; }
inline Seen Failed() { return {updater::WM_UPDATE_FAILED, 0, 0, false, {}}; }
inline Seen Done() { return {updater::WM_UPDATE_DONE, 0, 0, false, {}}; }

class RecordingWindow : public updater::IProgressWindow {
 public:
  void Post(updater::ProgressMessage m) override {
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.push_back({m.id, m.wParam, m.lParam, m.text != nullptr, m.text ? *m.text : text::WString()});
    changed_.notify_all();
  }
  std::vector<Seen> Messages() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return seen_;
  }
  void Clear() {
    std::lock_guard<std::mutex> lock(mutex_);
    seen_.clear();
  }
  std::vector<Seen> Only(uint32_t id) const {
    std::vector<Seen> out;
    for (const Seen& s : Messages()) if (s.id == id) out.push_back(s);
    return out;
  }
  // The last message, once it is one of the two that end a run (bounded wait).
  Seen WaitForEnd(std::chrono::milliseconds limit = std::chrono::seconds(20)) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, limit, [&] { return !seen_.empty() && IsEnd(seen_.back()); });
    return seen_.empty() ? Seen{} : seen_.back();
  }

 private:
  static bool IsEnd(const Seen& s) { return s.id == updater::WM_UPDATE_FAILED || s.id == updater::WM_UPDATE_DONE; }
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Seen> seen_;
};

// One file of a published version. filePath uses "\" between levels, as the list does.
struct SourceFile {
  std::string filePath;
  std::string name;
  std::string data;
  uint32_t mode = 0644;
};

inline std::string CrcOf(const std::string& bytes) {
  return text::ToUtf8(updater::CrcText(updater::Crc32(bytes.data(), bytes.size())));
}

inline std::string ZipBytes(const TempDir& scratch, const std::string& itemName, const std::string& data,
                            uint32_t mode = 0644) {
  const std::string path = scratch.Join("scratch.zip");
  if (!WriteZip(path, {UnixFile(itemName, data, mode)})) return {};
  return ReadFileBytes(path);
}

// The server side of one version: URL path -> body.
struct Published {
  std::map<std::string, std::string> bodies;
  std::vector<updater::FileRecord> records;

  void ServeOn(TestHttpServer& server) const {
    for (const auto& [path, body] : bodies) server.Set(path, HttpResponse::Ok(body));
  }
  bool WriteTo(const std::string& root) const {
    for (const auto& [path, body] : bodies) {
      if (!WriteFileBytes(root + path, body)) return false;
    }
    return true;
  }
};

// Publishes files under "<prefix>/<key>/": one archive per file named "<name>.<key>" and the
// zipped list "UpdateList.xml.<key>".
inline Published Publish(const std::string& prefix, const std::string& key, const std::vector<SourceFile>& files) {
  TempDir scratch;
  Published out;
  updater::UpdateList list;
  for (const SourceFile& f : files) {
    const std::string archive = ZipBytes(scratch, f.name, f.data, f.mode);
    updater::FileRecord r;
    r.fileName = text::EncodeAnsi(text::FromUtf8(f.name)).value_or("");
    r.filePath = text::EncodeAnsi(text::FromUtf8(f.filePath)).value_or("");
    r.fileCrc = CrcOf(f.data);
    r.fileLen = static_cast<int32_t>(f.data.size());
    r.compressName = r.fileName + ".zip";
    r.compressCrc = CrcOf(archive);
    r.compressLen = static_cast<int32_t>(archive.size());
    list.Add(r);
    out.records.push_back(r);
    std::string dir = f.filePath;
    for (char& c : dir) if (c == '\\') c = '/';
    out.bodies[prefix + "/" + key + "/" + (dir.empty() ? "" : dir + "/") + f.name + "." + key] = archive;
  }
  list.SetVersion(text::FromUtf8(key));
  list.Save(scratch.WPath() + u"/UpdateList.xml");
  out.bodies[prefix + "/" + key + "/UpdateList.xml." + key] =
      ZipBytes(scratch, "UpdateList.xml", ReadFileBytes(scratch.Join("UpdateList.xml")));
  return out;
}

// Program and download directories in a temporary directory, and a worker for them.
struct Install {
  TempDir dir;
  std::string prog = dir.Join("prog");
  std::string down = dir.Join("down");
  // The updater's state folder of this install, instead of the user's.
  std::string state = dir.Join("state");
  RecordingWindow window;
  std::vector<text::WString> debugLines;

  std::unique_ptr<updater::CLiveThread> Worker(const std::string& serverUrl, const char16_t* version,
                                               const char16_t* name = u"Game") {
    updater::UpdaterOptions o;
    o.programName = name;
    o.version = version;
    o.versionKey = contract::VersionKey(version);
    o.programDir = text::FromUtf8(prog);
    o.downloadDir = text::FromUtf8(down);
    o.serverUrl = text::FromUtf8(serverUrl);
    auto worker = updater::CreateWorker(o);
    std::filesystem::create_directories(state);
    worker->SetTrust(updater::UpdateTrust{}, text::FromUtf8(state));
    worker->SetOwner(&window);
    worker->SetActive(true);
    worker->SetTimeouts({2000, 500});
    worker->SetRetryPause(std::chrono::milliseconds(5));
    worker->SetDebugSink([this](text::WStringView line) { debugLines.emplace_back(line); });
    return worker;
  }
};

// The updater's temporary files ("...vendrel-part...") anywhere below `dir`.
inline std::vector<std::string> TemporariesBelow(const std::string& dir) {
  std::vector<std::string> found;
  std::error_code ec;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir, ec)) {
    if (e.path().filename().string().find("vendrel-part") != std::string::npos) found.push_back(e.path().string());
  }
  return found;
}


// A test with an install and a server for one game ("/game", version key "102").
class ServedInstall : public ::testing::Test {
 protected:
  std::unique_ptr<updater::CLiveThread> Worker(const char16_t* version = u"1.0.2") {
    return install.Worker(server.BaseUrl() + "/game", version);
  }
  Published PublishAndServe(const std::vector<SourceFile>& files) {
    Published p = Publish("/game", "102", files);
    p.ServeOn(server);
    return p;
  }
  std::string Installed(const std::string& relative) const { return ReadFileBytes(install.prog + "/" + relative); }
  std::string Downloaded(const std::string& relative) const { return install.down + "/" + relative; }
  Seen Last() const { return install.window.Messages().back(); }

  TestHttpServer server;
  Install install;
};

}  // namespace testsupport
