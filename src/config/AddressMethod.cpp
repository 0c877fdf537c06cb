#include "config/AddressMethod.h"
