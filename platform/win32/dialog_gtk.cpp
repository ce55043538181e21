// Implements: the GTK 3 dialog backend. A dialog is a GtkWindow holding a GtkFixed, with one
// widget per control at its template rectangle in pixels: push buttons, radio buttons (each
// alone in its GTK group; the model keeps the Windows group), frames for group boxes, labels
// for statics (a sunken static is framed, and whatever GDI painted into its window shows
// under its text) and scales for trackbars. Dialog units come from the template's font as
// Windows computes them (average width of the Latin letters, height of the font); the font
// name falls back through fontconfig to an installed Japanese gothic font. Enter presses the
// focused push button or else the default button, Escape is IDCANCEL and the close box
// WM_CLOSE; the window's activation becomes WM_ACTIVATE.
// Leaves out: keyboard mnemonics, arrow keys inside radio groups, DS_SETFOREGROUND, moving
// the dialog by program.
#include <gtk/gtk.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "choosers_gtk.h"
#include "dialog_backend.h"
#include "dialog_model.h"
#include "gtk_session.h"
#include "window.h"
#include "window_table.h"

namespace standin {
namespace {

constexpr const char kFallbackFonts[] = "IPAPGothic, IPAGothic, Noto Sans CJK JP, sans-serif";
constexpr const char kLatinLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

struct ShownDialog {
  HWND handle = nullptr;
  GtkWidget* window = nullptr;
  std::map<int, GtkWidget*> widgets;   // by control index
  std::map<int, GtkWidget*> labels;    // statics' labels, by control index
  std::map<int, GtkWidget*> pictures;  // statics' painted pictures, by control index
  // A hidden radio button per radio group, active while none of the group is checked: a GTK
  // group always has one active member, a Windows group may have none.
  std::map<int, GtkWidget*> groupAnchors;  // by the index of the group's first control
  std::map<int, int> groupOf;              // radio index to its group's first control
  bool syncing = false;                    // set while the model's state is copied into the widgets
};

constexpr const char kQuotedFallbackFonts[] = "\"IPAPGothic\", \"IPAGothic\", \"Noto Sans CJK JP\", sans-serif";

std::string FontFamilies(const DialogTemplate& layout) {
  return layout.fontName.empty() ? kFallbackFonts : layout.fontName + ", " + kFallbackFonts;
}

// The same list as a style sheet writes it: names in quotes.
std::string QuotedFontFamilies(const DialogTemplate& layout) {
  return layout.fontName.empty() ? kQuotedFallbackFonts : "\"" + layout.fontName + "\", " + kQuotedFallbackFonts;
}

int FontPoints(const DialogTemplate& layout) { return layout.fontPoints > 0 ? layout.fontPoints : 9; }

// A style sheet that lets controls be as small as dialog templates make them, in the
// dialog's font.
void ApplyStyle(GtkWidget* window, const DialogTemplate& layout) {
  const std::string css = "* { font-family: " + QuotedFontFamilies(layout) +
                          "; font-size: " + std::to_string(FontPoints(layout)) +
                          "pt; }\n"
                          "button { padding: 0 2px; min-height: 0; min-width: 0; }\n"
                          "scale { padding: 2px 0; min-height: 0; }\n"
                          "scale slider { min-width: 10px; min-height: 14px; margin: -6px 0; }\n"
                          "radio { margin-right: 3px; }\n"
                          "frame > label { padding: 0 2px; }\n";
  GtkCssProvider* provider = gtk_css_provider_new();
  gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
  gtk_style_context_add_provider_for_screen(gtk_widget_get_screen(window), GTK_STYLE_PROVIDER(provider),
                                            GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
  g_object_unref(provider);
}

Dialog* ModelOf(const ShownDialog* shown) {
  Dialog* dialog = FindDialog(shown->handle);
  return dialog != nullptr && !dialog->ended ? dialog : nullptr;
}

struct ControlSignal {
  ShownDialog* shown;
  int index;
};

void ControlClicked(GtkWidget* widget, gpointer data) {
  const auto* signal = static_cast<ControlSignal*>(data);
  Dialog* dialog = ModelOf(signal->shown);
  if (dialog == nullptr || signal->shown->syncing) return;
  // A radio button that GTK unchecks because another one was checked: the model does that.
  if (GTK_IS_TOGGLE_BUTTON(widget) && !gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget))) return;
  ClickControl(*dialog, dialog->controls[static_cast<size_t>(signal->index)].id);
}

void ScaleMoved(GtkRange* range, gpointer data) {
  const auto* signal = static_cast<ControlSignal*>(data);
  Dialog* dialog = ModelOf(signal->shown);
  if (dialog == nullptr || signal->shown->syncing) return;
  const int position = static_cast<int>(gtk_range_get_value(range) + 0.5);
  MoveTrackbar(*dialog, dialog->controls[static_cast<size_t>(signal->index)].id, position);
}

// What GDI painted into the static's window, under its text.
gboolean DrawPicture(GtkWidget*, cairo_t* cairo, gpointer data) {
  const auto* signal = static_cast<ControlSignal*>(data);
  Dialog* dialog = FindDialog(signal->shown->handle);
  if (dialog == nullptr) return FALSE;
  const Window* window = FindOwnWindow(dialog->controls[static_cast<size_t>(signal->index)].handle);
  if (window == nullptr || window->picture.pixels.empty()) return FALSE;
  const WindowPicture& picture = window->picture;
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(picture.pixels.data())), CAIRO_FORMAT_RGB24, picture.width,
      picture.height, picture.width * 4);
  cairo_set_source_surface(cairo, surface, 0, 0);
  cairo_paint(cairo);
  cairo_surface_destroy(surface);
  return FALSE;
}

gboolean KeyPressed(GtkWidget* window, GdkEventKey* event, gpointer data) {
  auto* shown = static_cast<ShownDialog*>(data);
  Dialog* dialog = ModelOf(shown);
  if (dialog == nullptr) return FALSE;
  if (event->keyval == GDK_KEY_Escape) {
    PressEscape(*dialog);
    return TRUE;
  }
  if (event->keyval != GDK_KEY_Return && event->keyval != GDK_KEY_KP_Enter) return FALSE;
  GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
  if (focus != nullptr && GTK_IS_BUTTON(focus) && !GTK_IS_TOGGLE_BUTTON(focus)) {
    gtk_button_clicked(GTK_BUTTON(focus));
  } else {
    PressEnter(*dialog);
  }
  return TRUE;
}

gboolean CloseRequested(GtkWidget*, GdkEvent*, gpointer data) {
  Dialog* dialog = ModelOf(static_cast<ShownDialog*>(data));
  if (dialog != nullptr) PressCloseBox(*dialog);
  return TRUE;  // the dialog ends through the model, never by GTK alone
}

void ActivityChanged(GObject* window, GParamSpec*, gpointer data) {
  Dialog* dialog = ModelOf(static_cast<ShownDialog*>(data));
  if (dialog != nullptr) Activate(*dialog, gtk_window_is_active(GTK_WINDOW(window)) != FALSE);
}

GtkWidget* StaticWidget(ShownDialog& shown, const DialogControl& control, ControlSignal* signal, int index) {
  GtkWidget* overlay = gtk_overlay_new();
  GtkWidget* picture = gtk_drawing_area_new();
  g_signal_connect(picture, "draw", G_CALLBACK(DrawPicture), signal);
  gtk_container_add(GTK_CONTAINER(overlay), picture);
  GtkWidget* label = gtk_label_new(control.textUtf8.c_str());
  const DWORD alignment = control.style & SS_TYPEMASK;
  gtk_label_set_xalign(GTK_LABEL(label), alignment == SS_CENTER ? 0.5f : alignment == SS_RIGHT ? 1.0f : 0.0f);
  gtk_label_set_yalign(GTK_LABEL(label), (control.style & SS_CENTERIMAGE) != 0 ? 0.5f : 0.0f);
  if (alignment == SS_LEFT) {
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_line_wrap_mode(GTK_LABEL(label), PANGO_WRAP_WORD_CHAR);
  }
  gtk_overlay_add_overlay(GTK_OVERLAY(overlay), label);
  shown.labels[index] = label;
  shown.pictures[index] = picture;
  if ((control.style & SS_SUNKEN) == 0) return overlay;
  GtkWidget* frame = gtk_frame_new(nullptr);
  gtk_frame_set_shadow_type(GTK_FRAME(frame), GTK_SHADOW_IN);
  gtk_container_add(GTK_CONTAINER(frame), overlay);
  return frame;
}

GtkWidget* ControlWidget(ShownDialog& shown, const DialogControl& control, ControlSignal* signal, int index) {
  const char* text = control.textUtf8.c_str();
  switch (control.kind) {
    case ControlKind::kPushButton: {
      GtkWidget* button = gtk_button_new_with_label(text);
      g_signal_connect(button, "clicked", G_CALLBACK(ControlClicked), signal);
      return button;
    }
    case ControlKind::kRadioButton: {
      GtkWidget*& anchor = shown.groupAnchors[shown.groupOf[index]];
      if (anchor == nullptr) {
        anchor = gtk_radio_button_new(nullptr);
        g_object_ref_sink(anchor);
      }
      GtkWidget* radio = gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(anchor), text);
      g_signal_connect(radio, "toggled", G_CALLBACK(ControlClicked), signal);
      return radio;
    }
    case ControlKind::kGroupBox:
      return gtk_frame_new(text);
    case ControlKind::kStatic:
      return StaticWidget(shown, control, signal, index);
    case ControlKind::kTrackbar: {
      GtkWidget* scale = gtk_scale_new_with_range(GTK_ORIENTATION_HORIZONTAL, 0, 100, 1);
      gtk_scale_set_draw_value(GTK_SCALE(scale), FALSE);
      g_signal_connect(scale, "value-changed", G_CALLBACK(ScaleMoved), signal);
      return scale;
    }
    case ControlKind::kOther:
      return gtk_label_new(text);
  }
  return nullptr;
}

void Synchronise(ShownDialog& shown, Dialog& dialog) {
  shown.syncing = true;
  for (auto& [first, anchor] : shown.groupAnchors) {
    bool anyChecked = false;
    for (auto& [index, group] : shown.groupOf) {
      anyChecked = anyChecked || (group == first && dialog.controls[static_cast<size_t>(index)].checked);
    }
    if (!anyChecked) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(anchor), TRUE);
  }
  for (auto& [index, widget] : shown.widgets) {
    const DialogControl& control = dialog.controls[static_cast<size_t>(index)];
    if (control.kind == ControlKind::kRadioButton) {
      if (control.checked) gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget), TRUE);
    } else if (control.kind == ControlKind::kTrackbar) {
      const double low = std::min(control.rangeMinimum, control.rangeMaximum);
      const double high = std::max(control.rangeMinimum, control.rangeMaximum);
      gtk_range_set_range(GTK_RANGE(widget), low, high > low ? high : low + 1);
      gtk_range_set_value(GTK_RANGE(widget), control.position);
    } else if (control.kind == ControlKind::kPushButton) {
      gtk_button_set_label(GTK_BUTTON(widget), control.textUtf8.c_str());
    }
  }
  for (auto& [index, label] : shown.labels) {
    const std::string& text = dialog.controls[static_cast<size_t>(index)].textUtf8;
    if (text != gtk_label_get_text(GTK_LABEL(label))) gtk_label_set_text(GTK_LABEL(label), text.c_str());
  }
  for (auto& [index, picture] : shown.pictures) gtk_widget_queue_draw(picture);
  shown.syncing = false;
}

class GtkDialogs : public DialogBackend {
 public:
  DialogUnits UnitsFor(const DialogTemplate& layout) override {
    PangoContext* context = gdk_pango_context_get();
    PangoFontDescription* font =
        pango_font_description_from_string((FontFamilies(layout) + " " + std::to_string(FontPoints(layout))).c_str());
    PangoLayout* text = pango_layout_new(context);
    pango_layout_set_font_description(text, font);
    pango_layout_set_text(text, kLatinLetters, -1);
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(text, &width, &height);
    g_object_unref(text);
    pango_font_description_free(font);
    g_object_unref(context);
    const int letters = static_cast<int>(sizeof kLatinLetters - 1);
    DialogUnits units;
    if (width > 0 && height > 0) units = DialogUnits{(width + letters / 2) / letters, height};
    return units;
  }

  void Run(Dialog& dialog) override {
    auto shown = std::make_unique<ShownDialog>();
    shown->handle = dialog.handle;
    std::vector<std::unique_ptr<ControlSignal>> signals;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    shown->window = window;
    ApplyStyle(window, dialog.layout);
    gtk_window_set_title(GTK_WINDOW(window), dialog.layout.caption.c_str());
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    gtk_window_set_modal(GTK_WINDOW(window), TRUE);
    gtk_window_set_type_hint(GTK_WINDOW(window), GDK_WINDOW_TYPE_HINT_DIALOG);
    GtkWindow* owner = WindowOf(dialog.owner);
    if (owner != nullptr) gtk_window_set_transient_for(GTK_WINDOW(window), owner);
    gtk_window_set_position(GTK_WINDOW(window), owner != nullptr && (dialog.layout.style & DS_CENTER) == 0
                                                    ? GTK_WIN_POS_CENTER_ON_PARENT
                                                    : GTK_WIN_POS_CENTER);
    int groupStart = 0;
    for (size_t index = 0; index < dialog.controls.size(); ++index) {
      if ((dialog.controls[index].style & WS_GROUP) != 0) groupStart = static_cast<int>(index);
      if (dialog.controls[index].kind == ControlKind::kRadioButton) {
        shown->groupOf[static_cast<int>(index)] = groupStart;
      }
    }
    GtkWidget* fixed = gtk_fixed_new();
    gtk_widget_set_size_request(fixed, dialog.clientWidth, dialog.clientHeight);
    gtk_container_add(GTK_CONTAINER(window), fixed);
    // Group boxes first, so that they lie under the controls they hold.
    for (const bool groups : {true, false}) {
      for (size_t index = 0; index < dialog.controls.size(); ++index) {
        const DialogControl& control = dialog.controls[index];
        if ((control.kind == ControlKind::kGroupBox) != groups) continue;
        signals.push_back(std::make_unique<ControlSignal>(ControlSignal{shown.get(), static_cast<int>(index)}));
        GtkWidget* widget = ControlWidget(*shown, control, signals.back().get(), static_cast<int>(index));
        gtk_widget_set_size_request(widget, control.bounds.right - control.bounds.left,
                                    control.bounds.bottom - control.bounds.top);
        gtk_fixed_put(GTK_FIXED(fixed), widget, control.bounds.left, control.bounds.top);
        if ((control.style & WS_VISIBLE) == 0) gtk_widget_set_no_show_all(widget, TRUE);
        shown->widgets[static_cast<int>(index)] = widget;
        if (control.kind == ControlKind::kPushButton && (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
          gtk_widget_set_can_default(widget, TRUE);
          gtk_window_set_default(GTK_WINDOW(window), widget);
        }
      }
    }
    g_signal_connect(window, "key-press-event", G_CALLBACK(KeyPressed), shown.get());
    g_signal_connect(window, "delete-event", G_CALLBACK(CloseRequested), shown.get());
    g_signal_connect(window, "notify::is-active", G_CALLBACK(ActivityChanged), shown.get());
    shownDialogs_[dialog.handle] = shown.get();
    Synchronise(*shown, dialog);
    gtk_widget_show_all(window);
    // As the dialog manager does when WM_INITDIALOG returns TRUE: the first tab stop has focus.
    for (size_t index = 0; index < dialog.controls.size(); ++index) {
      if ((dialog.controls[index].style & WS_TABSTOP) == 0) continue;
      gtk_widget_grab_focus(shown->widgets[static_cast<int>(index)]);
      break;
    }

    const HWND handle = dialog.handle;
    ShowDialog(dialog);
    for (;;) {
      Dialog* open = FindDialog(handle);
      if (open == nullptr || open->ended) break;
      gtk_main_iteration_do(TRUE);
    }
    shownDialogs_.erase(handle);
    gtk_widget_destroy(window);
    for (auto& [first, anchor] : shown->groupAnchors) g_object_unref(anchor);
    while (gtk_events_pending()) gtk_main_iteration();
  }

  void Refresh(Dialog& dialog) override {
    auto found = shownDialogs_.find(dialog.handle);
    if (found != shownDialogs_.end()) Synchronise(*found->second, dialog);
  }

  bool ChooseColour(HWND owner, COLORREF* colour) override { return ChooseColourWithGtk(WindowOf(owner), colour); }

  bool ChooseFile(HWND owner, const std::string& titleUtf8, const std::vector<FileFilter>& filters, size_t firstFilter,
                  std::string* path) override {
    return ChooseFileWithGtk(WindowOf(owner), titleUtf8, filters, firstFilter, path);
  }

 private:
  GtkWindow* WindowOf(HWND handle) {
    auto found = shownDialogs_.find(handle);
    return found != shownDialogs_.end() ? GTK_WINDOW(found->second->window) : nullptr;
  }

  std::map<HWND, ShownDialog*> shownDialogs_;
};

}  // namespace

std::unique_ptr<DialogBackend> CreateGtkDialogs() {
  if (!GtkAvailable()) return nullptr;
  return std::make_unique<GtkDialogs>();
}

}  // namespace standin
