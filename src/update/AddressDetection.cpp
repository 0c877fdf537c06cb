#include "update/AddressDetection.h"
