#include <benchmark/benchmark.h>

#include "quillcore.h"
