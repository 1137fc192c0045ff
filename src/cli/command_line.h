// varlen-cli's command line on CLI11: every option is declared once, with its help, and the help of the
// program and of each command is generated from those declarations. What the user got wrong is said in
// the program's own sentences ("--pw needs a value", "unknown option ..."), not in CLI11's.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace varlen::cli {

// Wrong usage found while a value is read: what() is the whole sentence for the user.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One command of varlen-cli ("analyse", "design", ...): its options and what runs once they are read.
class Command {
public:
    Command(CLI::App& app, std::string inputNoun);

    [[nodiscard]] CLI::App& App() { return m_app; }
    [[nodiscard]] const std::string& Name() const { return m_app.get_name(); }

    // The one input file, given without an option name; `needs` is said when it is missing.
    void AddInput(const std::string& name, std::string& target, const std::string& help, std::string needs);
    // An option with one value, read in the order the arguments come, so the first mistake is the one
    // reported; `read` throws UsageError to refuse the value.
    CLI::Option* AddValue(const std::string& name, const std::string& valueName, const std::string& help,
                          std::function<void(const std::string&)> read);
    CLI::Option* AddFlag(const std::string& name, bool& target, const std::string& help);
    // An option the command cannot do without; `needs` is said when it is missing.
    void Require(CLI::Option* option, std::string needs);

    // Runs the command once its options are read; returns the exit status.
    std::function<int()> run;
    // The command analyses: the sparse solver starts loading while it reads its input.
    bool analyses = false;
    // The words for a failure that escapes the command: "not enough memory to <memory>", "<stopped>
    // stopped: ...".
    std::string memory, stopped;

private:
    friend class CommandLine;
    // The sentence for the first argument the command does not take (an unknown option or a second
    // input file), when there is one.
    [[nodiscard]] std::optional<std::string> Leftover() const;
    [[nodiscard]] std::optional<std::string> Missing() const;

    CLI::App& m_app;
    std::string m_inputNoun; // "project file", "drawing file"
    std::vector<std::pair<const CLI::Option*, std::string>> m_needs;
};

class CommandLine {
public:
    // `footer` closes the program's help: exit statuses and units.
    CommandLine(const std::string& description, const std::string& footer);

    Command& Add(const std::string& name, const std::string& description, std::string inputNoun,
                 const std::vector<std::string>& aliases = {});

    // Reads the arguments. Returns the exit status when the run ends here (help or version printed: 0;
    // wrong usage, said on standard error: 2), or nothing when Chosen() is to run.
    [[nodiscard]] std::optional<int> Parse(const std::vector<std::string>& args);
    [[nodiscard]] Command* Chosen() { return m_chosen; }
    // The program's help, as --help prints it.
    [[nodiscard]] std::string Help() const { return m_app.help(); }

private:
    CLI::App m_app;
    bool m_version = false;
    std::vector<std::unique_ptr<Command>> m_commands;
    Command* m_chosen = nullptr;
};

} // namespace varlen::cli
