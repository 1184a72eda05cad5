#pragma once

// The offscreen size for one client dimension: the product with 0.5 formed in 32-bit float and
// truncated toward zero, so an odd size rounds down.
int HalfSize(int clientSize);
