if (!asked) {
  asked = true;
  liked = show_question("Did you enjoy the tour?");
  guest = get_string("Your name for the guest book:", "a guest");
  show_debug_message("Asked: enjoyed = " + string(liked) + ", name = " + guest + ".");
}
