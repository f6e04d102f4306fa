// The kit host of kit_host.c, built as C++: the header must serve both.
#include "kit_host.c"
