#include "config/FreshIpUpdate.h"
