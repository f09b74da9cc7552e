#include "core/model/Order.h"
