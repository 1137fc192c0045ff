#include "command_line.h"

#include <cstdio>
#include <sstream>

#include "commands.h"

namespace varlen::cli {
namespace {

// A command's line as the help shows it, made from its declarations: the input file, then each option
// with its value, in brackets unless the command needs it.
std::string Synopsis(const CLI::App& command) {
    std::string line = command.get_name();
    for (const CLI::Option* option : command.get_options()) {
        if (option == command.get_help_ptr()) continue;
        if (option->get_positional()) {
            line += " " + option->get_name(true, false);
            continue;
        }
        std::string text = option->get_snames().empty() ? "--" + option->get_lnames().front()
                                                        : "-" + option->get_snames().front();
        if (option->get_expected_max() > 0) text += " " + option->get_type_name();
        line += " " + (option->get_required() ? text : "[" + text + "]");
    }
    return line;
}

// The synopsis broken before an option where it would pass the width of the descriptions.
std::string Wrapped(const std::string& synopsis, const std::string& indent) {
    constexpr std::size_t kWidth = 90;
    std::string out, line;
    std::size_t start = 0;
    while (start < synopsis.size()) {
        std::size_t next = synopsis.find(" [", start + 1);
        if (next == std::string::npos) next = synopsis.size();
        const std::string piece = synopsis.substr(start, next - start);
        if (!line.empty() && line.size() + piece.size() > kWidth) {
            out += line + "\n";
            line = indent + piece.substr(1);
        } else {
            line += piece;
        }
        start = next;
    }
    return out + line + "\n";
}

std::string Indented(const std::string& text, const std::string& indent) {
    std::string out;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        out += line.empty() ? "\n" : indent + line + "\n";
    return out;
}

// The program's help lists each command by its whole line and the description below it; a command's own
// help starts with that line too.
class HelpFormatter final : public CLI::Formatter {
public:
    std::string make_subcommand(const CLI::App* command) const override {
        return "  " + Wrapped(Synopsis(*command), "      ") + Indented(command->get_description(), "      ");
    }
    std::string make_usage(const CLI::App* app, std::string name) const override {
        if (app->get_parent() == nullptr) return "Usage: " + name + " COMMAND [OPTIONS]\n";
        return "Usage: " + Wrapped(app->get_parent()->get_name() + " " + Synopsis(*app), "    ") + "\n" +
               Indented(app->get_description(), "  ");
    }
    std::string make_description(const CLI::App* app) const override {
        // A command's description follows its usage line, as in the program's help.
        return app->get_parent() == nullptr ? CLI::Formatter::make_description(app) : std::string();
    }
};

} // namespace

Command::Command(CLI::App& app, std::string inputNoun) : m_app(app), m_inputNoun(std::move(inputNoun)) {
    // Leftover arguments are kept, not refused by CLI11, so that they are named in the program's words.
    m_app.allow_extras();
}

void Command::AddInput(const std::string& name, std::string& target, const std::string& help,
                       std::string needs) {
    Require(m_app.add_option(name, target, help)->type_name(""), std::move(needs));
}

CLI::Option* Command::AddValue(const std::string& name, const std::string& valueName, const std::string& help,
                               std::function<void(const std::string&)> read) {
    return m_app.add_option_function<std::string>(name, std::move(read), help)
        ->type_name(valueName)
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast)
        ->trigger_on_parse();
}

CLI::Option* Command::AddFlag(const std::string& name, bool& target, const std::string& help) {
    return m_app.add_flag(name, target, help);
}

void Command::Require(CLI::Option* option, std::string needs) {
    option->required();
    m_needs.emplace_back(option, std::move(needs));
}

std::optional<std::string> Command::Leftover() const {
    const std::vector<std::string> left = m_app.remaining();
    if (left.empty()) return std::nullopt;
    const std::string& first = left.front();
    if (first.size() > 1 && first[0] == '-')
        return "unknown option \"" + first + "\" for " + Name() + "; see varlen-cli --help";
    return Name() + " takes one " + m_inputNoun + "; \"" + first + "\" is one too many";
}

std::optional<std::string> Command::Missing() const {
    for (const auto& [option, needs] : m_needs)
        if (option->count() == 0) return needs;
    return std::nullopt;
}

CommandLine::CommandLine(const std::string& description, const std::string& footer)
    : m_app(description, "varlen-cli") {
    m_app.formatter(std::make_shared<HelpFormatter>());
    m_app.footer(footer);
    m_app.add_flag("--version", m_version, "the program's version");
    m_app.get_help_ptr()->description("this text");
    m_app.require_subcommand(0, 1);
    m_app.allow_extras();
}

Command& CommandLine::Add(const std::string& name, const std::string& description, std::string inputNoun,
                          const std::vector<std::string>& aliases) {
    CLI::App* app = m_app.add_subcommand(name, description);
    app->group("Commands");
    app->formatter(m_app.get_formatter());
    app->get_help_ptr()->description("this text");
    for (const std::string& alias : aliases)
        app->alias(alias);
    return *m_commands.emplace_back(std::make_unique<Command>(*app, std::move(inputNoun)));
}

std::optional<int> CommandLine::Parse(const std::vector<std::string>& args) {
    if (args.empty()) {
        std::fputs(Help().c_str(), stderr);
        return kExitUsage;
    }
    if (args.size() == 1 && args.front() == "help") {
        std::fputs(Help().c_str(), stdout);
        return kExitOk;
    }
    const auto chosen = [&]() -> Command* {
        for (const auto& command : m_commands)
            if (command->App().parsed()) return command.get();
        return nullptr;
    };
    try {
        m_app.parse(std::vector<std::string>(args.rbegin(), args.rend()));
    } catch (const CLI::CallForHelp&) {
        std::fputs(m_app.help().c_str(), stdout);
        return kExitOk;
    } catch (const UsageError& error) {
        PrintError(error.what());
        return kExitUsage;
    } catch (const CLI::ArgumentMismatch& error) {
        // Values are taken whatever they look like, so a value runs short only at the end of the line.
        PrintError(args.back().rfind("-", 0) == 0 ? args.back() + " needs a value" : error.what());
        return kExitUsage;
    } catch (const CLI::RequiredError& error) {
        const Command* command = chosen();
        const std::optional<std::string> missing = command ? command->Missing() : std::nullopt;
        PrintError(missing ? *missing : error.what());
        return kExitUsage;
    } catch (const CLI::ParseError& error) {
        PrintError(error.what());
        return kExitUsage;
    }
    m_chosen = chosen();
    if (!m_chosen) {
        if (m_version) {
            std::printf("varlen-cli %s\n", VARLEN_VERSION);
            return kExitOk;
        }
        const std::vector<std::string> left = m_app.remaining();
        PrintError("unknown command \"" + (left.empty() ? args.front() : left.front()) +
                   "\"; see varlen-cli --help");
        return kExitUsage;
    }
    if (const std::optional<std::string> leftover = m_chosen->Leftover()) {
        PrintError(*leftover);
        return kExitUsage;
    }
    return std::nullopt;
}

} // namespace varlen::cli
