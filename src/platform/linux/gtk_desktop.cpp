#include "platform/linux/gtk_desktop.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <cmath>

#include "base/text_encoding.h"
#include "platform/linux/detached_box_process.h"
#include "platform/linux/program_icon.h"
#include "platform/status_window_design.h"

namespace rizarode {
namespace {

// The window's default font, as it was designed, with what stands in for it
// where it is not installed.
constexpr char kDefaultFamilies[] = "MS Sans Serif,Microsoft Sans Serif,Liberation Sans,Sans";
constexpr double kDefaultPoints = 8.0;
// How much smaller each try at fitting a centred text is.
constexpr double kFitStepPoints = 0.5;
// The most events one DoEvents runs, so that a source that is always ready
// cannot hold start-up.
constexpr int kMostEventsAtOnce = 1000;

GtkMessageType MessageType(int style) {
  switch (style & 0x70) {
    case kMbIconCritical: return GTK_MESSAGE_ERROR;
    case kMbIconQuestion: return GTK_MESSAGE_QUESTION;
    case kMbIconExclamation: return GTK_MESSAGE_WARNING;
    case kMbIconInformation: return GTK_MESSAGE_INFO;
    default: return GTK_MESSAGE_OTHER;
  }
}

bool IsYesNo(int style) { return (style & 7) == kMbYesNo; }

int ButtonFor(int response, bool yesNo) {
  switch (response) {
    case GTK_RESPONSE_YES: return kIdYes;
    case GTK_RESPONSE_NO: return kIdNo;
    case GTK_RESPONSE_OK: return kIdOk;
    default: return yesNo ? kIdNo : kIdOk;  // closed without a button
  }
}

std::string FontFamilies(const LabelDesign& design) {
  std::string family = design.fontFamily;
  if (family.empty()) return kDefaultFamilies;
  if (family == "Arial") return "Arial,Liberation Sans,Sans";
  return family + ",Microsoft Sans Serif,Liberation Sans,Sans";
}

double DesignedPoints(const LabelDesign& design) {
  return design.points > 0 ? design.points : kDefaultPoints;
}

void SetLabelFont(GtkWidget* label, const LabelDesign& design, double points) {
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, FontFamilies(design).c_str());
  pango_font_description_set_weight(font, design.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_size(font, static_cast<int>(std::lround(points * PANGO_SCALE)));
  PangoAttrList* attributes = pango_attr_list_new();
  pango_attr_list_insert(attributes, pango_attr_font_desc_new(font));
  gtk_label_set_attributes(GTK_LABEL(label), attributes);
  pango_attr_list_unref(attributes);
  pango_font_description_free(font);
}

// A centred text in the largest size, from the designed one down, at which
// it fits its label: where the face that stands in for the designed one is
// wider, the heading would otherwise run over the window's edge.
void FitCentredText(GtkWidget* label, const LabelDesign& design, int width) {
  double points = DesignedPoints(design);
  for (;;) {
    SetLabelFont(label, design, points);
    int textWidth = 0;
    pango_layout_get_pixel_size(gtk_label_get_layout(GTK_LABEL(label)), &textWidth, nullptr);
    if (textWidth <= width || points <= kDefaultPoints) return;
    points -= kFitStepPoints;
  }
}

// The program's icon in every size it comes in, for the window manager to
// choose from. A size that does not load is left out.
GList* IconImages() {
  GList* images = nullptr;
  for (const IconImage& image : ProgramIcon()) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("png", nullptr);
    if (!loader) break;
    const bool written = gdk_pixbuf_loader_write(loader, image.png, image.bytes, nullptr);
    const bool closed = gdk_pixbuf_loader_close(loader, nullptr);  // also after a failed write
    GdkPixbuf* pixbuf = written && closed ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (pixbuf) images = g_list_append(images, g_object_ref(pixbuf));
    g_object_unref(loader);
  }
  return images;
}

GdkRectangle MonitorArea(GtkWidget* window) {
  GdkDisplay* display = gtk_widget_get_display(window);
  GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
  if (!monitor) monitor = gdk_display_get_monitor(display, 0);
  GdkRectangle area{0, 0, 640, 480};
  if (monitor) gdk_monitor_get_geometry(monitor, &area);
  return area;
}

// One open message box: its answer and the pending call of the hook.
struct OpenBox {
  GtkDesktop* desktop;
  GtkWidget* dialog;
  const std::function<void(GtkWidget*)>* hook;
  int response = GTK_RESPONSE_NONE;
  bool answered = false;
  guint hookSource = 0;
};

void OnResponse(GtkDialog*, gint response, gpointer data) {
  auto* box = static_cast<OpenBox*>(data);
  box->response = response;
  box->answered = true;
}

gboolean CallDialogHook(gpointer data) {
  auto* box = static_cast<OpenBox*>(data);
  box->hookSource = 0;
  box->desktop->RunHandler([box] { (*box->hook)(box->dialog); });
  return G_SOURCE_REMOVE;
}

}  // namespace

// ---- the desktop ----

struct GtkDesktop::Callbacks {
  static gboolean Interrupt(gpointer data) {
    static_cast<GtkDesktop*>(data)->OnSignal(SIGINT);
    return G_SOURCE_CONTINUE;
  }
  static gboolean Terminate(gpointer data) {
    static_cast<GtkDesktop*>(data)->OnSignal(SIGTERM);
    return G_SOURCE_CONTINUE;
  }
  static gboolean HangUp(gpointer data) {
    static_cast<GtkDesktop*>(data)->OnSignal(SIGHUP);
    return G_SOURCE_CONTINUE;
  }
};

bool GtkDesktop::OpenDisplay() {
  static const bool opened = [] {
    // Number formats follow the locale the program chose, not GTK's.
    gtk_disable_setlocale();
    // The window list works through Xlib on the same display.
    gdk_set_allowed_backends("x11");
    return gtk_init_check(nullptr, nullptr) != FALSE;
  }();
  return opened;
}

GtkDesktop::GtkDesktop(std::string initialCaption)
    : initialCaption_(std::move(initialCaption)) {
  GList* icon = IconImages();
  gtk_window_set_default_icon_list(icon);
  g_list_free_full(icon, g_object_unref);
}

GtkDesktop::~GtkDesktop() { UnwatchSignals(); }

void GtkDesktop::RunHandler(const std::function<void()>& handler) noexcept {
  if (pending_) return;
  try {
    handler();
  } catch (...) {
    if (!pending_) pending_ = std::current_exception();
  }
}

void GtkDesktop::RethrowPending() {
  if (!pending_) return;
  std::exception_ptr pending = pending_;
  pending_ = nullptr;
  std::rethrow_exception(pending);
}

int GtkDesktop::MessageBox(const std::string& text, int style,
                           const std::string& title) {
  GtkWindow* parent = nullptr;
  if (view_ && view_->Visible() && view_->State() == WindowState::kNormal) {
    parent = GTK_WINDOW(view_->Window());
  }
  const bool yesNo = IsYesNo(style);
  GtkWidget* dialog = gtk_message_dialog_new(
      parent, GTK_DIALOG_MODAL, MessageType(style),
      yesNo ? GTK_BUTTONS_YES_NO : GTK_BUTTONS_OK, "%s", DisplayText(text).c_str());
  gtk_window_set_title(GTK_WINDOW(dialog), DisplayText(title).c_str());
  gtk_window_set_position(GTK_WINDOW(dialog),
                          parent ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
  // The status window is mostly hidden, and the host application's window is
  // in front: the box must not open behind it.
  gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);

  OpenBox box{this, dialog, &dialogShown_};
  g_signal_connect(dialog, "response", G_CALLBACK(OnResponse), &box);
  gtk_widget_show(dialog);
  if (dialogShown_) box.hookSource = g_idle_add(CallDialogHook, &box);

  ++modalDepth_;
  while (!box.answered && !pending_) g_main_context_iteration(nullptr, TRUE);
  --modalDepth_;
  if (box.hookSource != 0) g_source_remove(box.hookSource);
  gtk_widget_destroy(dialog);
  RethrowPending();
  return ButtonFor(box.response, yesNo);
}

void GtkDesktop::Notify(const std::string& text, const std::string& title) {
  if (!StartDetachedBox(DetachedBox{text, title})) Desktop::Notify(text, title);
}

void GtkDesktop::DoEvents() {
  gdk_display_flush(gdk_display_get_default());
  for (int i = 0; i < kMostEventsAtOnce && !pending_ && g_main_context_pending(nullptr); ++i) {
    g_main_context_iteration(nullptr, FALSE);
  }
  RethrowPending();
}

std::unique_ptr<StatusWindowView> GtkDesktop::CreateStatusWindow(
    StatusWindowEvents& events) {
  auto view = std::make_unique<GtkStatusWindowView>(*this, events, initialCaption_);
  view_ = view.get();
  events_ = &events;
  WatchSignals();
  return view;
}

void GtkDesktop::RunEventLoop() {
  for (;;) {
    RethrowPending();
    g_main_context_iteration(nullptr, TRUE);
  }
}

void GtkDesktop::SetDialogShownHook(std::function<void(GtkWidget*)> hook) {
  dialogShown_ = std::move(hook);
}

void GtkDesktop::WatchSignals() {
  UnwatchSignals();
  signalSources_[0] = g_unix_signal_add(SIGINT, Callbacks::Interrupt, this);
  signalSources_[1] = g_unix_signal_add(SIGTERM, Callbacks::Terminate, this);
  signalSources_[2] = g_unix_signal_add(SIGHUP, Callbacks::HangUp, this);
}

void GtkDesktop::UnwatchSignals() {
  for (unsigned& source : signalSources_) {
    if (source != 0) g_source_remove(source);
    source = 0;
  }
}

void GtkDesktop::OnSignal(int signal) {
  if (!events_) return;
  StatusWindowEvents& events = *events_;
  if (signal == SIGINT) {
    // Like the close button, which a message box on the screen disables.
    if (InModalBox()) return;
    RunHandler([&events] {
      bool cancel = false;
      events.Form_QueryUnload(cancel, kUnloadControlMenu);
      if (!cancel) events.Form_Unload();
    });
    return;
  }
  RunHandler([&events] {
    bool cancel = false;
    events.Form_QueryUnload(cancel, kUnloadSessionEnd);
    if (!cancel) events.Form_Unload();
  });
}

// ---- the status window ----

struct GtkStatusWindowView::Callbacks {
  static gboolean Delete(GtkWidget*, GdkEvent*, gpointer self) {
    static_cast<GtkStatusWindowView*>(self)->CloseRequested();
    return TRUE;  // the window itself is never destroyed by a close
  }
  static gboolean StateChanged(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* self = static_cast<GtkStatusWindowView*>(data);
    // A hidden window reports withdrawal, not a state the user chose.
    if (!gtk_widget_get_visible(self->window_) ||
        (event->new_window_state & GDK_WINDOW_STATE_WITHDRAWN)) {
      return FALSE;
    }
    if (event->changed_mask & (GDK_WINDOW_STATE_ICONIFIED | GDK_WINDOW_STATE_MAXIMIZED)) {
      if (event->new_window_state & GDK_WINDOW_STATE_ICONIFIED) {
        self->state_ = WindowState::kMinimized;
      } else if (event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) {
        self->state_ = WindowState::kMaximized;
      } else {
        self->state_ = WindowState::kNormal;
      }
    }
    return FALSE;
  }
  static gboolean Tick(gpointer data) {
    auto* self = static_cast<GtkStatusWindowView*>(data);
    self->desktop_.RunHandler([self] { self->events_.timClock_Timer(); });
    return G_SOURCE_CONTINUE;
  }
};

GtkStatusWindowView::GtkStatusWindowView(GtkDesktop& desktop,
                                         StatusWindowEvents& events,
                                         const std::string& initialCaption)
    : desktop_(desktop), events_(events), caption_(initialCaption) {
  double resolution = gdk_screen_get_resolution(gdk_screen_get_default());
  if (resolution > 0) dpi_ = resolution;

  window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
  gtk_window_set_title(GTK_WINDOW(window_), DisplayText(caption_).c_str());
  gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
  BuildLabels();
  g_signal_connect(window_, "delete-event", G_CALLBACK(Callbacks::Delete), this);
  g_signal_connect(window_, "window-state-event", G_CALLBACK(Callbacks::StateChanged), this);
}

GtkStatusWindowView::~GtkStatusWindowView() {
  SetTimerEnabled(false);
  if (desktop_.view_ == this) {
    desktop_.UnwatchSignals();
    desktop_.view_ = nullptr;
    desktop_.events_ = nullptr;
  }
  gtk_widget_destroy(window_);
}

void GtkStatusWindowView::BuildLabels() {
  GtkWidget* client = gtk_fixed_new();
  gtk_widget_set_size_request(client, Pixels(kStatusClientWidth), Pixels(kStatusClientHeight));
  gtk_container_add(GTK_CONTAINER(window_), client);
  for (const LabelDesign& design : kStatusWindowDesign) {
    const LabelBox box = PlacedBox(design);
    GtkWidget* label = gtk_label_new("");
    gtk_widget_set_size_request(label, Pixels(box.width), Pixels(box.height));
    gtk_label_set_xalign(GTK_LABEL(label), design.centred ? 0.5f : 0.0f);
    gtk_label_set_yalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_justify(GTK_LABEL(label), design.centred ? GTK_JUSTIFY_CENTER : GTK_JUSTIFY_LEFT);
    // Run-time texts (printer names, status texts) may be longer than the
    // label; they are cut with an ellipsis and never widen the window (nor
    // make it wait for the window manager to resize it before painting).
    if (!design.centred) {
      gtk_label_set_ellipsize(GTK_LABEL(label), PANGO_ELLIPSIZE_END);
      gtk_label_set_max_width_chars(GTK_LABEL(label), 1);
    }
    SetLabelFont(label, design, DesignedPoints(design));
    gtk_fixed_put(GTK_FIXED(client), label, Pixels(box.left), Pixels(box.top));
    labels_[static_cast<int>(design.label)] = label;
    designs_[static_cast<int>(design.label)] = &design;
  }
  gtk_widget_show_all(client);
}

void GtkStatusWindowView::CloseRequested() {
  if (desktop_.InModalBox()) return;
  desktop_.RunHandler([this] {
    bool cancel = false;
    events_.Form_QueryUnload(cancel, kUnloadControlMenu);
    if (!cancel) events_.Form_Unload();
  });
}

GtkWidget* GtkStatusWindowView::LabelWidget(StatusLabel label) const {
  return labels_[static_cast<int>(label)];
}

int GtkStatusWindowView::Pixels(int twips) const {
  return static_cast<int>(std::lround(twips * dpi_ / 1440.0));
}

int GtkStatusWindowView::Twips(int pixels) const {
  return static_cast<int>(std::lround(pixels * 1440.0 / dpi_));
}

void GtkStatusWindowView::SetLabel(StatusLabel label, const std::string& text) {
  const int index = static_cast<int>(label);
  texts_[index] = text;
  gtk_label_set_text(GTK_LABEL(labels_[index]), DisplayText(text).c_str());
  const LabelDesign& design = *designs_[index];
  if (design.centred) FitCentredText(labels_[index], design, Pixels(PlacedBox(design).width));
}

std::string GtkStatusWindowView::Label(StatusLabel label) const {
  return texts_[static_cast<int>(label)];
}

void GtkStatusWindowView::SetCaption(const std::string& caption) {
  caption_ = caption;
  gtk_window_set_title(GTK_WINDOW(window_), DisplayText(caption).c_str());
}

std::string GtkStatusWindowView::Caption() const { return caption_; }

// Lays out and paints what changed without running the event loop, so that
// no timer tick or close request can slip in while the caller works on.
void GtkStatusWindowView::Repaint() {
  if (!gtk_widget_get_mapped(window_)) return;
  gtk_container_check_resize(GTK_CONTAINER(window_));
  G_GNUC_BEGIN_IGNORE_DEPRECATIONS
  gdk_window_process_updates(gtk_widget_get_window(window_), TRUE);
  G_GNUC_END_IGNORE_DEPRECATIONS
  gdk_display_flush(gtk_widget_get_display(window_));
}

void GtkStatusWindowView::Show() { gtk_widget_show(window_); }

void GtkStatusWindowView::Hide() { gtk_widget_hide(window_); }

bool GtkStatusWindowView::Visible() const { return gtk_widget_get_visible(window_); }

void GtkStatusWindowView::SetState(WindowState state) {
  state_ = state;
  GtkWindow* window = GTK_WINDOW(window_);
  switch (state) {
    case WindowState::kMinimized:
      gtk_window_iconify(window);
      break;
    case WindowState::kMaximized:
      gtk_window_deiconify(window);
      gtk_window_maximize(window);
      break;
    case WindowState::kNormal:
      gtk_window_deiconify(window);
      gtk_window_unmaximize(window);
      break;
  }
}

WindowState GtkStatusWindowView::State() const { return state_; }

int GtkStatusWindowView::ScreenWidth() const { return Twips(MonitorArea(window_).width); }

int GtkStatusWindowView::ScreenHeight() const { return Twips(MonitorArea(window_).height); }

// The outer size with the frame once the window is on the screen; before,
// the size it will ask for.
int GtkStatusWindowView::WindowWidth() const {
  if (gtk_widget_get_mapped(window_)) {
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gtk_widget_get_window(window_), &frame);
    return Twips(frame.width);
  }
  int width = 0, height = 0;
  gtk_window_get_size(GTK_WINDOW(window_), &width, &height);
  return Twips(width);
}

int GtkStatusWindowView::WindowHeight() const {
  if (gtk_widget_get_mapped(window_)) {
    GdkRectangle frame{};
    gdk_window_get_frame_extents(gtk_widget_get_window(window_), &frame);
    return Twips(frame.height);
  }
  int width = 0, height = 0;
  gtk_window_get_size(GTK_WINDOW(window_), &width, &height);
  return Twips(height);
}

void GtkStatusWindowView::Move(int left, int top) {
  gtk_window_move(GTK_WINDOW(window_), Pixels(left), Pixels(top));
}

int GtkStatusWindowView::TimerInterval() const { return 1000; }

void GtkStatusWindowView::SetTimerEnabled(bool enabled) {
  if (enabled && timerSource_ == 0) {
    timerSource_ = g_timeout_add(static_cast<guint>(TimerInterval()), Callbacks::Tick, this);
  } else if (!enabled && timerSource_ != 0) {
    g_source_remove(timerSource_);
    timerSource_ = 0;
  }
}

bool GtkStatusWindowView::TimerEnabled() const { return timerSource_ != 0; }

}  // namespace rizarode
