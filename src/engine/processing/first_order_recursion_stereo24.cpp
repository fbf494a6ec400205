#include "processing/first_order_recursion_impl.h"

// The filters and the wall on 24-bit stereo sound.
template void RunRecursion(TypedSamples<Stereo24>&, const Selection&, Progress&, const Recursion&,
                           const Recurrence<FilterDirect>&);
template void RunRecursion(TypedSamples<Stereo24>&, const Selection&, Progress&, const Recursion&,
                           const Recurrence<WallDirect>&);
