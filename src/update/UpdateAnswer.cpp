#include "update/UpdateAnswer.h"
