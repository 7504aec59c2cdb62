coins = 0;
phase = 0;
said = "";
