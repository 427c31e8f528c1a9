// The reader of layouts written as JSON, which the layout reader hands every file that opens with '{'.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "scene/scene.h"

// Reads data[0, size), the whole file, whose first character after blanks (and a byte-order
// mark) is '{', into layout (which must be empty): at most maxBoxes boxes. The data is written
// to while it is read, and left as it was. False after writing one French line that names the
// file to out.
bool readJsonLayout(const std::string& fileName, char* data, std::size_t size, int64_t maxBoxes,
                    Layout& layout, std::ostream& out);
