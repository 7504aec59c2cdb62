// The advertising, rating, device-sensor, social-service, Windows 8 and store built-ins.
// Games written for mobile and web targets call them; here each checks its arguments and
// gives the neutral answer of a platform without those services. The store is simulated with
// three products, built into ds maps and lists as a real store's answers would be.
#pragma once

// Registers the 74 built-ins and their 18 Tarn_ aliases (with the platform family).
void SocialStore_RegisterFunctions();
