// Delivers the answer of the login dialog as the asynchronous dialog event (63) with a map
// of "id", "username", "password" and "status" (1 for OK, -1 for Cancel).
#pragma once

// Connects IO_Login_Poll to the input step.
void Login_InstallPoll();
// Once a step: advances an open login box and queues its answer once it has one.
void IO_Login_Poll();
