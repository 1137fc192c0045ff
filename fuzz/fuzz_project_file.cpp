// The project file reader on hostile bytes. Beyond surviving them: the command line's fast reader
// refuses exactly what opening the file refuses, with the same words, and a project that was read
// writes a file that reads back to the same file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "model/model_file.h"
#include "project/project_file.h"

using namespace varlen;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const project::ReadOutcome read = project::ParseProjectText(bytes);
    const model::ModelOutcome fast = model::ModelFromText(bytes);

    VARLEN_FUZZ_CHECK(read.project.has_value() == fast.model.has_value());
    if (!read.project) {
        VARLEN_FUZZ_CHECK(!read.problem.message.empty());
        VARLEN_FUZZ_CHECK(read.problem.line == fast.problem.line);
        VARLEN_FUZZ_CHECK(read.problem.message == fast.problem.message);
        return 0;
    }
    VARLEN_FUZZ_CHECK(fast.model->joints.size() ==
                      static_cast<std::size_t>(read.project->joints.EntryCount()));
    VARLEN_FUZZ_CHECK(fast.model->members.size() ==
                      static_cast<std::size_t>(read.project->members.EntryCount()));

    // What was read is what a save writes: the written file must open, and open to itself.
    const std::string written = project::ProjectFileText(*read.project);
    const project::ReadOutcome again = project::ParseProjectText(written);
    VARLEN_FUZZ_CHECK(again.project.has_value());
    VARLEN_FUZZ_CHECK(project::ProjectFileText(*again.project) == written);
    return 0;
}
