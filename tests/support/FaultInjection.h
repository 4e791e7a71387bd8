// Failures injected into saves and loads: a target folder that does not
// exist, a folder on the path that is a regular file, a target name that is a
// folder, and a disk that fills up in the middle of a write (a forked child
// whose files may not grow beyond a limit). All of them hold for root too,
// which CI runs as. Also runs a load in a forked child with a hang guard and
// measures how far its peak resident memory grew.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "support/TempDir.h"

namespace vargaze::test {

// What a forked child did.
struct ChildOutcome {
  bool exited = false;          // ended through _exit (not by a signal)
  int exitCode = -1;
  int signal = 0;               // the signal that ended it, 0 when it exited
  std::int64_t rssGrowthKb = 0; // peak resident memory growth while `body` ran
  std::string report;           // text the child handed back
};

struct ChildLimits {
  std::int64_t fileSizeBytes = -1;  // RLIMIT_FSIZE for the child; -1 leaves it
  unsigned timeoutSeconds = 120;    // hang guard: SIGALRM ends the child
};

// Runs `body` in a forked child and waits for it. `body` returns the exit
// code and may leave a text in `report`. Exceptions end the child with 98.
// With a file size limit SIGXFSZ is ignored, so a write beyond the limit
// fails with EFBIG as it would on a full disk.
inline ChildOutcome runInChild(const std::function<int(std::string& report)>& body,
                               const ChildLimits& limits = {}) {
  ChildOutcome outcome;
  int fds[2];
  if (::pipe(fds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return outcome;
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) {
    ADD_FAILURE() << "fork failed";
    ::close(fds[0]);
    ::close(fds[1]);
    return outcome;
  }
  if (pid == 0) {
    ::close(fds[0]);
    ::alarm(limits.timeoutSeconds);
    if (limits.fileSizeBytes >= 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit lim{static_cast<rlim_t>(limits.fileSizeBytes),
                       static_cast<rlim_t>(limits.fileSizeBytes)};
      if (::setrlimit(RLIMIT_FSIZE, &lim) != 0) ::_exit(97);
    }
    rusage before{};
    ::getrusage(RUSAGE_SELF, &before);
    std::string report;
    int code = 0;
    try {
      code = body(report);
    } catch (const std::exception& e) {
      report = std::string("exception: ") + e.what();
      code = 98;
    } catch (...) {
      report = "unknown exception";
      code = 98;
    }
    rusage after{};
    ::getrusage(RUSAGE_SELF, &after);
    // The report must not be cut by the child's own file size limit: a pipe
    // is not a file, so it is not.
    const std::string text = std::to_string(after.ru_maxrss - before.ru_maxrss) + "\n" + report;
    std::size_t done = 0;
    while (done < text.size()) {
      const ssize_t n = ::write(fds[1], text.data() + done, text.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::close(fds[1]);
    ::_exit(code);
  }
  ::close(fds[1]);
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  outcome.exited = WIFEXITED(status);
  outcome.exitCode = outcome.exited ? WEXITSTATUS(status) : -1;
  outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  const auto newline = text.find('\n');
  if (newline != std::string::npos) {
    outcome.rssGrowthKb = std::stoll(text.substr(0, newline));
    outcome.report = text.substr(newline + 1);
  }
  return outcome;
}

// Names in a folder, to see that a failed save left no temporary file.
inline std::set<std::string> folderNames(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

// A save under test: writes `path`, returns whether it says it saved, and
// leaves what it told the user (message or error text) in `message`.
using SaveAction = std::function<bool(const std::string& path, std::string& message)>;

// The target's folder does not exist: refused with a message, nothing created.
inline void expectMissingFolderReported(const TempDir& dir, const std::string& name,
                                        const SaveAction& save) {
  SCOPED_TRACE("missing target folder");
  const std::string path = dir.file("no-such-folder/" + name);
  std::string message;
  EXPECT_FALSE(save(path, message));
  EXPECT_FALSE(message.empty());
  EXPECT_FALSE(std::filesystem::exists(dir.file("no-such-folder")));
}

// The target name is a folder: refused with a message, the folder and its
// content stay.
inline void expectFolderTargetReported(const TempDir& dir, const std::string& name,
                                       const SaveAction& save) {
  SCOPED_TRACE("target name is a folder");
  const std::string path = dir.file(name);
  std::filesystem::create_directory(path);
  writeBytes(path + "/keep.txt", "keep");
  std::string message;
  EXPECT_FALSE(save(path, message));
  EXPECT_FALSE(message.empty());
  EXPECT_TRUE(std::filesystem::is_directory(path));
  EXPECT_EQ(readBytes(path + "/keep.txt"), "keep");
  std::filesystem::remove_all(path);
}

// A folder on the target's path is a regular file: refused with a message,
// the file stays as it was.
inline void expectParentFileReported(const TempDir& dir, const std::string& name,
                                     const SaveAction& save) {
  SCOPED_TRACE("a folder on the path is a file");
  const std::string parent = dir.file("plain-file");
  writeBytes(parent, "keep");
  std::string message;
  EXPECT_FALSE(save(parent + "/" + name, message));
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(readBytes(parent), "keep");
  std::filesystem::remove(parent);
}

// The disk fills up while `path` is written: the save runs in a child whose
// files may not grow beyond `limitBytes`. The save must say it failed, tell
// the user, leave the previous file byte for byte and no temporary file.
// Returns the child's message.
inline std::string expectFullDiskKeepsFile(const std::string& path, std::int64_t limitBytes,
                                           const SaveAction& save) {
  SCOPED_TRACE("disk full during the write of " + path);
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  const std::string before = readBytes(path);
  const auto namesBefore = folderNames(folder);
  const ChildOutcome child = runInChild(
      [&](std::string& report) {
        std::string message;
        const bool saved = save(path, message);
        report = message;
        if (saved) return 1;
        return message.empty() ? 2 : 0;
      },
      ChildLimits{limitBytes, 120});
  EXPECT_TRUE(child.exited) << "signal " << child.signal;
  EXPECT_EQ(child.exitCode, 0) << "1: claimed success, 2: failed without a message; "
                               << child.report;
  EXPECT_FALSE(child.report.empty());
  EXPECT_EQ(readBytes(path), before);
  EXPECT_EQ(folderNames(folder), namesBefore);
  return child.report;
}

// Every fault one save kind must survive: a missing folder, a folder on the
// path that is a file, a target that is a folder, and a disk that fills up
// halfway through replacing a file saved before (which must stay as it was).
inline void expectSaveFaultsReported(const TempDir& dir, const std::string& name,
                                     const SaveAction& save) {
  expectMissingFolderReported(dir, name, save);
  expectParentFileReported(dir, name, save);
  expectFolderTargetReported(dir, name, save);
  const std::string path = dir.file(name);
  std::string message;
  ASSERT_TRUE(save(path, message)) << message;
  const auto size = static_cast<std::int64_t>(std::filesystem::file_size(path));
  ASSERT_GT(size, 1) << "nothing was written";
  expectFullDiskKeepsFile(path, size / 2, save);
}

// A named pipe in `dir`: opening it for reading waits for a writer that
// never comes, so a reader that does not refuse it hangs.
inline std::string makePipe(const TempDir& dir, const std::string& name) {
  const std::string path = dir.file(name);
  EXPECT_EQ(::mkfifo(path.c_str(), 0644), 0);
  return path;
}

// Runs a read of a pipe in a child with a short hang guard: the read must
// give up (return false, with its reason in `report`), not wait. Returns
// the report.
inline std::string expectPipeRefused(const std::function<bool(std::string& report)>& read) {
  const ChildOutcome child = runInChild(
      [&](std::string& report) { return read(report) ? 1 : 0; }, ChildLimits{-1, 10});
  EXPECT_TRUE(child.exited) << "signal " << child.signal << " (SIGALRM: waited on the pipe)";
  EXPECT_EQ(child.exitCode, 0) << "claimed to have read a pipe: " << child.report;
  return child.report;
}

}  // namespace vargaze::test
