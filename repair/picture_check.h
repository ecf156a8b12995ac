#pragma once

#include <vector>

#include "repair/reference_layout.h"

// Whether a picture decodes without a flaw under a layout's decoder configuration: the
// test that a healthy recording was made at the damaged one's resolution and settings,
// which the pictures' first bytes cannot tell.
bool decodesCleanly(const ReferenceLayout& layout, const std::vector<unsigned char>& picture);
