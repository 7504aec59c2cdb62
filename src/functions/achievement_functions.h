// The achievement built-ins (achievement_login/logout/available/post/post_score, each also
// under its Tarn_ alias) over the achievement post queue.
#pragma once

// Starts the queue and registers the ten names (with the platform family).
void Achievement_RegisterFunctions();
