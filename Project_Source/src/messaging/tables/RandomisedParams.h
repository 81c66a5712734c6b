#pragma once
// The per-part parameters the patch randomiser sets (each + slot), in its order.
// Each needs an integer maximum of 1 or more for the randomiser's mapping to end.
//
// threads: any (constant data).

extern const char* const kRandomisedParams[];
extern const int kRandomisedParamCount;
