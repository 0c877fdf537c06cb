#include "platform/linux/CurlHttpSession.h"
