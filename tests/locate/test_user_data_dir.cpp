#include "pinvane/locate/UserDataDir.h"

#include <gtest/gtest.h>
