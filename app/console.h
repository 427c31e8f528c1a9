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

// What boxview's command line asks for.
enum class ConsoleStart {
    kDialogue,   // no argument: go on to the dialogue
    kHelpShown,  // --help alone: the French usage was written on out
    kRefused,    // anything else: one line was written on err
};

ConsoleStart readConsoleArguments(int argc, const char* const* argv, std::ostream& out,
                                  std::ostream& err);

// Prints the banner, then asks for file names on in, loads each one and hands it to
// showScene, until in ends. A name longer than kMaxFileName is refused on one line and
// skipped without being kept.
void runConsole(std::istream& in, std::ostream& out, const ShowScene& showScene);
