#include "pinvane/run/BrowserTable.h"
#include "pinvane/run/RunContext.h"

#include <gtest/gtest.h>
