// The output of a headless tool drawn with the window's pictures: the output-file rules around a picture maker.
#include "tools/common/picture_output.h"

#include "tools/common/output_file.h"

#include <ostream>

int writeWithPictures(const std::string& tool, const std::string& output, const std::string& layout,
                      const std::function<bool(const PictureMaker&, FILE*, std::string&)>& fill,
                      std::ostream& err) {
    OutputTarget target;
    std::string error;
    int status = prepareOutput(tool, output, layout, target, error);
    if (status == 0) {
        PictureMaker maker;
        status = openPictureMaker(maker, error) ? 0 : 1;
        if (status == 0 && !writeOutput(tool, target, [&](FILE* file) {
                return fill(maker, file, error);
            }, error)) {
            status = 1;
        }
    }
    if (status != 0) err << error << std::endl;
    return status;
}
