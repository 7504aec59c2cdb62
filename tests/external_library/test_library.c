/* A small native library that the tests of external calls define functions from. */
#include <stddef.h>
#include <stdio.h>
#include <string.h>

static int g_calls = 0;
static char g_text[256];

double ext_calls(void) { return g_calls; }
double ext_add(double a, double b) { ++g_calls; return a + b; }
double ext_sub(double a, double b) { ++g_calls; return a - b; }
double ext_length(const char* s) { ++g_calls; return s == NULL ? -1.0 : (double)strlen(s); }

/* The text, then the number: "<s>:<n>". The buffer is reused by every call. */
const char* ext_join(const char* s, double n) {
  ++g_calls;
  snprintf(g_text, sizeof g_text, "%s:%g", s, n);
  return g_text;
}

const char* ext_null(void) { ++g_calls; return NULL; }

/* Four arguments of mixed kinds, in order. */
const char* ext_mix4(double a, const char* b, double c, const char* d) {
  ++g_calls;
  snprintf(g_text, sizeof g_text, "%g|%s|%g|%s", a, b, c, d);
  return g_text;
}

/* Sixteen reals: the sum of each times its position (1-based), so order shows. */
double ext_weighted16(double a1, double a2, double a3, double a4, double a5, double a6, double a7,
                      double a8, double a9, double a10, double a11, double a12, double a13,
                      double a14, double a15, double a16) {
  ++g_calls;
  return a1 + 2 * a2 + 3 * a3 + 4 * a4 + 5 * a5 + 6 * a6 + 7 * a7 + 8 * a8 + 9 * a9 + 10 * a10 +
         11 * a11 + 12 * a12 + 13 * a13 + 14 * a14 + 15 * a15 + 16 * a16;
}
