// GTK 3 for the dialogs and the debug window, opened the first time one of them is needed
// (SharedLibrary), not at start-up: a game that shows no dialog does not pay for the toolkit.
// Its functions are called through the table Gtk(); the type casts of its headers are plain
// casts here, so that they call nothing of the toolkit themselves.
#pragma once

#define G_DISABLE_CAST_CHECKS
#include <gtk/gtk.h>

#include "platform/shared_library.h"

#define KF_GTK_FUNCTIONS(X) \
  X(g_free) X(g_list_free_full) X(g_markup_printf_escaped) X(g_object_set) X(g_object_unref) \
  X(g_set_prgname) X(g_signal_connect_data) X(g_source_remove) X(g_timeout_add) \
  X(gtk_accel_group_new) X(gtk_box_new) X(gtk_box_pack_start) X(gtk_button_new_with_label) \
  X(gtk_cell_renderer_text_new) X(gtk_check_button_new_with_mnemonic) X(gtk_clipboard_get) \
  X(gtk_clipboard_set_text) X(gtk_container_add) X(gtk_container_set_border_width) \
  X(gtk_css_provider_load_from_data) X(gtk_css_provider_new) X(gtk_dialog_add_button) \
  X(gtk_dialog_add_buttons) X(gtk_dialog_get_content_area) X(gtk_dialog_new_with_buttons) \
  X(gtk_dialog_response) X(gtk_dialog_run) X(gtk_dialog_set_default_response) \
  X(gtk_disable_setlocale) X(gtk_entry_get_text) X(gtk_entry_new) \
  X(gtk_entry_set_activates_default) X(gtk_entry_set_max_length) X(gtk_entry_set_text) \
  X(gtk_entry_set_visibility) X(gtk_entry_set_width_chars) X(gtk_events_pending) \
  X(gtk_file_chooser_add_filter) X(gtk_file_chooser_dialog_new) X(gtk_file_chooser_get_filename) \
  X(gtk_file_chooser_set_current_folder) X(gtk_file_chooser_set_current_name) \
  X(gtk_file_chooser_set_filename) X(gtk_file_filter_add_pattern) X(gtk_file_filter_new) \
  X(gtk_file_filter_set_name) X(gtk_grid_attach) X(gtk_grid_new) X(gtk_grid_set_column_spacing) \
  X(gtk_grid_set_row_spacing) X(gtk_init_check) X(gtk_label_new) X(gtk_label_set_line_wrap) \
  X(gtk_label_set_markup) X(gtk_label_set_text) X(gtk_label_set_xalign) X(gtk_list_store_append) \
  X(gtk_list_store_newv) X(gtk_list_store_remove) X(gtk_list_store_set) X(gtk_main_iteration) \
  X(gtk_menu_bar_new) X(gtk_menu_item_new_with_mnemonic) X(gtk_menu_item_set_submenu) \
  X(gtk_menu_new) X(gtk_menu_shell_append) X(gtk_message_dialog_new) X(gtk_scrolled_window_new) \
  X(gtk_scrolled_window_set_policy) X(gtk_separator_menu_item_new) \
  X(gtk_style_context_add_provider) X(gtk_toggle_button_get_active) X(gtk_toggle_button_set_active) \
  X(gtk_tree_model_get) X(gtk_tree_model_get_iter) X(gtk_tree_model_get_iter_first) \
  X(gtk_tree_model_iter_next) X(gtk_tree_path_free) X(gtk_tree_path_get_indices) \
  X(gtk_tree_selection_get_selected_rows) X(gtk_tree_selection_set_mode) \
  X(gtk_tree_view_append_column) X(gtk_tree_view_column_new_with_attributes) \
  X(gtk_tree_view_column_set_resizable) X(gtk_tree_view_get_model) X(gtk_tree_view_get_selection) \
  X(gtk_tree_view_new_with_model) X(gtk_widget_add_accelerator) X(gtk_widget_destroy) \
  X(gtk_widget_get_style_context) X(gtk_widget_grab_focus) X(gtk_widget_hide) \
  X(gtk_widget_set_can_focus) X(gtk_widget_set_name) X(gtk_widget_show_all) \
  X(gtk_window_add_accel_group) X(gtk_window_get_position) X(gtk_window_get_size) \
  X(gtk_window_get_title) X(gtk_window_move) X(gtk_window_new) X(gtk_window_resize) \
  X(gtk_window_set_decorated) X(gtk_window_set_default_size) X(gtk_window_set_keep_above) \
  X(gtk_window_set_title)

struct GtkFunctions {
  KF_GTK_FUNCTIONS(KF_LIBRARY_FUNCTION)
};

// Opens the toolkit once; false when it or one of its functions is missing.
bool GtkLibrary_Load();
// Only reached once GtkLibrary_Load succeeded.
const GtkFunctions& Gtk();

// g_signal_connect through the table.
inline gulong Gtk_Connect(gpointer instance, const char* signal, GCallback handler, gpointer data) {
  return Gtk().g_signal_connect_data(instance, signal, handler, data, nullptr, GConnectFlags(0));
}
