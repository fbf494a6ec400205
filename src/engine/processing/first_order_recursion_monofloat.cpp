#include "processing/first_order_recursion_impl.h"

// The filters and the wall on float mono sound.
template void RunRecursion(TypedSamples<MonoFloat>&, const Selection&, Progress&, const Recursion&,
                           const Recurrence<FilterDirect>&);
template void RunRecursion(TypedSamples<MonoFloat>&, const Selection&, Progress&, const Recursion&,
                           const Recurrence<WallDirect>&);
