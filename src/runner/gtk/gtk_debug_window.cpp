// The debug window as GTK 3 windows: the form (menu, tool buttons, the watch list, the
// counters, "Display FPS" and, at a breakpoint, the call stack and locals) and one window per
// pane. The view keeps no state of the game: it draws the model's snapshot and turns what the
// user does into requests, which the model takes when it pumps.
//
// Keys of the form: F5 run, F6 pause, F7 step, Ctrl+F5 restart, Shift+F5 stop, Insert add a
// watch, F2 change the selected one, Delete remove it.
#include "runner/gtk/gtk_library.h"

#include <gdk/gdkkeysyms.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "runner/debug_window.h"
#include "runner/dialog_backend.h"

namespace {

struct PaneWindow {
  GtkWidget* window = nullptr;
  GtkListStore* store = nullptr;
  GtkWidget* list = nullptr;
  bool shown = false;
};

// Puts rows into a list, changing only the lines whose text differs, so that unchanged lines
// do not flicker and the list keeps its scroll position.
void SetRows(GtkListStore* store, const std::vector<std::vector<std::string>>& rows, int columns) {
  GtkTreeModel* model = GTK_TREE_MODEL(store);
  GtkTreeIter it;
  bool valid = Gtk().gtk_tree_model_get_iter_first(model, &it);
  for (const auto& row : rows) {
    if (!valid) Gtk().gtk_list_store_append(store, &it);
    for (int c = 0; c < columns; ++c) {
      const std::string& text = static_cast<size_t>(c) < row.size() ? row[static_cast<size_t>(c)] : std::string();
      gchar* old = nullptr;
      if (valid) Gtk().gtk_tree_model_get(model, &it, c, &old, -1);
      if (!valid || old == nullptr || text != old) Gtk().gtk_list_store_set(store, &it, c, text.c_str(), -1);
      Gtk().g_free(old);
    }
    valid = valid && Gtk().gtk_tree_model_iter_next(model, &it);
    if (!valid) continue;
  }
  // What is left past the rows goes, from the end.
  if (valid) {
    while (Gtk().gtk_list_store_remove(store, &it)) {
    }
  }
}

GtkWidget* MakeList(GtkListStore* store, const std::vector<std::string>& titles) {
  GtkWidget* list = Gtk().gtk_tree_view_new_with_model(GTK_TREE_MODEL(store));
  for (size_t c = 0; c < titles.size(); ++c) {
    GtkCellRenderer* cell = Gtk().gtk_cell_renderer_text_new();
    GtkTreeViewColumn* column =
        Gtk().gtk_tree_view_column_new_with_attributes(titles[c].c_str(), cell, "text", static_cast<gint>(c), nullptr);
    Gtk().gtk_tree_view_column_set_resizable(column, TRUE);
    Gtk().gtk_tree_view_append_column(GTK_TREE_VIEW(list), column);
  }
  return list;
}

GtkListStore* MakeStore(int columns) {
  std::vector<GType> types(static_cast<size_t>(columns), G_TYPE_STRING);
  return Gtk().gtk_list_store_newv(columns, types.data());
}

GtkWidget* Scrolled(GtkWidget* child) {
  GtkWidget* scrolled = Gtk().gtk_scrolled_window_new(nullptr, nullptr);
  Gtk().gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scrolled), GTK_POLICY_AUTOMATIC, GTK_POLICY_AUTOMATIC);
  Gtk().gtk_container_add(GTK_CONTAINER(scrolled), child);
  return scrolled;
}

int SelectedRow(GtkWidget* list) {
  GtkTreeSelection* selection = Gtk().gtk_tree_view_get_selection(GTK_TREE_VIEW(list));
  GtkTreeModel* model = nullptr;
  GList* rows = Gtk().gtk_tree_selection_get_selected_rows(selection, &model);
  int row = -1;
  if (rows != nullptr) row = Gtk().gtk_tree_path_get_indices(static_cast<GtkTreePath*>(rows->data))[0];
  Gtk().g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(Gtk().gtk_tree_path_free));
  return row;
}

class CGtkDebugView final : public CDebugView {
 public:
  CGtkDebugView() {
    form_ = Gtk().gtk_window_new(GTK_WINDOW_TOPLEVEL);
    Gtk().gtk_window_set_title(GTK_WINDOW(form_), kDebugWindowCaption);
    Gtk().gtk_window_set_default_size(GTK_WINDOW(form_), 460, 420);
    Gtk_Connect(form_, "delete-event", G_CALLBACK(&CGtkDebugView::OnFormDelete), this);
    GtkAccelGroup* keys = Gtk().gtk_accel_group_new();
    Gtk().gtk_window_add_accel_group(GTK_WINDOW(form_), keys);

    GtkWidget* box = Gtk().gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    Gtk().gtk_container_add(GTK_CONTAINER(form_), box);
    GtkWidget* menus = Gtk().gtk_menu_bar_new();
    Gtk().gtk_box_pack_start(GTK_BOX(box), menus, FALSE, FALSE, 0);
    GtkWidget* run = Menu(menus, "_Run");
    Item(run, keys, "_Run", DebugCommand::Run, GDK_KEY_F5, GdkModifierType(0));
    Item(run, keys, "_Pause", DebugCommand::Pause, GDK_KEY_F6, GdkModifierType(0));
    Item(run, keys, "_Step", DebugCommand::Step, GDK_KEY_F7, GdkModifierType(0));
    Gtk().gtk_menu_shell_append(GTK_MENU_SHELL(run), Gtk().gtk_separator_menu_item_new());
    Item(run, keys, "R_estart", DebugCommand::Restart, GDK_KEY_F5, GDK_CONTROL_MASK);
    Item(run, keys, "Stop", DebugCommand::Stop, GDK_KEY_F5, GDK_SHIFT_MASK);
    GtkWidget* watch = Menu(menus, "_Watch");
    Item(watch, keys, "_Add", DebugCommand::AddWatch, GDK_KEY_Insert, GdkModifierType(0));
    Item(watch, keys, "C_hange", DebugCommand::ChangeWatch, GDK_KEY_F2, GdkModifierType(0));
    Item(watch, nullptr, "_Delete", DebugCommand::DeleteWatch, 0, GdkModifierType(0));
    Item(watch, nullptr, "_Clear", DebugCommand::ClearWatches, 0, GdkModifierType(0));
    GtkWidget* tools = Menu(menus, "_Tools");
    Item(tools, nullptr, "Show _Global Variables", DebugCommand::ShowGlobals, 0, GdkModifierType(0));
    Item(tools, nullptr, "Show Instance Variables", DebugCommand::ShowInstanceVariables, 0, GdkModifierType(0));
    Item(tools, nullptr, "Show _Instances", DebugCommand::ShowInstances, 0, GdkModifierType(0));
    Item(tools, nullptr, "Show _Messages", DebugCommand::ShowMessages, 0, GdkModifierType(0));

    GtkWidget* buttons = Gtk().gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 2);
    Gtk().gtk_box_pack_start(GTK_BOX(box), buttons, FALSE, FALSE, 0);
    const std::pair<const char*, DebugCommand> toolButtons[] = {
        {"Run", DebugCommand::Run},
        {"Pause", DebugCommand::Pause},
        {"Step", DebugCommand::Step},
        {"Restart", DebugCommand::Restart},
        {"Stop", DebugCommand::Stop},
        {"Add Watch", DebugCommand::AddWatch},
        {"Change Watch", DebugCommand::ChangeWatch},
        {"Delete Watch", DebugCommand::DeleteWatch},
        {"Clear Watches", DebugCommand::ClearWatches},
    };
    for (const auto& [text, command] : toolButtons) {
      GtkWidget* button = Gtk().gtk_button_new_with_label(text);
      Gtk().gtk_widget_set_name(button, text);
      Gtk().gtk_widget_set_can_focus(button, FALSE);
      Connect(button, "clicked", command);
      Gtk().gtk_box_pack_start(GTK_BOX(buttons), button, FALSE, FALSE, 0);
    }

    watchStore_ = MakeStore(2);
    watchList_ = MakeList(watchStore_, {"Expressions", "Values"});
    Gtk_Connect(watchList_, "row-activated", G_CALLBACK(&CGtkDebugView::OnWatchActivated), this);
    Gtk_Connect(watchList_, "key-press-event", G_CALLBACK(&CGtkDebugView::OnWatchKey), this);
    Gtk().gtk_box_pack_start(GTK_BOX(box), Scrolled(watchList_), TRUE, TRUE, 0);

    GtkWidget* counters = Gtk().gtk_grid_new();
    Gtk().gtk_grid_set_column_spacing(GTK_GRID(counters), 16);
    for (int i = 0; i < 6; ++i) {
      counters_[i] = Gtk().gtk_label_new("");
      Gtk().gtk_label_set_xalign(GTK_LABEL(counters_[i]), 0.0f);
      Gtk().gtk_grid_attach(GTK_GRID(counters), counters_[i], i % 2, i / 2, 1, 1);
    }
    Gtk().gtk_box_pack_start(GTK_BOX(box), counters, FALSE, FALSE, 2);
    // Alt+F switches it from the keyboard.
    fps_ = Gtk().gtk_check_button_new_with_mnemonic("Display _FPS");
    Gtk_Connect(fps_, "toggled", G_CALLBACK(&CGtkDebugView::OnFpsToggled), this);
    Gtk().gtk_box_pack_start(GTK_BOX(box), fps_, FALSE, FALSE, 0);

    // At a breakpoint: where the code stopped, its callers and its locals.
    stop_ = Gtk().gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
    stopLabel_ = Gtk().gtk_label_new("");
    Gtk().gtk_label_set_xalign(GTK_LABEL(stopLabel_), 0.0f);
    Gtk().gtk_box_pack_start(GTK_BOX(stop_), stopLabel_, FALSE, FALSE, 0);
    stackStore_ = MakeStore(1);
    Gtk().gtk_box_pack_start(GTK_BOX(stop_), Scrolled(MakeList(stackStore_, {"Call stack"})), TRUE, TRUE, 0);
    stopLocalsStore_ = MakeStore(2);
    Gtk().gtk_box_pack_start(GTK_BOX(stop_), Scrolled(MakeList(stopLocalsStore_, {"Local", "Value"})), TRUE, TRUE, 0);
    Gtk().gtk_box_pack_start(GTK_BOX(box), stop_, TRUE, TRUE, 0);

    Gtk().gtk_widget_show_all(form_);
    Gtk().gtk_widget_hide(stop_);
  }

  ~CGtkDebugView() override { Close(); }

  std::vector<DebugRequest> Pump() override {
    while (Gtk().gtk_events_pending()) Gtk().gtk_main_iteration();
    std::vector<DebugRequest> requests = std::move(requests_);
    requests_.clear();
    return requests;
  }

  void Show(const DebugSnapshot& s) override {
    if (form_ == nullptr) return;
    for (size_t i = 0; i < 6; ++i)
      Gtk().gtk_label_set_text(GTK_LABEL(counters_[i]), i < s.counters.size() ? s.counters[i].c_str() : "");
    std::vector<std::vector<std::string>> watches;
    for (const DebugWatch& w : s.watches) watches.push_back({w.expression, w.value});
    SetRows(watchStore_, watches, 2);
    updating_ = true;
    Gtk().gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(fps_), s.fpsVisible ? TRUE : FALSE);
    updating_ = false;
    if (s.stoppedAt.empty()) {
      Gtk().gtk_widget_hide(stop_);
    } else {
      Gtk().gtk_label_set_text(GTK_LABEL(stopLabel_), ("Stopped at " + s.stoppedAt).c_str());
      std::vector<std::vector<std::string>> stack;
      for (const std::string& line : s.callStack) stack.push_back({line});
      SetRows(stackStore_, stack, 1);
      std::vector<std::vector<std::string>> locals;
      for (const auto& [name, value] : s.stopLocals) locals.push_back({name, value});
      SetRows(stopLocalsStore_, locals, 2);
      Gtk().gtk_widget_show_all(stop_);
    }
    if (s.panes != nullptr) {
      for (int i = 0; i < kPaneCount; ++i) ShowPane(i, (*s.panes)[static_cast<size_t>(i)]);
    }
  }

  void Close() override {
    for (PaneWindow& pane : panes_) {
      if (pane.window != nullptr) Gtk().gtk_widget_destroy(pane.window);
      if (pane.store != nullptr) Gtk().g_object_unref(pane.store);
      pane = PaneWindow();
    }
    if (form_ != nullptr) Gtk().gtk_widget_destroy(form_);
    form_ = nullptr;
    for (GtkListStore** store : {&watchStore_, &stackStore_, &stopLocalsStore_}) {
      if (*store != nullptr) Gtk().g_object_unref(*store);
      *store = nullptr;
    }
    while (Gtk().gtk_events_pending()) Gtk().gtk_main_iteration();
  }

 private:
  struct Callback {
    CGtkDebugView* view;
    DebugCommand command;
  };

  GtkWidget* Menu(GtkWidget* bar, const char* title) {
    GtkWidget* item = Gtk().gtk_menu_item_new_with_mnemonic(title);
    GtkWidget* menu = Gtk().gtk_menu_new();
    Gtk().gtk_menu_item_set_submenu(GTK_MENU_ITEM(item), menu);
    Gtk().gtk_menu_shell_append(GTK_MENU_SHELL(bar), item);
    return menu;
  }

  void Item(GtkWidget* menu, GtkAccelGroup* keys, const char* title, DebugCommand command, guint key,
            GdkModifierType modifiers) {
    GtkWidget* item = Gtk().gtk_menu_item_new_with_mnemonic(title);
    if (keys != nullptr) Gtk().gtk_widget_add_accelerator(item, "activate", keys, key, modifiers, GTK_ACCEL_VISIBLE);
    Connect(item, "activate", command);
    Gtk().gtk_menu_shell_append(GTK_MENU_SHELL(menu), item);
  }

  void Connect(GtkWidget* widget, const char* signal, DebugCommand command) {
    callbacks_.push_back(std::make_unique<Callback>(Callback{this, command}));
    Gtk_Connect(widget, signal, G_CALLBACK(&CGtkDebugView::OnCommand), callbacks_.back().get());
  }

  static void OnCommand(GtkWidget* /*widget*/, gpointer data) {
    auto* callback = static_cast<Callback*>(data);
    DebugRequest request;
    request.command = callback->command;
    // The watch commands work on the selected watch.
    request.index = SelectedRow(callback->view->watchList_);
    callback->view->requests_.push_back(request);
  }

  static gboolean OnFormDelete(GtkWidget* /*widget*/, GdkEvent* /*event*/, gpointer data) {
    // The model closes the windows when it takes the request.
    DebugRequest request;
    request.command = DebugCommand::CloseForm;
    static_cast<CGtkDebugView*>(data)->requests_.push_back(request);
    return TRUE;
  }

  static void OnWatchActivated(GtkTreeView* /*list*/, GtkTreePath* path, GtkTreeViewColumn* /*column*/,
                               gpointer data) {
    DebugRequest request;
    request.command = DebugCommand::ChangeWatch;
    request.index = Gtk().gtk_tree_path_get_indices(path)[0];
    static_cast<CGtkDebugView*>(data)->requests_.push_back(request);
  }

  static gboolean OnWatchKey(GtkWidget* list, GdkEventKey* event, gpointer data) {
    if (event->keyval != GDK_KEY_Delete || event->is_modifier) return FALSE;
    DebugRequest request;
    request.command = DebugCommand::DeleteWatch;
    request.index = SelectedRow(list);
    static_cast<CGtkDebugView*>(data)->requests_.push_back(request);
    return TRUE;
  }

  static void OnFpsToggled(GtkToggleButton* box, gpointer data) {
    auto* view = static_cast<CGtkDebugView*>(data);
    if (view->updating_) return;
    DebugRequest request;
    request.command = DebugCommand::SetFpsVisible;
    request.flag = Gtk().gtk_toggle_button_get_active(box) != 0;
    view->requests_.push_back(request);
  }

  struct PaneCallback {
    CGtkDebugView* view;
    int pane;
  };

  PaneCallback* PaneData(int pane) {
    paneCallbacks_.push_back(std::make_unique<PaneCallback>(PaneCallback{this, pane}));
    return paneCallbacks_.back().get();
  }

  void MakePane(int index, const DebugPane& model) {
    PaneWindow& pane = panes_[static_cast<size_t>(index)];
    const int columns = static_cast<int>(model.columns.size());
    pane.window = Gtk().gtk_window_new(GTK_WINDOW_TOPLEVEL);
    Gtk().gtk_window_set_default_size(GTK_WINDOW(pane.window), 320, 360);
    pane.store = MakeStore(columns);
    pane.list = MakeList(pane.store, model.columns);
    if (index == kMessagesPane)
      Gtk().gtk_tree_selection_set_mode(Gtk().gtk_tree_view_get_selection(GTK_TREE_VIEW(pane.list)),
                                        GTK_SELECTION_MULTIPLE);
    Gtk().gtk_container_add(GTK_CONTAINER(pane.window), Scrolled(pane.list));
    PaneCallback* data = PaneData(index);
    Gtk_Connect(pane.window, "delete-event", G_CALLBACK(&CGtkDebugView::OnPaneDelete), data);
    Gtk_Connect(pane.window, "configure-event", G_CALLBACK(&CGtkDebugView::OnPaneMoved), data);
    Gtk_Connect(pane.list, "row-activated", G_CALLBACK(&CGtkDebugView::OnPaneRow), data);
    Gtk_Connect(pane.list, "key-press-event", G_CALLBACK(&CGtkDebugView::OnPaneKey), data);
    if (model.rect) {
      Gtk().gtk_window_move(GTK_WINDOW(pane.window), model.rect->left, model.rect->top);
      Gtk().gtk_window_resize(GTK_WINDOW(pane.window), std::max(model.rect->right - model.rect->left, 80),
                        std::max(model.rect->bottom - model.rect->top, 60));
    }
  }

  void ShowPane(int index, const DebugPane& model) {
    PaneWindow& pane = panes_[static_cast<size_t>(index)];
    if (!model.visible) {
      if (pane.window != nullptr && pane.shown) Gtk().gtk_widget_hide(pane.window);
      pane.shown = false;
      return;
    }
    if (pane.window == nullptr) MakePane(index, model);
    Gtk().gtk_window_set_title(GTK_WINDOW(pane.window), model.caption.c_str());
    SetRows(pane.store, model.rows, static_cast<int>(model.columns.size()));
    if (!pane.shown) Gtk().gtk_widget_show_all(pane.window);
    pane.shown = true;
  }

  static gboolean OnPaneDelete(GtkWidget* window, GdkEvent* /*event*/, gpointer data) {
    auto* pane = static_cast<PaneCallback*>(data);
    Gtk().gtk_widget_hide(window);
    pane->view->panes_[static_cast<size_t>(pane->pane)].shown = false;
    DebugRequest request;
    request.command = DebugCommand::ClosePane;
    request.pane = pane->pane;
    pane->view->requests_.push_back(request);
    return TRUE;
  }

  static gboolean OnPaneMoved(GtkWidget* window, GdkEvent* /*event*/, gpointer data) {
    auto* pane = static_cast<PaneCallback*>(data);
    gint x = 0, y = 0, w = 0, h = 0;
    Gtk().gtk_window_get_position(GTK_WINDOW(window), &x, &y);
    Gtk().gtk_window_get_size(GTK_WINDOW(window), &w, &h);
    DebugRequest request;
    request.command = DebugCommand::MovePane;
    request.pane = pane->pane;
    request.rect = {x, y, x + w, y + h};
    pane->view->requests_.push_back(request);
    return FALSE;
  }

  // Double-click: a global's name becomes a watch, an instance opens its locals, a local
  // becomes the watch "(id).name".
  static void OnPaneRow(GtkTreeView* list, GtkTreePath* path, GtkTreeViewColumn* /*column*/, gpointer data) {
    auto* pane = static_cast<PaneCallback*>(data);
    GtkTreeModel* model = Gtk().gtk_tree_view_get_model(list);
    GtkTreeIter it;
    if (!Gtk().gtk_tree_model_get_iter(model, &it, path)) return;
    gchar* first = nullptr;
    Gtk().gtk_tree_model_get(model, &it, 0, &first, -1);
    const std::string text = first != nullptr ? first : "";
    Gtk().g_free(first);
    DebugRequest request;
    if (pane->pane == kGlobalsPane) {
      request.command = DebugCommand::AddWatch;
      request.text = text;
    } else if (pane->pane == kInstancesPane) {
      request.command = DebugCommand::OpenLocals;
      request.index = std::atoi(text.c_str());
    } else if (pane->pane >= kFirstLocalsPane) {
      request.command = DebugCommand::AddWatch;
      const std::string title =
          Gtk().gtk_window_get_title(GTK_WINDOW(pane->view->panes_[static_cast<size_t>(pane->pane)].window));
      // The caption ends with "(id)".
      const size_t open = title.rfind('(');
      request.text = "(" +
                     (open == std::string::npos ? std::string("0") : title.substr(open + 1, title.size() - open - 2)) +
                     ")." + text;
    } else {
      return;
    }
    pane->view->requests_.push_back(request);
  }

  // Control+C in the messages pane copies the selected lines, or every line.
  static gboolean OnPaneKey(GtkWidget* list, GdkEventKey* event, gpointer data) {
    auto* pane = static_cast<PaneCallback*>(data);
    if (pane->pane != kMessagesPane || (event->state & GDK_CONTROL_MASK) == 0 ||
        (event->keyval != GDK_KEY_c && event->keyval != GDK_KEY_C))
      return FALSE;
    DebugRequest request;
    request.command = DebugCommand::CopyMessages;
    GList* rows =
        Gtk().gtk_tree_selection_get_selected_rows(Gtk().gtk_tree_view_get_selection(GTK_TREE_VIEW(list)), nullptr);
    for (GList* at = rows; at != nullptr; at = at->next)
      request.rows.push_back(Gtk().gtk_tree_path_get_indices(static_cast<GtkTreePath*>(at->data))[0]);
    Gtk().g_list_free_full(rows, reinterpret_cast<GDestroyNotify>(Gtk().gtk_tree_path_free));
    pane->view->requests_.push_back(request);
    return TRUE;
  }

  GtkWidget* form_ = nullptr;
  GtkWidget* watchList_ = nullptr;
  GtkListStore* watchStore_ = nullptr;
  GtkWidget* counters_[6] = {};
  GtkWidget* fps_ = nullptr;
  GtkWidget* stop_ = nullptr;
  GtkWidget* stopLabel_ = nullptr;
  GtkListStore* stackStore_ = nullptr;
  GtkListStore* stopLocalsStore_ = nullptr;
  PaneWindow panes_[kPaneCount];
  bool updating_ = false;
  std::vector<DebugRequest> requests_;
  std::vector<std::unique_ptr<Callback>> callbacks_;
  std::vector<std::unique_ptr<PaneCallback>> paneCallbacks_;
};

}  // namespace

std::unique_ptr<CDebugView> GtkDebug_CreateView() {
  // The dialogs' back end starts the toolkit (in the "C" locale); without it there is no view.
  if (GtkDialogs_Backend() == nullptr) return nullptr;
  return std::make_unique<CGtkDebugView>();
}
