// A character-by-character parse of a level file of @SIZE@ bytes: lines and digits counted,
// one string_char_at a character. Only the parse is timed.
var block, s, n, i, c, lines, digits, nl, t0, elapsed;
nl = chr(10);
block = "wall 128 64 0" + nl + "enemy 32 400 1 speed=2.5" + nl + "# the east gate" + nl
  + "tile grass 16 16 7 3" + nl + "door 640 96 exit=rm_cave" + nl;
s = string_repeat(block, ceil(@SIZE@ / string_byte_length(block)));
t0 = get_timer();
n = string_length(s);
lines = 0;
digits = 0;
for (i = 1; i <= n; i += 1) {
  c = string_char_at(s, i);
  if (c == nl) lines += 1;
  else if (c >= "0" && c <= "9") digits += 1;
}
elapsed = get_timer() - t0;
show_debug_message("@result " + string(elapsed) + " " + string(lines) + " " + string(digits));
game_end();
