// The output of a headless tool drawn with the window's pictures: the output-file rules around a picture maker.
#pragma once

#include "render/picture.h"
#include "tools/common/outcome.h"

#include <cstdio>
#include <functional>
#include <string>

struct Scene;

// What both tools do once the layout is read: checks the output name, opens a picture
// maker and writes the output through fill, which draws with the maker. Returns kRefused
// for a refused output, kFailed when the maker or the write fails, with one French line.
Error writeWithPictures(const std::string& tool, const std::string& output,
                        const std::string& layout,
                        const std::function<bool(const PictureMaker&, FILE*, std::string&)>& fill);

// Reads a layout for the window's pictures (at most its 60 boxes): kRefused with the
// reader's line when the file is refused.
Error loadPictureScene(const std::string& name, Scene& scene);
