#include "render/half_size.h"

int HalfSize(int clientSize) { return static_cast<int>(static_cast<float>(clientSize) * 0.5f); }
