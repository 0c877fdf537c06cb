#include "update/UpdateThread.h"
