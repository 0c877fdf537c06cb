#include "config/DomainList.h"
