sound_loop(snd_music);
show_debug_message("The tune plays: sound_loop(snd_music); the chime rings at each bounce.");
