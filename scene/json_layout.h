// The reader of layouts written as JSON, which the layout reader hands every file that opens with '{'.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "scene/scene.h"

// Reads text, the whole file from its '{' on, into layout (which must be empty): at most
// maxBoxes boxes. False after writing one French line that names the file to out.
bool readJsonLayout(const std::string& fileName, const std::string& text, int64_t maxBoxes,
                    Layout& layout, std::ostream& out);
