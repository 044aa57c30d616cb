/* Built and run by scripts/wine-arch.sh: the line it prints under Wine is
   the proof that this machine runs 32-bit Windows programs. */
#include <stdio.h>

int main(void) {
  printf("a %u-bit Windows program ran\n", (unsigned)(sizeof(void*) * 8));
  return 0;
}
