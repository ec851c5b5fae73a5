#include "net/sock_errors.h"
