// Runs varlen-cli as a user would: a shell command line, its exit status, standard output and error.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <sys/wait.h>

#include "test_support.h"

namespace varlen::test {

struct CliRun {
    int status = -1;
    std::string out, err;
};

// A shell command line (sh -c); its standard error goes to a file in dir.
inline CliRun RunShell(const std::string& line, const TempDir& dir) {
    const auto errPath = dir / "stderr.txt";
    const std::string command = line + " 2>" + errPath.string();
    CliRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 65536> buffer{};
    std::size_t got = 0;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        run.out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errPath);
    return run;
}

inline CliRun RunCli(const std::string& arguments, const TempDir& dir) {
    return RunShell(std::string(VARLEN_CLI) + " " + arguments, dir);
}

// From the folder `cwd`, so that arguments may be relative names.
inline CliRun RunCliIn(const std::filesystem::path& cwd, const std::string& arguments, const TempDir& dir) {
    return RunShell("cd '" + cwd.string() + "' && " + VARLEN_CLI + " " + arguments, dir);
}

// A 4 m by 2 m triangle loaded by 10 kN down at its apex: member 1 (the tie) carries 5 kN of tension,
// members 2 and 3 (the rafters) 7.071 kN of compression. Sections from the hollow-section catalogue,
// which carry a radius of gyration, so that design runs every check.
inline const char* kCatalogueTriangle =
    "\"Triangle\"\r\n\"t\"\r\n\"d\"\r\n\"x\"\r\n\"n\"\r\n3\r\n 0 , 0 ,\"\"\r\n 4000 , 0 ,\"\"\r\n 2000 , "
    "2000 ,\"\"\r\n"
    "3\r\n 1 , 1 , 1 ,\"\"\r\n 2 , 0 , 1 ,\"\"\r\n 3 , 0 , 0 ,\"\"\r\n1\r\n 200 ,\"\"\r\n"
    "2\r\n 96.129 ,\" 25 x  25 x 1.0 x 0.007 kN/m (96.129){9.957}\"\r\n"
    " 1696.771 ,\"100 x 100 x 4.6 x 0.130 kN/m (1696.771){39.370}\"\r\n"
    "3\r\n 1 , 2 , 1 , 1 ,\"\"\r\n 2 , 3 , 1 , 2 ,\"\"\r\n 3 , 1 , 1 , 2 ,\"\"\r\n1\r\n 3 , 0 ,-10 ,\"\"\r\n";

inline std::string Example(const char* name) {
    return std::string(VARLEN_EXAMPLES_DIR) + "/" + name + ".sma";
}

} // namespace varlen::test
