// The output of a headless tool drawn with the window's pictures: the output-file rules around a picture maker.
#include "tools/common/picture_output.h"

#include "tools/common/output_file.h"

Error writeWithPictures(const std::string& tool, const std::string& output,
                        const std::string& layout,
                        const std::function<bool(const PictureMaker&, FILE*, std::string&)>& fill) {
    OutputTarget target;
    Error error = prepareOutput(tool, output, layout, target);
    if (error.kind != ErrorKind::kNone) return error;
    PictureMaker maker;
    std::string message;
    if (!openPictureMaker(maker, message) ||
        !writeOutput(tool, target, [&](FILE* file) { return fill(maker, file, message); },
                     message)) {
        return {ErrorKind::kFailed, message};
    }
    return {};
}
