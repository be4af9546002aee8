// The recorders are header-only; this unit keeps the support library a real archive.
#include "recorders.hpp"
