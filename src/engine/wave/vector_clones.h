#pragma once

// Marks a hot loop's function to be built twice, for the baseline instruction set and for AVX2,
// with the copy chosen when the program starts: the default build stays portable and still uses
// the wider instructions where the machine has them. Only gcc's way of building the copies is
// relied on (clang makes none for templates), so other compilers build each loop once. Nor under
// ThreadSanitizer: gcc instruments the function that picks the copy, which runs while the program
// is being loaded, before the sanitizer's runtime is there.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && defined(__has_attribute) && \
    !defined(__SANITIZE_THREAD__)
#if __has_attribute(target_clones)
#define VELORIN_VECTOR_CLONES __attribute__((target_clones("default", "avx2")))
#endif
#endif
#ifndef VELORIN_VECTOR_CLONES
#define VELORIN_VECTOR_CLONES
#endif
