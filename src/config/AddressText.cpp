#include "config/AddressText.h"
