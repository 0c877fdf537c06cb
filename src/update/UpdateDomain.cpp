#include "update/UpdateDomain.h"
