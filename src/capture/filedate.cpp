#include "capture/filedate.h"
