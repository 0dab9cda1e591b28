// A private session bus for tests that need real D-Bus traffic: a dbus-daemon on a socket in a
// directory of its own and, on it, the fake desktop (fake_desktop.py) that records every call.
// Nothing of the user's own session is touched. Linux only.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace spellshell {

// A directory under /tmp, removed with everything in it when the holder goes.
class TempDir {
 public:
  TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();
  // Empty when the directory could not be made.
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// A child process, asked to stop with SIGTERM (then SIGKILL) and reaped when the holder goes.
class ChildProcess {
 public:
  ChildProcess() = default;
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ~ChildProcess() { Stop(); }
  bool running() const { return pid_ > 0; }
  void Stop();

 private:
  pid_t pid_ = -1;
};

// Sets an environment variable (or removes it, for std::nullopt) and puts the old state back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::optional<std::string>& value);
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;
  ~ScopedEnv();

 private:
  std::string name_;
  std::optional<std::string> old_;
};

enum class FakeDesktop {
  kNone,       // the bus only: nobody owns the portal or file manager names
  kAnswering,  // calls are recorded and answered
  kRefusing,   // calls are recorded and answered with an error
  kSilent,     // calls are recorded and never answered
};

class FakeDesktopBus {
 public:
  explicit FakeDesktopBus(FakeDesktop desktop = FakeDesktop::kAnswering);
  FakeDesktopBus(const FakeDesktopBus&) = delete;
  FakeDesktopBus& operator=(const FakeDesktopBus&) = delete;
  ~FakeDesktopBus();

  // Whether the bus (and the desktop, if asked for) came up; otherwise why not.
  bool ok() const { return error_.empty(); }
  const std::string& error() const { return error_; }
  // What a client puts in DBUS_SESSION_BUS_ADDRESS to reach this bus.
  const std::string& address() const { return address_; }
  // A scratch directory that lives as long as the bus.
  const std::string& dir() const { return dir_.path(); }

  // The calls recorded so far, one JSON object per entry, in the order they arrived.
  std::vector<std::string> Calls() const;
  // Ends the daemon, as a desktop session that goes away would.
  void StopBus() { daemon_.Stop(); }

 private:
  void Start(FakeDesktop desktop);

  TempDir dir_;
  std::string error_;
  std::string address_;
  std::string record_file_;
  ChildProcess daemon_;
  ChildProcess desktop_;
};

}  // namespace spellshell
