#include "update/ServiceEndpoints.h"
