#include "quillcore.h"
