// Implements: the GTK 3 colour chooser (opening with the given colour, without alpha) and the
// file chooser for opening one file, with the caller's filters (patterns matched in either
// case) and a preview of the picture that is selected, as far as GdkPixbuf reads it.
// Leaves out: custom colours, several files, remembering the last folder.
#include "choosers_gtk.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace standin {
namespace {

constexpr int kPreviewSide = 180;

double Channel(int value) { return value / 255.0; }
int Byte(double channel) { return static_cast<int>(std::lround(std::clamp(channel, 0.0, 1.0) * 255.0)); }

void FinishDialog(GtkWidget* dialog) {
  gtk_widget_destroy(dialog);
  while (gtk_events_pending()) gtk_main_iteration();
}

// GTK's patterns are case-sensitive; Windows' are not.
void AddPattern(GtkFileFilter* filter, const std::string& pattern) {
  std::string lower = pattern;
  std::string upper = pattern;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  gtk_file_filter_add_pattern(filter, lower.c_str());
  if (upper != lower) gtk_file_filter_add_pattern(filter, upper.c_str());
}

void UpdatePreview(GtkFileChooser* chooser, gpointer data) {
  GtkWidget* image = GTK_WIDGET(data);
  char* file = gtk_file_chooser_get_preview_filename(chooser);
  GdkPixbuf* picture = nullptr;
  if (file != nullptr) {
    picture = gdk_pixbuf_new_from_file_at_size(file, kPreviewSide, kPreviewSide, nullptr);
    g_free(file);
  }
  gtk_image_set_from_pixbuf(GTK_IMAGE(image), picture);
  if (picture != nullptr) g_object_unref(picture);
  gtk_file_chooser_set_preview_widget_active(chooser, picture != nullptr);
}

}  // namespace

bool ChooseColourWithGtk(GtkWindow* parent, COLORREF* colour) {
  GtkWidget* dialog = gtk_color_chooser_dialog_new(nullptr, parent);
  gtk_color_chooser_set_use_alpha(GTK_COLOR_CHOOSER(dialog), FALSE);
  const GdkRGBA start{Channel(GetRValue(*colour)), Channel(GetGValue(*colour)), Channel(GetBValue(*colour)), 1.0};
  gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(dialog), &start);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  const bool confirmed = gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK;
  if (confirmed) {
    GdkRGBA chosen;
    gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(dialog), &chosen);
    *colour = RGB(Byte(chosen.red), Byte(chosen.green), Byte(chosen.blue));
  }
  FinishDialog(dialog);
  return confirmed;
}

bool ChooseFileWithGtk(GtkWindow* parent, const std::string& titleUtf8, const std::vector<FileFilter>& filters,
                       size_t firstFilter, std::string* path) {
  GtkWidget* dialog =
      gtk_file_chooser_dialog_new(titleUtf8.empty() ? nullptr : titleUtf8.c_str(), parent, GTK_FILE_CHOOSER_ACTION_OPEN,
                                  "_Cancel", GTK_RESPONSE_CANCEL, "_Open", GTK_RESPONSE_ACCEPT, nullptr);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  for (size_t index = 0; index < filters.size(); ++index) {
    GtkFileFilter* filter = gtk_file_filter_new();
    gtk_file_filter_set_name(filter, filters[index].nameUtf8.c_str());
    for (const std::string& pattern : filters[index].patterns) AddPattern(filter, pattern);
    gtk_file_chooser_add_filter(chooser, filter);  // the chooser takes the reference
    if (index == firstFilter) gtk_file_chooser_set_filter(chooser, filter);
  }
  GtkWidget* preview = gtk_image_new();
  gtk_widget_set_size_request(preview, kPreviewSide, kPreviewSide);
  gtk_file_chooser_set_preview_widget(chooser, preview);
  gtk_file_chooser_set_use_preview_label(chooser, FALSE);
  g_signal_connect(chooser, "update-preview", G_CALLBACK(UpdatePreview), preview);

  bool chosen = false;
  if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
    char* file = gtk_file_chooser_get_filename(chooser);
    if (file != nullptr) {
      *path = file;
      g_free(file);
      chosen = true;
    }
  }
  FinishDialog(dialog);
  return chosen;
}

}  // namespace standin
