// The line of text that says what a room shows.
switch (argument0) {
  case rm_garden: return "Sprites, tiles and views: a figure walks a tiled garden larger than the window; the view follows it.";
  case rm_text: return "Text in fonts made at run time with font_add from a system face: sized, centred, wrapped and turned.";
  case rm_sound: return "Sound: a chime stored in the game rings at each bounce; a tune streams from music.mid beside the game.";
  case rm_particles: return "Particles and effects: an emitter streams drops that fall and fade; a firework bursts every second.";
  case rm_stage: return "3D: blocks, a cylinder, a cone and a ball on a floor, lit by the sun, fog in the distance.";
  case rm_physics: return "Physics: a world in the room; balls fall as bodies, bounce off a floor and each other.";
  case rm_saving: return "A saved game: the game is saved with 5 coins, changed to 99, and loaded back.";
  case rm_data: return "Data structures, files, ini and JSON: a sorted list, a map as JSON, a counter in an ini file, a text file.";
  case rm_overlay: return "The debug overlay, switched on for a moment: frames per second as a line and bars.";
  case rm_dialog: return "A dialog: the game asks a question and a name (answered at once when there is no display).";
}
return "";
