// The console dialogue: the format banner, the file-name prompt, and one viewer per loaded layout.
#pragma once

#include <functional>
#include <iosfwd>

struct Scene;

// Called with the freshly loaded scene; returns once the user is done viewing it.
using ShowScene = std::function<void(const Scene&)>;

// Prints the banner, then asks for file names on in, loads each one and hands
// it to showScene, until in ends. Returns the process exit status.
int runConsole(std::istream& in, std::ostream& out, const ShowScene& showScene);
