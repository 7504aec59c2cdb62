sound_stop(snd_music);
