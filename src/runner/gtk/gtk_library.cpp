#include "runner/gtk/gtk_library.h"

namespace {

GtkFunctions g_Gtk;

}  // namespace

bool GtkLibrary_Load() {
  GtkFunctions& table = g_Gtk;
  static const bool loaded = SharedLibrary_Load("libgtk-3.so.0", {KF_GTK_FUNCTIONS(KF_LIBRARY_ENTRY)});
  return loaded;
}

const GtkFunctions& Gtk() { return g_Gtk; }
