#include "platform/linux/InterfaceAddresses.h"
