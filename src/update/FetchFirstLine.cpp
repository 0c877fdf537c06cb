#include "update/FetchFirstLine.h"
