// The one front end of the tools' command lines: each tool describes its options in a table, read the same way everywhere.
#include "tools/common/command_line.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ostream>

namespace {

// A whole number written with digits only, within [low, high].
bool readWhole(const std::string& text, int64_t low, int64_t high, double& value) {
    if (text.empty() || text.size() > 18) return false;
    int64_t whole = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        whole = whole * 10 + (c - '0');
    }
    value = static_cast<double>(whole);
    return low <= whole && whole <= high;
}

// A finite decimal number: an optional sign, digits with an optional fraction, an optional
// exponent; no blanks, no hexadecimal, no "inf" or "nan".
bool readReal(const std::string& text, double& value) {
    std::size_t i = 0, digits = 0;
    auto skipDigits = [&] {
        std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        return i - start;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
    digits += skipDigits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        digits += skipDigits();
    }
    if (digits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (skipDigits() == 0) return false;
    }
    if (i != text.size()) return false;
    errno = 0;
    value = std::strtod(text.c_str(), nullptr);
    return errno == 0 && std::isfinite(value);
}

std::string rangeText(const OptionSpec& option) {
    if (option.kind == OptionKind::kReal) return "un nombre";
    return "un entier de " + std::to_string(option.low) + " a " + std::to_string(option.high);
}

const OptionSpec* findOption(const ToolSpec& tool, const std::string& name, std::size_t& index) {
    for (index = 0; index < tool.options.size(); ++index) {
        if (name == tool.options[index].name) return &tool.options[index];
    }
    return nullptr;
}

// The option word as the usage and the help show it: "--support P", "--json".
std::string optionWord(const OptionSpec& option) {
    std::string word = std::string("--") + option.name;
    if (option.kind != OptionKind::kFlag) word += std::string(" ") + option.valueName;
    return word;
}

}  // namespace

CommandLine readCommandLine(const ToolSpec& tool, const std::vector<std::string>& args) {
    CommandLine line;
    line.values.resize(tool.options.size());
    const std::string prefix = std::string(tool.name) + " : ";
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            line.operands.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help") {
            line.help = true;
            return line;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        std::size_t index = 0;
        const OptionSpec* option =
            name.size() > 2 && name[1] == '-' ? findOption(tool, name.substr(2), index) : nullptr;
        if (option == nullptr) {
            line.error = prefix + "option inconnue : " + arg;
            return line;
        }
        OptionValue& value = line.values[index];
        value.given = true;
        if (option->kind == OptionKind::kFlag) {
            if (equals != std::string::npos) {
                line.error = prefix + name + " ne prend pas de valeur : " + arg;
                return line;
            }
            continue;
        }
        if (equals == std::string::npos && i + 1 == args.size()) {
            line.error = prefix + "valeur manquante pour " + name + " (" + rangeText(*option) + ")";
            return line;
        }
        const std::string text = equals == std::string::npos ? args[++i] : arg.substr(equals + 1);
        const bool ok = option->kind == OptionKind::kWhole
                            ? readWhole(text, option->low, option->high, value.number)
                            : readReal(text, value.number);
        if (!ok) {
            line.error = prefix + "valeur invalide pour " + name + " : " + text + " (" +
                         rangeText(*option) + ")";
            return line;
        }
    }
    if (line.operands.size() < tool.minOperands || line.operands.size() > tool.maxOperands) {
        line.error = prefix + tool.missingOperands + " ; " + usageText(tool);
    }
    return line;
}

const OptionValue& optionValue(const ToolSpec& tool, const CommandLine& line, const char* name) {
    std::size_t index = 0;
    findOption(tool, name, index);
    return line.values.at(index);
}

std::string usageText(const ToolSpec& tool) {
    std::string text = std::string("usage : ") + tool.name;
    for (const OptionSpec& option : tool.options) text += " [" + optionWord(option) + "]";
    return text + " " + tool.operands;
}

std::string helpText(const ToolSpec& tool) {
    std::string text = usageText(tool) + "\n" + tool.about;
    std::size_t width = std::strlen("--help");
    for (const OptionSpec& option : tool.options)
        width = std::max(width, optionWord(option).size());
    auto optionLine = [&](const std::string& word, const char* help) {
        text += "  " + word + std::string(width + 2 - word.size(), ' ') + help + "\n";
    };
    for (const OptionSpec& option : tool.options) optionLine(optionWord(option), option.help);
    optionLine("--help", "affiche cette aide");
    return text + tool.statuses;
}

Error writeHelp(const ToolSpec& tool, std::ostream& out) {
    out << helpText(tool) << std::flush;
    if (out) return {};
    return {ErrorKind::kFailed, std::string(tool.name) + " : impossible d'ecrire l'aide"};
}

Error startTool(const ToolSpec& tool, const std::vector<std::string>& args, std::ostream& out,
                CommandLine& line) {
    line = readCommandLine(tool, args);
    if (!line.error.empty()) return {ErrorKind::kRefused, line.error};
    return line.help ? writeHelp(tool, out) : Error{};
}
