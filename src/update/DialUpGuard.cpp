#include "update/DialUpGuard.h"
