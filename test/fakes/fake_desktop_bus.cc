#include "fake_desktop_bus.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <thread>
#include <utility>

extern char** environ;

namespace spellshell {
namespace {

using std::chrono::milliseconds;
using std::chrono::steady_clock;

// Long enough for a cold Python start with GLib on a loaded machine; only reached on failure.
constexpr milliseconds kStartTimeout{15000};
constexpr milliseconds kStopGrace{5000};

class Pipe {
 public:
  Pipe() {
    if (pipe2(fds_, O_CLOEXEC) != 0) fds_[0] = fds_[1] = -1;
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  bool ok() const { return fds_[0] >= 0; }
  int read_end() const { return fds_[0]; }
  int write_end() const { return fds_[1]; }
  void CloseRead() { CloseFd(fds_[0]); }
  void CloseWrite() { CloseFd(fds_[1]); }

 private:
  static void CloseFd(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  int fds_[2];
};

// A NULL-terminated char* array over strings it owns, for execve.
class CStringArray {
 public:
  explicit CStringArray(std::vector<std::string> strings) : strings_(std::move(strings)) {
    for (std::string& s : strings_) pointers_.push_back(s.data());
    pointers_.push_back(nullptr);
  }
  char** get() { return pointers_.data(); }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

// This process's environment with the session bus replaced by `address`, or removed when it is
// empty, so that no child can reach the user's own session.
std::vector<std::string> EnvironmentWithBus(const std::string& address) {
  static constexpr std::string_view kKey = "DBUS_SESSION_BUS_ADDRESS=";
  std::vector<std::string> env;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!std::string_view(*entry).starts_with(kKey)) env.emplace_back(*entry);
  }
  if (!address.empty()) env.push_back(std::string(kKey) + address);
  return env;
}

// Starts `argv` with its stdout on `out`, its stderr on `err` (when given) and the given
// environment. The child gets SIGTERM if this process dies first, so a crashed test leaves no
// daemon behind.
ChildProcess Spawn(std::vector<std::string> argv, std::vector<std::string> env, int out,
                   int err = -1) {
  CStringArray args(std::move(argv));
  CStringArray envp(std::move(env));
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec: the test process may have threads.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);
    if (dup2(out, STDOUT_FILENO) < 0) _exit(127);
    if (err >= 0 && dup2(err, STDERR_FILENO) < 0) _exit(127);
    execve(args.get()[0], args.get(), envp.get());
    _exit(127);
  }
  return ChildProcess(pid);
}

// Reads the child's first line of output, or gives up at `timeout` or end of file.
std::optional<std::string> ReadLine(int fd, milliseconds timeout) {
  const auto end = steady_clock::now() + timeout;
  std::string line;
  for (;;) {
    const auto left = std::chrono::duration_cast<milliseconds>(end - steady_clock::now());
    if (left.count() <= 0) return std::nullopt;
    pollfd p{fd, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return std::nullopt;
    char c;
    const ssize_t n = read(fd, &c, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    if (c == '\n') return line;
    line += c;
  }
}

}  // namespace

TempDir::TempDir() {
  std::string name = (std::filesystem::temp_directory_path() / "spellshell-XXXXXX").string();
  if (mkdtemp(name.data()) != nullptr) path_ = name;
}

TempDir::~TempDir() {
  if (path_.empty()) return;
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Stop();
    pid_ = std::exchange(other.pid_, -1);
  }
  return *this;
}

void ChildProcess::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  const auto end = steady_clock::now() + kStopGrace;
  while (waitpid(pid_, nullptr, WNOHANG) == 0) {
    if (steady_clock::now() >= end) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(milliseconds(5));
  }
  pid_ = -1;
}

ScopedEnv::ScopedEnv(const char* name, const std::optional<std::string>& value) : name_(name) {
  if (const char* old = std::getenv(name)) old_ = old;
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
}

ScopedEnv::~ScopedEnv() {
  if (old_) {
    setenv(name_.c_str(), old_->c_str(), 1);
  } else {
    unsetenv(name_.c_str());
  }
}

FakeDesktopBus::FakeDesktopBus(FakeDesktop desktop) { Start(desktop); }

FakeDesktopBus::~FakeDesktopBus() {
  // The desktop first, so that it does not see its bus vanish under it.
  desktop_.Stop();
  daemon_.Stop();
}

void FakeDesktopBus::Start(FakeDesktop desktop) {
  if (dir().empty()) {
    error_ = "cannot make a temporary directory";
    return;
  }
  // The same private-bus configuration as the script tests: no service folders, so nothing
  // is started on demand.
  const std::string config = SPELLSHELL_PRIVATE_BUS_CONFIG;
  const std::string socket_path = dir() + "/bus";
  record_file_ = dir() + "/calls.jsonl";
  std::ofstream{record_file_};

  Pipe daemon_out;
  if (!daemon_out.ok()) {
    error_ = "pipe failed";
    return;
  }
  // The daemon's complaints (it cannot raise its fd limit, for one) go to a log that is shown
  // only when it fails to start.
  const std::string log = dir() + "/dbus-daemon.log";
  const int log_fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  daemon_ = Spawn({SPELLSHELL_DBUS_DAEMON, "--config-file=" + config, "--nofork", "--print-address",
                   "--address=unix:path=" + socket_path},
                  EnvironmentWithBus(""), daemon_out.write_end(), log_fd);
  if (log_fd >= 0) close(log_fd);
  daemon_out.CloseWrite();
  const std::optional<std::string> address = ReadLine(daemon_out.read_end(), kStartTimeout);
  if (!address || address->empty()) {
    std::ifstream in(log);
    const std::string complaints((std::istreambuf_iterator<char>(in)),
                                 std::istreambuf_iterator<char>());
    error_ = std::string("no address from ") + SPELLSHELL_DBUS_DAEMON + ": " + complaints;
    return;
  }
  address_ = *address;
  if (desktop == FakeDesktop::kNone) return;

  std::vector<std::string> argv = {SPELLSHELL_TEST_PYTHON, SPELLSHELL_FAKE_DESKTOP, record_file_};
  if (desktop == FakeDesktop::kRefusing) argv.emplace_back("--refuse");
  if (desktop == FakeDesktop::kSilent) argv.emplace_back("--silent");
  Pipe desktop_out;
  if (!desktop_out.ok()) {
    error_ = "pipe failed";
    return;
  }
  desktop_ = Spawn(std::move(argv), EnvironmentWithBus(address_), desktop_out.write_end());
  desktop_out.CloseWrite();
  const std::optional<std::string> ready = ReadLine(desktop_out.read_end(), kStartTimeout);
  if (ready != "ready") {
    error_ = std::string("the fake desktop did not start (") + SPELLSHELL_TEST_PYTHON + " " +
             SPELLSHELL_FAKE_DESKTOP + "; needs python3-dbus and python3-gi)";
  }
}

std::vector<std::string> FakeDesktopBus::Calls() const {
  std::vector<std::string> calls;
  std::ifstream in(record_file_);
  for (std::string line; std::getline(in, line);) calls.push_back(line);
  return calls;
}

}  // namespace spellshell
