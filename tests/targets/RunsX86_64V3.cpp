// SPDX-License-Identifier: MIT
// Exits with 0 when this CPU runs x86-64-v3 code: AVX2, FMA, BMI1, BMI2,
// F16C, MOVBE and LZCNT, with the operating system saving the AVX state.
#include <cpuid.h>

int main() {
  unsigned a = 0;
  unsigned b = 0;
  unsigned c = 0;
  unsigned d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) {
    return 1;
  }
  const bool leaf1 = (c & bit_FMA) != 0 && (c & bit_MOVBE) != 0 && (c & bit_F16C) != 0 &&
                     (c & bit_OSXSAVE) != 0 && (c & bit_AVX) != 0;
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) {
    return 1;
  }
  const bool leaf7 = (b & bit_AVX2) != 0 && (b & bit_BMI) != 0 && (b & bit_BMI2) != 0;
  if (__get_cpuid(0x80000001U, &a, &b, &c, &d) == 0) {
    return 1;
  }
  const bool lzcnt = (c & bit_LZCNT) != 0;
  return leaf1 && leaf7 && lzcnt ? 0 : 1;
}
