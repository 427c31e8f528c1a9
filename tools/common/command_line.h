// The one front end of the tools' command lines: each tool describes its options in a table, read the same way everywhere.
#pragma once

#include "tools/common/outcome.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

enum class OptionKind {
    kFlag,   // no value
    kWhole,  // digits only, within [low, high]
    kReal,   // a finite decimal number, optionally signed
};

struct OptionSpec {
    const char* name;  // without its leading "--"
    OptionKind kind;
    const char* valueName;  // shown in the usage: "P", "DEG"; empty for a flag
    const char* help;       // its line in --help
    int64_t low = 0;        // the range of a kWhole option
    int64_t high = 0;
};

struct ToolSpec {
    const char* name;      // "boxview-check"
    const char* operands;  // as the usage shows them: "LAYOUT OUT.png"
    std::size_t minOperands;
    std::size_t maxOperands;      // SIZE_MAX: any number
    const char* missingOperands;  // what is said when there are too few or too many
    const char* about;            // the help's text between the usage and the options
    const char* statuses;         // the help's closing lines: the exit statuses
    std::vector<OptionSpec> options;
};

// What one option was given; the last occurrence wins.
struct OptionValue {
    bool given = false;
    double number = 0;  // the value of a kWhole or kReal option
};

struct CommandLine {
    bool help = false;  // --help: print helpText() and stop
    std::vector<std::string> operands;
    std::vector<OptionValue> values;  // values[i] for tool.options[i]
    std::string error;  // one French line naming the option and the value; empty when usable
};

// Reads the arguments that follow the program name: "--name value" and "--name=value" alike,
// "--" ends the options, "-" alone is an operand, and any other word that starts with "-" is an
// option. The first refusal, or --help, stops the reading.
CommandLine readCommandLine(const ToolSpec& tool, const std::vector<std::string>& args);

// The option named name (without "--") as read; it must be in the tool's table.
const OptionValue& optionValue(const ToolSpec& tool, const CommandLine& line, const char* name);

// "usage : boxview-plan [--support P] LAYOUT PLAN.pdf", without the line end.
std::string usageText(const ToolSpec& tool);

// The usage, the text about the tool, every option and the exit statuses, each line ended by '\n'.
std::string helpText(const ToolSpec& tool);

// Writes helpText() to out: kFailed, with its line, when it cannot be written.
Error writeHelp(const ToolSpec& tool, std::ostream& out);

// What every tool does first: reads the command line into line and, when --help is asked,
// writes the help to out. kRefused with the line on a bad argument.
Error startTool(const ToolSpec& tool, const std::vector<std::string>& args, std::ostream& out,
                CommandLine& line);
