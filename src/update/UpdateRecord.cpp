#include "update/UpdateRecord.h"
