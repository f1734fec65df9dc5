#include <gtest/gtest.h>

#include "quillcore.h"
