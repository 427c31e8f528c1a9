// The console dialogue: the format banner, the file-name prompt, and one viewer per loaded layout.
#pragma once

#include <cstddef>
#include <functional>
#include <iosfwd>

struct Scene;

// The longest file name the prompt accepts, in bytes.
constexpr std::size_t kMaxFileName = 4096;

// Called with the freshly loaded scene and the stream the dialogue writes to; returns
// once the user is done viewing it.
using ShowScene = std::function<void(const Scene&, std::ostream&)>;

// Reads boxview's command line. Returns -1 to go on to the dialogue, or the exit status
// once done: 0 after the French usage on out for --help, 2 after one line on err for
// anything else.
int readCommandLine(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

// Prints the banner, then asks for file names on in, loads each one and hands it to
// showScene, until in ends. A name longer than kMaxFileName is refused on one line and
// skipped without being kept. Returns the process exit status.
int runConsole(std::istream& in, std::ostream& out, const ShowScene& showScene);
