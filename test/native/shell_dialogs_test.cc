// The Linux dialogs end to end: real libdbus calls to a fake portal and file manager on a
// private bus, and the ways a desktop can be missing or misbehave.
#include "shell/shell_dialogs.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "fakes/fake_desktop_bus.h"
#include "platform/dbus_library.h"
#include "shell/shell_dialogs_linux.h"
#include "spellchecker/text_conversion.h"

namespace spellshell {
namespace {

using Calls = std::vector<std::string>;

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

std::string OpenFileCall(const std::string& path) {
  return R"({"access":"read","method":"OpenFile","options":{"ask":true},"parent_window":"","path":)" +
         JsonString(path) + R"(,"signature":"sha{sv}"})";
}

std::string PropertiesCall(const std::string& uri) {
  return R"({"method":"ShowItemProperties","signature":"ass","startup_id":"","uris":[)" +
         JsonString(uri) + "]}";
}

void OpenWith(const std::string& utf8_path) { ShowOpenWithDialog(Utf8ToUtf16(utf8_path).c_str()); }

void Properties(const std::string& utf8_path) {
  ShowPropertiesDialog(Utf8ToUtf16(utf8_path).c_str());
}

bool MakeFile(const std::string& path) { return static_cast<bool>(std::ofstream(path) << "x"); }

// A desktop on a private bus, which the code under test reaches through the environment.
class DialogsOnFakeDesktop : public ::testing::Test {
 protected:
  explicit DialogsOnFakeDesktop(FakeDesktop desktop = FakeDesktop::kAnswering)
      : bus_(desktop), env_("DBUS_SESSION_BUS_ADDRESS", bus_.address()) {}

  void SetUp() override { ASSERT_TRUE(bus_.ok()) << bus_.error(); }

  FakeDesktopBus bus_;
  ScopedEnv env_;
};

TEST_F(DialogsOnFakeDesktop, OpenWithHandsThePortalTheFileAndAsksForAChooser) {
  const std::string file = bus_.dir() + "/notes.txt";
  ASSERT_TRUE(MakeFile(file));
  OpenWith(file);
  EXPECT_EQ(bus_.Calls(), Calls{OpenFileCall(file)});
}

TEST_F(DialogsOnFakeDesktop, OpenWithReachesFilesWhoseNamesAreNotAscii) {
  Calls expected;
  for (const std::string name :
       {"with space.txt", "caf\xC3\xA9.txt", "\xE6\x97\xA5\xE6\x9C\xAC", "\xF0\x9D\x92\x9C.md"}) {
    SCOPED_TRACE(name);
    const std::string file = bus_.dir() + "/" + name;
    ASSERT_TRUE(MakeFile(file));
    OpenWith(file);
    expected.push_back(OpenFileCall(file));
    EXPECT_EQ(bus_.Calls(), expected);
  }
}

TEST_F(DialogsOnFakeDesktop, OpenWithTakesThePathUpToItsFirstNul) {
  const std::string file = bus_.dir() + "/a.txt";
  ASSERT_TRUE(MakeFile(file));
  const Utf16String path = Utf8ToUtf16(file) + u'\0' + u"/ignored";
  ShowOpenWithDialog(path.c_str());
  EXPECT_EQ(bus_.Calls(), Calls{OpenFileCall(file)});
}

TEST_F(DialogsOnFakeDesktop, OpenWithAsksNothingForAPathThatCannotBeOpened) {
  OpenWith(bus_.dir() + "/missing.txt");
  OpenWith("");
  ShowOpenWithDialog(nullptr);
  EXPECT_EQ(bus_.Calls(), Calls{});
}

TEST_F(DialogsOnFakeDesktop, OpenWithDoesNotWaitForAWriterOnAFifo) {
  const std::string fifo = bus_.dir() + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  OpenWith(fifo);
  EXPECT_EQ(bus_.Calls(), Calls{OpenFileCall(fifo)});
}

TEST_F(DialogsOnFakeDesktop, PropertiesNamesTheItemByAPercentEncodedFileUri) {
  // The file manager is told the name; whether the item exists is its business.
  const struct {
    std::string path;
    std::string uri;
  } cases[] = {
      {"/srv/plain.txt", "file:///srv/plain.txt"},
      {"/srv/with space/a b.txt", "file:///srv/with%20space/a%20b.txt"},
      {"/srv/caf\xC3\xA9", "file:///srv/caf%C3%A9"},
      {"/srv/\xE6\x97\xA5\xE6\x9C\xAC", "file:///srv/%E6%97%A5%E6%9C%AC"},
      {"/srv/\xF0\x9D\x92\x9C", "file:///srv/%F0%9D%92%9C"},
      {"/srv/100%#?.txt", "file:///srv/100%25%23%3F.txt"},
      {"/srv/folder/", "file:///srv/folder/"},
  };
  Calls expected;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    Properties(c.path);
    expected.push_back(PropertiesCall(c.uri));
    EXPECT_EQ(bus_.Calls(), expected);
  }
}

TEST_F(DialogsOnFakeDesktop, PropertiesTakesThePathUpToItsFirstNul) {
  const Utf16String path = u"/srv/before" + Utf16String(1, u'\0') + u"after";
  ShowPropertiesDialog(path.c_str());
  EXPECT_EQ(bus_.Calls(), Calls{PropertiesCall("file:///srv/before")});
}

TEST_F(DialogsOnFakeDesktop, PropertiesResolvesARelativePathAgainstTheCurrentDirectory) {
  const std::string old_cwd = std::filesystem::current_path().string();
  ASSERT_EQ(chdir(bus_.dir().c_str()), 0);
  Properties("sub dir/../x");
  ASSERT_EQ(chdir(old_cwd.c_str()), 0);
  EXPECT_EQ(bus_.Calls(), Calls{PropertiesCall("file://" + bus_.dir() + "/sub%20dir/../x")});
}

TEST_F(DialogsOnFakeDesktop, PropertiesAsksNothingForAnEmptyPath) {
  Properties("");
  ShowPropertiesDialog(nullptr);
  EXPECT_EQ(bus_.Calls(), Calls{});
}

TEST_F(DialogsOnFakeDesktop, SeveralThreadsMayAskAtOnce) {
  const std::string file = bus_.dir() + "/shared.txt";
  ASSERT_TRUE(MakeFile(file));
  constexpr int kThreads = 6;
  std::vector<std::thread> threads;
  Calls expected;
  for (int i = 0; i < kThreads; ++i) {
    const std::string path = "/srv/" + std::to_string(i);
    expected.push_back(i % 2 == 0 ? OpenFileCall(file) : PropertiesCall("file://" + path));
    threads.emplace_back([i, file, path] { i % 2 == 0 ? OpenWith(file) : Properties(path); });
  }
  for (std::thread& t : threads) t.join();
  Calls calls = bus_.Calls();
  std::sort(calls.begin(), calls.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(calls, expected);
}

std::size_t OpenDescriptors() {
  const auto fds = std::filesystem::directory_iterator("/proc/self/fd");
  return static_cast<std::size_t>(std::distance(begin(fds), end(fds)));
}

TEST_F(DialogsOnFakeDesktop, NoDescriptorOutlivesACall) {
  // Neither the file handed to the portal nor the bus connection may stay open in the host.
  const std::string file = bus_.dir() + "/kept.txt";
  ASSERT_TRUE(MakeFile(file));
  const std::size_t before = OpenDescriptors();
  for (int i = 0; i < 3; ++i) {
    OpenWith(file);
    Properties(file);
  }
  EXPECT_EQ(OpenDescriptors(), before);
  EXPECT_EQ(bus_.Calls().size(), 6u);
}

class DialogsOnRefusingDesktop : public DialogsOnFakeDesktop {
 protected:
  DialogsOnRefusingDesktop() : DialogsOnFakeDesktop(FakeDesktop::kRefusing) {}
};

TEST_F(DialogsOnRefusingDesktop, ARefusedCallJustReturns) {
  const std::string file = bus_.dir() + "/refused.txt";
  ASSERT_TRUE(MakeFile(file));
  OpenWith(file);
  Properties(file);
  EXPECT_EQ(bus_.Calls(), (Calls{OpenFileCall(file), PropertiesCall("file://" + file)}));
}

class DialogsOnSilentDesktop : public DialogsOnFakeDesktop {
 protected:
  DialogsOnSilentDesktop() : DialogsOnFakeDesktop(FakeDesktop::kSilent) {}
};

TEST_F(DialogsOnSilentDesktop, ADesktopThatNeverAnswersIsGivenUpOn) {
  Properties("/srv/hung");
  EXPECT_EQ(bus_.Calls(), Calls{PropertiesCall("file:///srv/hung")});
}

TEST_F(DialogsOnSilentDesktop, ABusThatGoesAwayMidCallDoesNotEndTheProcess) {
  // The session ends while the call waits: the host must live on.
  std::thread hang_up([this] {
    while (bus_.Calls().empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    bus_.StopBus();
  });
  Properties("/srv/orphan");
  hang_up.join();
  EXPECT_EQ(bus_.Calls(), Calls{PropertiesCall("file:///srv/orphan")});
}

// Outside a desktop session, or with a desktop that lacks the services, both calls return
// without a word; the fake desktop on its own bus shows that they also went nowhere else.
class DialogsWithoutDesktop : public DialogsOnFakeDesktop {
 protected:
  void AskForBoth() {
    const std::string file = bus_.dir() + "/lonely.txt";
    ASSERT_TRUE(MakeFile(file));
    OpenWith(file);
    Properties(file);
  }
};

TEST_F(DialogsWithoutDesktop, ABusAddressWithNothingBehindItJustReturns) {
  const ScopedEnv nowhere("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + bus_.dir() + "/no-bus");
  AskForBoth();
  EXPECT_EQ(bus_.Calls(), Calls{});
}

TEST_F(DialogsWithoutDesktop, NoSessionBusAtAllJustReturns) {
  // Neither the variable nor the runtime directory's bus socket that stands in for it.
  const std::string runtime_dir = bus_.dir() + "/runtime";
  ASSERT_EQ(mkdir(runtime_dir.c_str(), 0700), 0);
  const ScopedEnv no_address("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
  const ScopedEnv empty_runtime_dir("XDG_RUNTIME_DIR", runtime_dir);
  AskForBoth();
  const ScopedEnv no_runtime_dir("XDG_RUNTIME_DIR", std::nullopt);
  AskForBoth();
  EXPECT_EQ(bus_.Calls(), Calls{});
}

TEST_F(DialogsWithoutDesktop, TheRuntimeDirectoryBusStandsInForAMissingAddress) {
  // The session bus of a systemd user session lives there even when the variable is not set.
  const std::string runtime_dir = bus_.dir() + "/runtime";
  ASSERT_EQ(mkdir(runtime_dir.c_str(), 0700), 0);
  ASSERT_EQ(symlink((bus_.dir() + "/bus").c_str(), (runtime_dir + "/bus").c_str()), 0);
  const ScopedEnv no_address("DBUS_SESSION_BUS_ADDRESS", std::nullopt);
  const ScopedEnv runtime("XDG_RUNTIME_DIR", runtime_dir);
  Properties("/srv/found");
  EXPECT_EQ(bus_.Calls(), Calls{PropertiesCall("file:///srv/found")});
}

TEST(DialogsOnEmptyBus, ABusWithoutThePortalOrFileManagerJustReturns) {
  FakeDesktopBus bus(FakeDesktop::kNone);
  ASSERT_TRUE(bus.ok()) << bus.error();
  const ScopedEnv env("DBUS_SESSION_BUS_ADDRESS", bus.address());
  const std::string file = bus.dir() + "/file.txt";
  ASSERT_TRUE(MakeFile(file));
  OpenWith(file);
  Properties(file);
  SUCCEED();
}

// libdbus is loaded at run time, so a machine without it (a slim container) still loads the
// add-on; there the dialogs do as without a desktop: nothing, and silently.
TEST(LibdbusAtRunTime, TheSystemsLibraryLoadsWithEveryFunctionTheDialogsCall) {
  const std::unique_ptr<const DBusLibrary> dbus = DBusLibrary::Load(DBusLibrary::kFileName);
  ASSERT_NE(dbus, nullptr);
#define EXPECT_FOUND(name) EXPECT_NE(dbus->name, nullptr) << "dbus_" #name;
  SPELLSHELL_DBUS_FUNCTIONS(EXPECT_FOUND)
#undef EXPECT_FOUND
  // The one the dialogs use is that same library, loaded once.
  ASSERT_NE(DBusLibrary::ForProcess(), nullptr);
  EXPECT_EQ(DBusLibrary::ForProcess(), DBusLibrary::ForProcess());
  EXPECT_EQ(DBusLibrary::ForProcess()->message_unref, dbus->message_unref);
}

TEST(LibdbusAtRunTime, AMissingOrIncompleteLibraryIsNoneAndLeavesNoErrorBehind) {
  // Missing altogether, and present but without libdbus's functions.
  for (const char* name : {"libspellshell-no-such-dbus.so.3", "libc.so.6"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(DBusLibrary::Load(name), nullptr);
    // The host's next dlerror must not report our failure as its own.
    EXPECT_EQ(dlerror(), nullptr);
  }
}

TEST_F(DialogsOnFakeDesktop, WithoutLibdbusBothDialogsAskNothingAndSayNothing) {
  const std::string file = bus_.dir() + "/no-libdbus.txt";
  ASSERT_TRUE(MakeFile(file));
  const std::unique_ptr<const DBusLibrary> none =
      DBusLibrary::Load("libspellshell-no-such-dbus.so.3");
  ASSERT_EQ(none, nullptr);
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  ShowOpenWithDialog(none.get(), Utf8ToUtf16(file).c_str());
  ShowPropertiesDialog(none.get(), Utf8ToUtf16(file).c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(bus_.Calls(), Calls{});
  // The same desktop answers when libdbus is there: the calls above went nowhere for want of it.
  OpenWith(file);
  EXPECT_EQ(bus_.Calls(), Calls{OpenFileCall(file)});
}

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// Plays a bus that accepts the client's authentication and hangs up before anything else, so
// that the client's next writes meet a closed socket.
void AgreeThenHangUp(int listener) {
  const Fd peer(accept(listener, nullptr, nullptr));
  if (peer.get() < 0) return;
  std::string opening;  // a NUL byte, then "AUTH EXTERNAL <uid>\r\n"
  for (char c; !opening.ends_with("\r\n") && read(peer.get(), &c, 1) == 1;) opening += c;
  static constexpr std::string_view kOk = "OK 0123456789abcdef0123456789abcdef\r\n";
  static_cast<void>(write(peer.get(), kOk.data(), kOk.size()));
}

// Writing into a closed connection must neither raise SIGPIPE in the host (which would end a
// process that has not chosen to ignore it) nor change how the host handles that signal.
TEST(DialogsOnBrokenBus, APeerThatHangsUpJustReturnsAndSigpipeIsLeftAlone) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  const std::string socket_path = dir.path() + "/bus";
  const Fd listener(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
  ASSERT_GE(listener.get(), 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socket_path.copy(address.sun_path, sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(listener.get(), reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(listener.get(), 8), 0);
  struct sigaction before {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &before), 0);
  const ScopedEnv env("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + socket_path);

  const std::string file = dir.path() + "/file.txt";
  ASSERT_TRUE(MakeFile(file));
  for (const auto& [name, ask] :
       {std::pair<const char*, void (*)(const std::string&)>{"open with", OpenWith},
        {"properties", Properties}}) {
    SCOPED_TRACE(name);
    std::thread bus([&listener] { AgreeThenHangUp(listener.get()); });
    ask(file);
    bus.join();
  }

  struct sigaction after {};
  ASSERT_EQ(sigaction(SIGPIPE, nullptr, &after), 0);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

}  // namespace
}  // namespace spellshell
