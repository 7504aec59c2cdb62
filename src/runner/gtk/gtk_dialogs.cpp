// The dialogs SDL lacks, as GTK 3 windows: the question, the text query, the file choosers,
// the login box and the highscore table. GTK is started on first use, after
// gtk_disable_setlocale, so that numbers keep the "C" locale the rest of the runner relies on.
#include "runner/gtk/gtk_library.h"

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "platform/termination_signal.h"
#include "runner/dialog_backend.h"
#include "runner/dialogs.h"
#include "runner/highscore.h"

namespace {

constexpr char kDialogWindowClass[] = "kilnforge-dialog";
constexpr int kResponseYes = 1;
constexpr int kResponseNo = 2;
constexpr int kResponseCopy = 3;
constexpr int kResponseClear = 4;
constexpr int kResponseAbort = 5;
constexpr int kResponseIgnore = 6;
// How often a dialog that waits for its player looks for a termination signal.
constexpr guint kTerminationPollMilliseconds = 100;

// Lets GTK finish closing its windows before the game goes on.
void Settle() {
  while (Gtk().gtk_events_pending()) Gtk().gtk_main_iteration();
}

std::string TakeGString(gchar* text) {
  std::string copy = text != nullptr ? text : "";
  Gtk().g_free(text);
  return copy;
}

// gtk_dialog_run, except that a termination signal closes the dialog unanswered
// (GTK_RESPONSE_NONE): the run is ending and nobody may be there to answer.
int RunDialog(GtkWidget* dialog) {
  if (TerminationSignal_Pending()) return GTK_RESPONSE_NONE;
  const guint watch = Gtk().g_timeout_add(
      kTerminationPollMilliseconds,
      [](gpointer running) -> gboolean {
        if (TerminationSignal_Pending()) Gtk().gtk_dialog_response(GTK_DIALOG(running), GTK_RESPONSE_NONE);
        return G_SOURCE_CONTINUE;
      },
      dialog);
  const int response = Gtk().gtk_dialog_run(GTK_DIALOG(dialog));
  Gtk().g_source_remove(watch);
  return TerminationSignal_Pending() ? GTK_RESPONSE_NONE : response;
}

void DestroyDialog(GtkWidget* dialog) {
  Gtk().gtk_widget_destroy(dialog);
  Settle();
}

// "#RRGGBB" of a colour stored as 0xBBGGRR.
std::string CssColour(uint32_t colour) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
  return text;
}

GtkWidget* RowLabel(const std::string& text, uint32_t colour, const std::string& font, int size, float align) {
  GtkWidget* label = Gtk().gtk_label_new(nullptr);
  gchar* markup = Gtk().g_markup_printf_escaped("<span font_family=\"%s\" size=\"%d\" foreground=\"%s\">%s</span>",
                                          font.c_str(), size * PANGO_SCALE, CssColour(colour).c_str(), text.c_str());
  Gtk().gtk_label_set_markup(GTK_LABEL(label), markup);
  Gtk().g_free(markup);
  Gtk().gtk_label_set_xalign(GTK_LABEL(label), align);
  return label;
}

class CGtkDialogs final : public CDialogBackend {
 public:
  void Message(const std::string& caption, const std::string& text) override {
    GtkWidget* dialog = Gtk().gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER, GTK_BUTTONS_OK,
                                                     "%s", text.c_str());
    Gtk().gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    Gtk().gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    RunDialog(dialog);
    DestroyDialog(dialog);
  }

  bool ErrorBox(const std::string& text, bool offerIgnore) override {
    GtkWidget* dialog = Gtk().gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_NONE,
                                                     "%s", text.c_str());
    Gtk().gtk_window_set_title(GTK_WINDOW(dialog), "Code Error...");
    Gtk().gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    Gtk().gtk_dialog_add_buttons(GTK_DIALOG(dialog), "Copy", kResponseCopy, "Clear", kResponseClear, "Abort",
                                 kResponseAbort, nullptr);
    if (offerIgnore) Gtk().gtk_dialog_add_button(GTK_DIALOG(dialog), "Ignore", kResponseIgnore);
    Gtk().gtk_dialog_set_default_response(GTK_DIALOG(dialog), offerIgnore ? kResponseIgnore : kResponseAbort);
    // Copy and Clear keep the box open; so do Escape and the close box when Ignore is not
    // offered. The end of the run closes it as Ignore would.
    std::string shown = text;
    std::optional<bool> abort;
    while (!abort) {
      switch (RunDialog(dialog)) {
        case kResponseCopy:
          // The clipboard holds what the box shows; after Clear there is nothing to copy.
          if (!shown.empty() && shown != " ")
            Gtk().gtk_clipboard_set_text(Gtk().gtk_clipboard_get(GDK_SELECTION_CLIPBOARD), shown.c_str(), -1);
          break;
        case kResponseClear:
          shown.assign(1, ' ');
          Gtk().g_object_set(dialog, "text", shown.c_str(), nullptr);
          break;
        case kResponseAbort:
          abort = true;
          break;
        case GTK_RESPONSE_NONE:
          abort = false;
          break;
        default:
          if (offerIgnore) abort = false;
          break;
      }
    }
    DestroyDialog(dialog);
    return *abort;
  }

  bool Question(const std::string& caption, const std::string& prompt) override {
    GtkWidget* dialog = Gtk().gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_QUESTION, GTK_BUTTONS_NONE,
                                               "%s", prompt.c_str());
    Gtk().gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
    Gtk().gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    Gtk().gtk_dialog_add_buttons(GTK_DIALOG(dialog), "_Yes", kResponseYes, "_No", kResponseNo, nullptr);
    Gtk().gtk_dialog_set_default_response(GTK_DIALOG(dialog), kResponseYes);
    // Escape and the close box do not answer: only Yes or No closes the question (or the end
    // of the run, which answers No).
    int response = 0;
    do {
      response = RunDialog(dialog);
    } while (response != kResponseYes && response != kResponseNo && response != GTK_RESPONSE_NONE);
    DestroyDialog(dialog);
    return response == kResponseYes;
  }

  std::optional<std::string> Query(const std::string& caption, const std::string& prompt,
                                   const std::string& defaultText) override {
    GtkWidget* dialog = Gtk().gtk_dialog_new_with_buttons(caption.c_str(), nullptr, GTK_DIALOG_MODAL, "_OK",
                                                    GTK_RESPONSE_OK, "_Cancel", GTK_RESPONSE_CANCEL, nullptr);
    Gtk().gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    Gtk().gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    GtkWidget* content = Gtk().gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    Gtk().gtk_container_set_border_width(GTK_CONTAINER(content), 8);
    GtkWidget* label = Gtk().gtk_label_new(prompt.c_str());
    Gtk().gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    Gtk().gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    GtkWidget* entry = Gtk().gtk_entry_new();
    Gtk().gtk_entry_set_max_length(GTK_ENTRY(entry), static_cast<gint>(kQueryDefaultLimit));
    Gtk().gtk_entry_set_text(GTK_ENTRY(entry), defaultText.c_str());
    Gtk().gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    Gtk().gtk_entry_set_width_chars(GTK_ENTRY(entry), 48);
    Gtk().gtk_box_pack_start(GTK_BOX(content), label, FALSE, FALSE, 4);
    Gtk().gtk_box_pack_start(GTK_BOX(content), entry, FALSE, FALSE, 4);
    Gtk().gtk_widget_show_all(dialog);
    Gtk().gtk_widget_grab_focus(entry);
    const int response = RunDialog(dialog);
    std::optional<std::string> typed;
    if (response == GTK_RESPONSE_OK) typed = Gtk().gtk_entry_get_text(GTK_ENTRY(entry));
    DestroyDialog(dialog);
    return typed;
  }

  std::optional<std::string> ChooseFile(const FileDialogRequest& request) override {
    const GtkFileChooserAction action = request.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN;
    const std::string title = !request.title.empty() ? request.title : request.save ? "Save As" : "Open";
    GtkWidget* dialog =
        Gtk().gtk_file_chooser_dialog_new(title.c_str(), nullptr, action, "_Cancel", GTK_RESPONSE_CANCEL,
                                          request.save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    Gtk().gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    Gtk().gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    for (const auto& [description, pattern] : request.filters) {
      GtkFileFilter* filter = Gtk().gtk_file_filter_new();
      Gtk().gtk_file_filter_set_name(filter, description.c_str());
      size_t start = 0;
      for (;;) {
        const size_t semicolon = pattern.find(';', start);
        std::string glob =
            pattern.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start);
        // "*.*" means every file, as it does on the original platform.
        if (glob == "*.*") glob = "*";
        if (!glob.empty()) Gtk().gtk_file_filter_add_pattern(filter, glob.c_str());
        if (semicolon == std::string::npos) break;
        start = semicolon + 1;
      }
      Gtk().gtk_file_chooser_add_filter(chooser, filter);
    }
    if (!request.folder.empty()) Gtk().gtk_file_chooser_set_current_folder(chooser, request.folder.c_str());
    if (!request.fileName.empty()) {
      if (request.save) {
        const size_t slash = request.fileName.find_last_of("/\\");
        if (slash != std::string::npos && request.folder.empty())
          Gtk().gtk_file_chooser_set_current_folder(chooser, request.fileName.substr(0, slash).c_str());
        Gtk().gtk_file_chooser_set_current_name(chooser, request.fileName.substr(slash + 1).c_str());
      } else if (request.fileName.find('/') != std::string::npos) {
        Gtk().gtk_file_chooser_set_filename(chooser, request.fileName.c_str());
      }
    }
    const int response = RunDialog(dialog);
    std::optional<std::string> chosen;
    if (response == GTK_RESPONSE_ACCEPT) chosen = TakeGString(Gtk().gtk_file_chooser_get_filename(chooser));
    DestroyDialog(dialog);
    if (chosen && chosen->empty()) chosen.reset();
    return chosen;
  }

  void LoginOpen(const std::string& userName, const std::string& password) override {
    CloseLogin();
    login_ = Gtk().gtk_dialog_new_with_buttons("Login", nullptr, GtkDialogFlags(0), "_OK", GTK_RESPONSE_OK, "_Cancel",
                                         GTK_RESPONSE_CANCEL, nullptr);
    Gtk().gtk_dialog_set_default_response(GTK_DIALOG(login_), GTK_RESPONSE_OK);
    GtkWidget* grid = Gtk().gtk_grid_new();
    Gtk().gtk_grid_set_row_spacing(GTK_GRID(grid), 6);
    Gtk().gtk_grid_set_column_spacing(GTK_GRID(grid), 8);
    Gtk().gtk_container_set_border_width(GTK_CONTAINER(grid), 8);
    loginUser_ = Gtk().gtk_entry_new();
    loginPassword_ = Gtk().gtk_entry_new();
    Gtk().gtk_entry_set_visibility(GTK_ENTRY(loginPassword_), FALSE);
    for (GtkWidget* entry : {loginUser_, loginPassword_}) {
      Gtk().gtk_entry_set_max_length(GTK_ENTRY(entry), static_cast<gint>(kQueryTextLimit));
      Gtk().gtk_entry_set_activates_default(GTK_ENTRY(entry), TRUE);
    }
    Gtk().gtk_entry_set_text(GTK_ENTRY(loginUser_), userName.c_str());
    Gtk().gtk_entry_set_text(GTK_ENTRY(loginPassword_), password.c_str());
    Gtk().gtk_grid_attach(GTK_GRID(grid), Gtk().gtk_label_new("Username"), 0, 0, 1, 1);
    Gtk().gtk_grid_attach(GTK_GRID(grid), loginUser_, 1, 0, 1, 1);
    Gtk().gtk_grid_attach(GTK_GRID(grid), Gtk().gtk_label_new("Password"), 0, 1, 1, 1);
    Gtk().gtk_grid_attach(GTK_GRID(grid), loginPassword_, 1, 1, 1, 1);
    Gtk().gtk_box_pack_start(GTK_BOX(Gtk().gtk_dialog_get_content_area(GTK_DIALOG(login_))), grid, TRUE, TRUE, 0);
    Gtk_Connect(login_, "response", G_CALLBACK(&CGtkDialogs::OnLoginResponse), this);
    Gtk().gtk_widget_show_all(login_);
    loginAnswer_.reset();
  }

  std::optional<LoginAnswer> LoginPoll() override {
    Settle();
    std::optional<LoginAnswer> answer = std::move(loginAnswer_);
    loginAnswer_.reset();
    return answer;
  }

  void HighScoreTable(int newScore) override {
    const HighScoreDisplaySettings& look = HighScore_Display();
    GtkWidget* dialog = Gtk().gtk_dialog_new_with_buttons(look.caption.c_str(), nullptr, GTK_DIALOG_MODAL, "_Close",
                                                    GTK_RESPONSE_CLOSE, nullptr);
    Gtk().gtk_window_set_keep_above(GTK_WINDOW(dialog), TRUE);
    Gtk().gtk_window_set_decorated(GTK_WINDOW(dialog), look.border ? TRUE : FALSE);
    GtkWidget* content = Gtk().gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    GtkWidget* grid = Gtk().gtk_grid_new();
    Gtk().gtk_grid_set_column_spacing(GTK_GRID(grid), 24);
    Gtk().gtk_container_set_border_width(GTK_CONTAINER(grid), 12);
    Gtk().gtk_grid_attach(GTK_GRID(grid),
                          RowLabel(look.caption, look.otherColour, look.fontName, look.fontSize + 4, 0.5f), 0, 0, 2, 1);
    bool marked = false;
    for (int place = 1; place <= kHighScorePlaces; ++place) {
      const int32_t score = HighScore_GetValue(place);
      const bool isNew = !marked && score == newScore;
      marked = marked || isNew;
      std::string name = HighScore_GetName(place);
      if (name.empty() || name == "<nobody>") name = look.nobody;
      const uint32_t colour = isNew ? look.newColour : look.otherColour;
      Gtk().gtk_grid_attach(GTK_GRID(grid), RowLabel(name, colour, look.fontName, look.fontSize, 0.0f), 0, place, 1, 1);
      Gtk().gtk_grid_attach(GTK_GRID(grid), RowLabel(std::to_string(score), colour, look.fontName, look.fontSize, 1.0f),
                            1, place, 1, 1);
    }
    Gtk().gtk_grid_attach(GTK_GRID(grid),
                          RowLabel(look.escape, look.otherColour, look.fontName, look.fontSize - 2, 0.5f), 0,
                          kHighScorePlaces + 1, 2, 1);
    GtkCssProvider* css = Gtk().gtk_css_provider_new();
    const std::string style = "* { background-color: " + CssColour(look.backgroundColour) + "; }";
    Gtk().gtk_css_provider_load_from_data(css, style.c_str(), -1, nullptr);
    Gtk().gtk_style_context_add_provider(Gtk().gtk_widget_get_style_context(dialog), GTK_STYLE_PROVIDER(css),
                                   GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    Gtk().g_object_unref(css);
    Gtk().gtk_box_pack_start(GTK_BOX(content), grid, TRUE, TRUE, 0);
    Gtk().gtk_widget_show_all(dialog);
    RunDialog(dialog);
    DestroyDialog(dialog);
  }

 private:
  static void OnLoginResponse(GtkDialog* /*dialog*/, gint response, gpointer self) {
    auto* dialogs = static_cast<CGtkDialogs*>(self);
    LoginAnswer answer;
    answer.confirmed = response == GTK_RESPONSE_OK;
    if (answer.confirmed) {
      answer.userName = Gtk().gtk_entry_get_text(GTK_ENTRY(dialogs->loginUser_));
      answer.password = Gtk().gtk_entry_get_text(GTK_ENTRY(dialogs->loginPassword_));
    }
    dialogs->loginAnswer_ = std::move(answer);
    dialogs->CloseLogin();
  }

  void CloseLogin() {
    if (login_ == nullptr) return;
    GtkWidget* dialog = login_;
    login_ = loginUser_ = loginPassword_ = nullptr;
    Gtk().gtk_widget_destroy(dialog);
  }

  GtkWidget* login_ = nullptr;
  GtkWidget* loginUser_ = nullptr;
  GtkWidget* loginPassword_ = nullptr;
  std::optional<LoginAnswer> loginAnswer_;
};

}  // namespace

CDialogBackend* GtkDialogs_Backend() {
  static std::unique_ptr<CGtkDialogs> backend;
  static bool tried = false;
  if (!tried) {
    tried = true;
    if (!GtkLibrary_Load()) return nullptr;
    Gtk().gtk_disable_setlocale();
    // The dialogs' own window class, apart from the game window's.
    Gtk().g_set_prgname(kDialogWindowClass);
    if (Gtk().gtk_init_check(nullptr, nullptr)) backend = std::make_unique<CGtkDialogs>();
  }
  return backend.get();
}
