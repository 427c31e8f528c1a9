// The output of a headless tool drawn with the window's pictures: the output-file rules around a picture maker.
#include "tools/common/picture_output.h"

#include "scene/scene.h"
#include "tools/common/output_file.h"

#include <sstream>

Error writeWithPictures(const std::string& tool, const std::string& output,
                        const std::string& layout,
                        const std::function<bool(const PictureMaker&, FILE*, std::string&)>& fill) {
    OutputTarget target;
    Error error = prepareOutput(tool, output, layout, target);
    if (error.kind != ErrorKind::kNone) return error;
    PictureMaker maker;
    std::string message;
    if (!openPictureMaker(maker, message) ||
        !writeOutput(
            tool, target, [&](FILE* file) { return fill(maker, file, message); }, message)) {
        return {ErrorKind::kFailed, message};
    }
    return {};
}

Error loadPictureScene(const std::string& name, Scene& scene) {
    std::ostringstream said;
    if (loadScene(name, scene, said) == 0) return {};
    std::string line = said.str();
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return {ErrorKind::kRefused, line};
}
