#include "config/IgnoreList.h"
