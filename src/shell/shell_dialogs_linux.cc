// The two dialogs on a Linux desktop, asked for on the session D-Bus the way desktop
// applications ask: the Open-with chooser through the desktop portal's OpenURI.OpenFile with
// "ask" set, and the Properties view through the file manager's FileManager1.ShowItemProperties.
//
// Each call opens its own private connection and closes it before returning. Nothing is kept
// between calls, so a bus that went away, restarted or never existed costs one failed connect,
// and no connection is ever shared between threads. libdbus has locked its own global state
// without being asked since 1.8 (CMake requires 1.12), so several host threads may call these
// functions at once and dbus_threads_init_default is not needed.
//
// libdbus itself is loaded when the first dialog is asked for (platform/dbus_library.h), and
// every call goes through its function table; without it both dialogs do nothing.
#include "shell/shell_dialogs_linux.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "shell/file_uri.h"
#include "shell/shell_dialogs.h"
#include "spellchecker/text_conversion.h"

namespace spellshell {
namespace {

// The longest the calling (script) thread waits for the desktop, connecting included. A
// running portal answers OpenFile at once with a request handle and shows its chooser
// afterwards; the file manager likewise replies before its window appears. So a running desktop
// answers in milliseconds, and the wait only matters when the bus must first start the service,
// or when the service hangs. Starting one matters: the bus drops a call queued for a service
// that is still starting once its sender has disconnected, so giving up early loses the
// request. A file manager's cold start commonly takes a few seconds; five covers it while still
// keeping a hung desktop from freezing the script thread for the 25 seconds libdbus would
// otherwise wait.
constexpr std::chrono::milliseconds kDesktopTimeout{5000};

constexpr char kPortalService[] = "org.freedesktop.portal.Desktop";
constexpr char kPortalPath[] = "/org/freedesktop/portal/desktop";
constexpr char kOpenUriInterface[] = "org.freedesktop.portal.OpenURI";
constexpr char kFileManagerService[] = "org.freedesktop.FileManager1";
constexpr char kFileManagerPath[] = "/org/freedesktop/FileManager1";
constexpr char kFileManagerInterface[] = "org.freedesktop.FileManager1";

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

class ScopedDBusError {
 public:
  explicit ScopedDBusError(const DBusLibrary& dbus) : dbus_(dbus) { dbus_.error_init(&error_); }
  ScopedDBusError(const ScopedDBusError&) = delete;
  ScopedDBusError& operator=(const ScopedDBusError&) = delete;
  ~ScopedDBusError() { dbus_.error_free(&error_); }
  DBusError* get() { return &error_; }

 private:
  const DBusLibrary& dbus_;
  DBusError error_;
};

struct ConnectionCloser {
  const DBusLibrary* dbus;
  void operator()(DBusConnection* connection) const {
    // A private connection must be closed by its owner before the last reference goes.
    dbus->connection_close(connection);
    dbus->connection_unref(connection);
  }
};
using PrivateConnection = std::unique_ptr<DBusConnection, ConnectionCloser>;

struct MessageUnref {
  const DBusLibrary* dbus;
  void operator()(DBusMessage* message) const { dbus->message_unref(message); }
};
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

Message AdoptMessage(const DBusLibrary& dbus, DBusMessage* message) {
  return Message(message, MessageUnref{&dbus});
}

// What is left of one call's time, as libdbus takes it: whole milliseconds, at least one (zero
// or less would mean "the default", which is 25 seconds).
class Deadline {
 public:
  Deadline() : end_(std::chrono::steady_clock::now() + kDesktopTimeout) {}
  int RemainingMs() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end_ - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 1;
  }

 private:
  std::chrono::steady_clock::time_point end_;
};

// The session bus address as libdbus would find it, except that we never fall back to
// "autolaunch:": that would fork dbus-launch inside the host and leave a new, empty bus behind,
// on which no portal or file manager could answer anyway.
std::string SessionBusAddress(const DBusLibrary& dbus) {
  if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address && *address) {
    return address;
  }
  const char* runtime_dir = std::getenv("XDG_RUNTIME_DIR");
  if (runtime_dir == nullptr || *runtime_dir == '\0') return {};
  const std::string socket_path = std::string(runtime_dir) + "/bus";
  char* escaped = dbus.address_escape_value(socket_path.c_str());
  if (escaped == nullptr) return {};
  std::string address = std::string("unix:path=") + escaped;
  dbus.free(escaped);
  return address;
}

// Opens a private connection to the session bus and registers on it within the deadline.
// dbus_bus_get_private would do the same but waits up to 25 seconds for the bus's Hello reply and
// may autolaunch a bus; doing the two steps here keeps both under our control.
PrivateConnection OpenSessionBus(const DBusLibrary& dbus, const Deadline& deadline) {
  const std::string address = SessionBusAddress(dbus);
  if (address.empty()) return {nullptr, ConnectionCloser{&dbus}};
  ScopedDBusError error(dbus);
  PrivateConnection connection(dbus.connection_open_private(address.c_str(), error.get()),
                               ConnectionCloser{&dbus});
  if (!connection) return connection;
  // The host must outlive its desktop session: a bus that hangs up must never make libdbus
  // _exit() the process, as connections made by its dbus_bus_get helpers do by default.
  dbus.connection_set_exit_on_disconnect(connection.get(), FALSE);

  // The bus takes no other message before Hello; waiting for its answer also completes the
  // authentication, after which the connection knows whether it may carry file descriptors.
  const Message hello =
      AdoptMessage(dbus, dbus.message_new_method_call(DBUS_SERVICE_DBUS, DBUS_PATH_DBUS,
                                                      DBUS_INTERFACE_DBUS, "Hello"));
  if (!hello) return {nullptr, ConnectionCloser{&dbus}};
  const Message welcome =
      AdoptMessage(dbus, dbus.connection_send_with_reply_and_block(
                             connection.get(), hello.get(), deadline.RemainingMs(), error.get()));
  if (!welcome) return {nullptr, ConnectionCloser{&dbus}};
  return connection;
}

// Sends `call` on a fresh session bus connection and waits for its answer, which is dropped:
// success, an error reply, a timeout and no bus at all all end the same way.
void CallDesktop(const DBusLibrary& dbus, DBusMessage* call, const Deadline& deadline) {
  const PrivateConnection bus = OpenSessionBus(dbus, deadline);
  if (!bus) return;
  // We wait for the reply although we ignore it: see kDesktopTimeout.
  ScopedDBusError error(dbus);
  const Message reply =
      AdoptMessage(dbus, dbus.connection_send_with_reply_and_block(
                             bus.get(), call, deadline.RemainingMs(), error.get()));
}

bool AppendString(const DBusLibrary& dbus, DBusMessageIter* iter, const char* text) {
  return dbus.message_iter_append_basic(iter, DBUS_TYPE_STRING, &text);
}

// Appends the options dictionary {"ask": <true>}: the portal then shows its application chooser
// even when a default program is known, as the Windows Open-with dialog does.
bool AppendAskOption(const DBusLibrary& dbus, DBusMessageIter* args) {
  // Closed iterators may be abandoned whether or not they were ever opened.
  DBusMessageIter options = DBUS_MESSAGE_ITER_INIT_CLOSED;
  DBusMessageIter entry = DBUS_MESSAGE_ITER_INIT_CLOSED;
  DBusMessageIter value = DBUS_MESSAGE_ITER_INIT_CLOSED;
  const dbus_bool_t ask = TRUE;
  if (!dbus.message_iter_open_container(args, DBUS_TYPE_ARRAY, "{sv}", &options)) return false;
  const bool filled =
      dbus.message_iter_open_container(&options, DBUS_TYPE_DICT_ENTRY, nullptr, &entry) &&
      AppendString(dbus, &entry, "ask") &&
      dbus.message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "b", &value) &&
      dbus.message_iter_append_basic(&value, DBUS_TYPE_BOOLEAN, &ask) &&
      dbus.message_iter_close_container(&entry, &value) &&
      dbus.message_iter_close_container(&options, &entry);
  if (!filled) {
    dbus.message_iter_abandon_container_if_open(&entry, &value);
    dbus.message_iter_abandon_container_if_open(&options, &entry);
    dbus.message_iter_abandon_container_if_open(args, &options);
    return false;
  }
  return dbus.message_iter_close_container(args, &options);
}

// The path exactly as the script gave it, back in the UTF-8 the system's file names use.
std::string Utf8Path(const WCHAR* path) {
  if (path == nullptr) return {};
  return Utf16ToUtf8(Utf16String(path));
}

void OpenWithPortal(const DBusLibrary& dbus, const std::string& path) {
  if (path.empty()) return;
  // The portal wants an fd it can read the file through: O_PATH descriptors are refused.
  // O_NONBLOCK keeps a FIFO (no writer) from holding the script thread forever, and O_NOCTTY
  // keeps a terminal from becoming the host's controlling terminal. A path that cannot be
  // opened has nothing to show a chooser for, so the desktop is not asked at all.
  const UniqueFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.get() < 0) return;

  const Deadline deadline;
  const Message call = AdoptMessage(
      dbus,
      dbus.message_new_method_call(kPortalService, kPortalPath, kOpenUriInterface, "OpenFile"));
  if (!call) return;
  DBusMessageIter args;
  dbus.message_iter_init_append(call.get(), &args);
  // libdbus duplicates the descriptor into the message; ours closes when this function returns.
  const int fd = file.get();
  if (!AppendString(dbus, &args, "") ||
      !dbus.message_iter_append_basic(&args, DBUS_TYPE_UNIX_FD, &fd) ||
      !AppendAskOption(dbus, &args)) {
    return;
  }
  CallDesktop(dbus, call.get(), deadline);
}

void ShowInFileManager(const DBusLibrary& dbus, const std::string& path) {
  const std::string uri = FileUri(path);
  if (uri.empty()) return;

  const Deadline deadline;
  const Message call =
      AdoptMessage(dbus, dbus.message_new_method_call(kFileManagerService, kFileManagerPath,
                                                      kFileManagerInterface, "ShowItemProperties"));
  if (!call) return;
  DBusMessageIter args;
  DBusMessageIter uris;
  dbus.message_iter_init_append(call.get(), &args);
  if (!dbus.message_iter_open_container(&args, DBUS_TYPE_ARRAY, "s", &uris)) return;
  if (!AppendString(dbus, &uris, uri.c_str())) {
    dbus.message_iter_abandon_container(&args, &uris);
    return;
  }
  // No startup notification id: the module has no window of its own to hand focus from.
  if (!dbus.message_iter_close_container(&args, &uris) || !AppendString(dbus, &args, "")) return;
  CallDesktop(dbus, call.get(), deadline);
}

}  // namespace

void ShowOpenWithDialog(const DBusLibrary* dbus, const WCHAR* path) noexcept {
  if (dbus == nullptr) return;
  try {
    OpenWithPortal(*dbus, Utf8Path(path));
  } catch (...) {
    // Only exhausted memory can get here; like any other desktop failure it is not reported.
  }
}

void ShowPropertiesDialog(const DBusLibrary* dbus, const WCHAR* path) noexcept {
  if (dbus == nullptr) return;
  try {
    ShowInFileManager(*dbus, Utf8Path(path));
  } catch (...) {
    // As above: the caller learns nothing of what went wrong.
  }
}

void ShowOpenWithDialog(const WCHAR* path) noexcept {
  ShowOpenWithDialog(DBusLibrary::ForProcess(), path);
}

void ShowPropertiesDialog(const WCHAR* path) noexcept {
  ShowPropertiesDialog(DBusLibrary::ForProcess(), path);
}

}  // namespace spellshell
