// boxview-plan: the printable loading plan of a layout, one PDF page per box in loading order.
#include "tools/plan/plan.h"

#include <iostream>

int main(int argc, char** argv) {
    const Error error = runPlan(std::vector<std::string>(argv + 1, argv + argc), std::cout);
    if (error.kind != ErrorKind::kNone) std::cerr << error.message << std::endl;
    return exitStatus(error);
}
