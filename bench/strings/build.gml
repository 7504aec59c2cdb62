// A text of @LINES@ lines built line by line with +=. Only the building is timed.
var s, i, line, nl, t0, elapsed;
nl = chr(10);
s = "";
t0 = get_timer();
for (i = 0; i < @LINES@; i += 1) {
  line = "entry " + string(i) + " wall 128 64 0 speed=2.5";
  s += line + nl;
}
elapsed = get_timer() - t0;
show_debug_message("@result " + string(elapsed) + " " + string(string_byte_length(s)));
game_end();
