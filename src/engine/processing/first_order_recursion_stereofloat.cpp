#include "processing/first_order_recursion_impl.h"

// The filters and the wall on float stereo sound.
template void RunRecursion(TypedSamples<StereoFloat>&, const Selection&, Progress&, const Recursion&,
                           const Recurrence<FilterDirect>&);
template void RunRecursion(TypedSamples<StereoFloat>&, const Selection&, Progress&, const Recursion&,
                           const Recurrence<WallDirect>&);
