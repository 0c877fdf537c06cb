#include "update/AddressFilter.h"
