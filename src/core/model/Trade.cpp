#include "core/model/Trade.h"
