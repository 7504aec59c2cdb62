if (asked) {
  draw_set_color(c_white);
  draw_text(40, 80, "Enjoyed the tour: " + string(liked));
  draw_text(40, 110, "Guest book: " + guest);
}
