#include "update/UpdateDecision.h"
