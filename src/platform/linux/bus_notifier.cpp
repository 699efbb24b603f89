#include "platform/linux/bus_notifier.h"

#include <gio/gio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/text_encoding.h"
#include "platform/linux/process_spawn.h"

namespace rizarode {
namespace {

constexpr char kTitleVariable[] = "RIZARODE_NOTICE_TITLE";
constexpr char kTextVariable[] = "RIZARODE_NOTICE_TEXT";
constexpr char kFileVariable[] = "RIZARODE_NOTICE_FILE";
constexpr char kOpenVariable[] = "RIZARODE_NOTICE_OPEN";

constexpr char kService[] = "org.freedesktop.Notifications";
constexpr char kPath[] = "/org/freedesktop/Notifications";
constexpr char kInterface[] = "org.freedesktop.Notifications";
constexpr char kOpenAction[] = "open";

// A bus or a service that takes the connection and never answers ends the
// process before it waits for an action.
constexpr unsigned kSetupSeconds = 20;
constexpr int kCallTimeoutMs = 5000;
// How long a notice's action may still open its document.
constexpr unsigned kActionWaitSeconds = 3600;

constexpr char kOwnExecutable[] = "/proc/self/exe";

std::string OwnName() {
  char path[4096];
  const ssize_t n = ::readlink(kOwnExecutable, path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<std::size_t>(n)) : "rizarode";
}

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// The program's texts are 8-bit; the bus speaks UTF-8, lines broken by LF.
std::string BusText(const std::string& text, bool markup) {
  std::string utf8 = DisplayText(text);
  if (!markup) return utf8;
  gchar* escaped = g_markup_escape_text(utf8.c_str(), -1);
  std::string result = escaped;
  g_free(escaped);
  return result;
}

std::string ExecutableOnPath(const char* name) {
  std::string path = Variable("PATH");
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(':', start);
    if (end == std::string::npos) end = path.size();
    std::string candidate = end > start ? path.substr(start, end - start) : std::string(".");
    candidate += '/';
    candidate += name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

// The desktop's viewer for the document: xdg-open where the desktop has it,
// else GIO's default application for the file's type. Not waited for.
void OpenInViewer(const std::string& file) {
  std::string opener = ExecutableOnPath("xdg-open");
  if (!opener.empty()) {
    SpawnRequest request;
    request.program = opener;
    request.arguments = {"xdg-open", file};
    request.newSession = true;
    if (Spawn(request)) return;
  }
  gchar* uri = g_filename_to_uri(file.c_str(), nullptr, nullptr);
  if (!uri) return;
  g_app_info_launch_default_for_uri(uri, nullptr, nullptr);
  g_free(uri);
}

struct Waiting {
  GMainLoop* loop = nullptr;
  guint32 id = 0;
  std::string file;
};

void OnSignal(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* signal,
              GVariant* parameters, gpointer data) {
  auto& waiting = *static_cast<Waiting*>(data);
  guint32 id = 0;
  if (std::string_view(signal) == "ActionInvoked") {
    const gchar* key = nullptr;
    g_variant_get(parameters, "(u&s)", &id, &key);
    if (id != waiting.id) return;
    if (std::string_view(key) == kOpenAction || std::string_view(key) == "default") {
      OpenInViewer(waiting.file);
    }
  } else {
    guint32 reason = 0;
    g_variant_get(parameters, "(uu)", &id, &reason);
    if (id != waiting.id) return;
  }
  g_main_loop_quit(waiting.loop);
}

gboolean OnTimeout(gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
  return G_SOURCE_REMOVE;
}

void OnClosed(GDBusConnection*, gboolean, GError*, gpointer loop) {
  g_main_loop_quit(static_cast<GMainLoop*>(loop));
}

// What the service offers: actions, and markup in the body (which then
// needs a file name's "&" and "<" escaped). False when no service answers.
bool Capabilities(GDBusConnection* bus, bool& actions, bool& markup) {
  GVariant* reply =
      g_dbus_connection_call_sync(bus, kService, kPath, kInterface, "GetCapabilities", nullptr,
                                  G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NO_AUTO_START,
                                  kCallTimeoutMs, nullptr, nullptr);
  if (!reply) return false;
  GVariantIter* iter = nullptr;
  const gchar* capability = nullptr;
  g_variant_get(reply, "(as)", &iter);
  while (g_variant_iter_next(iter, "&s", &capability)) {
    if (std::string_view(capability) == "actions") actions = true;
    if (std::string_view(capability) == "body-markup") markup = true;
  }
  g_variant_iter_free(iter);
  g_variant_unref(reply);
  return true;
}

// The session bus's address: DBUS_SESSION_BUS_ADDRESS, else the user's bus
// socket in XDG_RUNTIME_DIR; nothing when there is neither. Never starts a
// bus.
std::optional<std::string> SessionBusAddress() {
  std::string address = Variable("DBUS_SESSION_BUS_ADDRESS");
  if (!address.empty()) return address;
  std::string runtime = Variable("XDG_RUNTIME_DIR");
  if (runtime.empty()) return std::nullopt;
  std::string socket = runtime + "/bus";
  struct stat info {};
  if (::stat(socket.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) return std::nullopt;
  gchar* escaped = g_dbus_address_escape_value(socket.c_str());
  address = std::string("unix:path=") + escaped;
  g_free(escaped);
  return address;
}

}  // namespace

void BusNotifier::Show(const Notice& notice) {
  if (!SessionBusAddress()) return;
  SpawnRequest request;
  request.program = kOwnExecutable;
  request.arguments = {OwnName()};
  request.environment = {std::string(kTitleVariable) + "=" + notice.title,
                         std::string(kTextVariable) + "=" + notice.text,
                         std::string(kFileVariable) + "=" + notice.file,
                         std::string(kOpenVariable) + "=" + notice.openLabel};
  request.newSession = true;
  (void)Spawn(request);
}

std::optional<Notice> TakeNoticeRequest() {
  if (!std::getenv(kTextVariable)) return std::nullopt;
  Notice notice;
  notice.title = Variable(kTitleVariable);
  notice.text = Variable(kTextVariable);
  notice.file = Variable(kFileVariable);
  notice.openLabel = Variable(kOpenVariable);
  for (const char* name : {kTitleVariable, kTextVariable, kFileVariable, kOpenVariable}) {
    ::unsetenv(name);
  }
  return notice;
}

int RunNotice(const Notice& notice) {
  std::optional<std::string> address = SessionBusAddress();
  if (!address) return 0;
  ::alarm(kSetupSeconds);
  GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
      address->c_str(),
      static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                        G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
      nullptr, nullptr, nullptr);
  if (!bus) return 0;
  bool actions = false, markup = false;
  if (!Capabilities(bus, actions, markup)) {
    g_object_unref(bus);
    return 0;
  }
  const bool offersFile = actions && !notice.file.empty();
  Waiting waiting;
  waiting.loop = g_main_loop_new(nullptr, FALSE);
  waiting.file = notice.file;
  // Before the notice goes out: its action may come at once.
  guint subscription = g_dbus_connection_signal_subscribe(
      bus, nullptr, kInterface, nullptr, kPath, nullptr, G_DBUS_SIGNAL_FLAGS_NONE, OnSignal,
      &waiting, nullptr);

  GVariantBuilder actionList;
  g_variant_builder_init(&actionList, G_VARIANT_TYPE("as"));
  if (offersFile) {
    const std::string label = DisplayText(notice.openLabel);
    g_variant_builder_add(&actionList, "s", "default");
    g_variant_builder_add(&actionList, "s", label.c_str());
    g_variant_builder_add(&actionList, "s", kOpenAction);
    g_variant_builder_add(&actionList, "s", label.c_str());
  }
  GVariantBuilder hints;
  g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
  g_variant_builder_add(&hints, "{sv}", "category", g_variant_new_string("transfer.complete"));
  const std::string summary = DisplayText(notice.title);
  const std::string body = BusText(notice.text, markup);
  GVariant* reply = g_dbus_connection_call_sync(
      bus, kService, kPath, kInterface, "Notify",
      g_variant_new("(susssasa{sv}i)", "rizarode", 0u, "document-print", summary.c_str(),
                    body.c_str(), &actionList, &hints, -1),
      G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NO_AUTO_START, kCallTimeoutMs, nullptr, nullptr);
  if (reply) {
    g_variant_get(reply, "(u)", &waiting.id);
    g_variant_unref(reply);
  }
  if (reply && offersFile) {
    ::alarm(0);
    g_signal_connect(bus, "closed", G_CALLBACK(OnClosed), waiting.loop);
    g_timeout_add_seconds(kActionWaitSeconds, OnTimeout, waiting.loop);
    g_main_loop_run(waiting.loop);
  }
  g_dbus_connection_signal_unsubscribe(bus, subscription);
  g_main_loop_unref(waiting.loop);
  g_object_unref(bus);
  return 0;
}

}  // namespace rizarode
