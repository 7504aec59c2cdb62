// The mplay_* built-ins: sessions, players, messages and shared values over a transport.
// This runner has no transport, so connecting, sessions and sending answer failure (0 or the
// empty string); the message built-ins read the multiplayer layer's current message.
#pragma once

// Registers the 29 mplay_* built-ins.
void InitDPlayFunctions();
